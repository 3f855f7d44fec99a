// What the options page decides without Windows: which extras it offers.
#pragma once

#include <string_view>

#include "small_string.h"

namespace kv {

// Leading and trailing blanks removed; tabs and other bytes stay.
std::string_view TrimSpaces(std::string_view text);

// What the options page shows for a package. A hidden check box can never be
// ticked, so it never reaches the install run.
struct OptionsLayout {
    bool options_frame;   // fraOptions, and with it everything inside
    bool copy_readme;     // chkCopy
    bool link_frame;      // fraLink with chkDesktopURL and chkFav: a web address
                          // the welcome page would open (IsWebAddress)
    String link_caption;  // fraLink's caption when shown
};
OptionsLayout LayOutOptions(std::string_view readme, std::string_view web_url,
                            std::string_view link_name);

}  // namespace kv
