// What the options page decides without Windows: which extras it offers.
#pragma once

#include <string>

namespace kv {

// Leading and trailing blanks removed; tabs and other bytes stay.
std::string TrimSpaces(const std::string& text);

// What the options page shows for a package. A hidden check box can never be
// ticked, so it never reaches the install run.
struct OptionsLayout {
    bool options_frame;        // fraOptions, and with it everything inside
    bool copy_readme;          // chkCopy
    bool link_frame;           // fraLink with chkDesktopURL and chkFav: a web address
                               // the welcome page would open (IsWebAddress)
    std::string link_caption;  // fraLink's caption when shown
};
OptionsLayout LayOutOptions(const std::string& readme, const std::string& web_url,
                            const std::string& link_name);

}  // namespace kv
