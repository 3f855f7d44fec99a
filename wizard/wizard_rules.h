// What the wizard pages decide without Windows: whether the license page is
// part of the way, what the options page offers, and the About box's
// version line.
#pragma once

#include <string>

namespace kv {

// The license page is skipped, forward and back, exactly when the package's
// license field is the marker "NOLICENSE" (case-sensitive).
bool HasLicensePage(const std::string& license);

// Leading and trailing blanks removed; tabs and other bytes stay.
std::string TrimSpaces(const std::string& text);

// What the options page shows for a package. A hidden check box can never be
// ticked, so it never reaches the install run.
struct OptionsLayout {
    bool options_frame;  // fraOptions, and with it everything inside
    bool copy_readme;    // chkCopy
    bool link_frame;     // fraLink with chkDesktopURL and chkFav
    std::string link_caption;  // fraLink's caption when shown
};
OptionsLayout LayOutOptions(const std::string& readme, const std::string& web_url,
                            const std::string& link_name);

// "Program Version: " + major "." minor "." revision, in plain decimal.
std::string VersionCaption(int major, int minor, int revision);

}  // namespace kv
