// The options page's installation actions on Windows. Each returns a
// success flag and keeps its failures to itself; the install run turns the
// flags into the one message the user sees.
#pragma once

#include <string_view>

#include "form.h"
#include "install_run.h"

namespace kv {

// Copies every packaged font (every listed file but the readme, the license
// and the descriptor whose name ends in a font extension) into the Fonts
// folder, in list order. Stops at the first failed copy and keeps what was
// copied; true also when there is none.
bool InstallFonts();

// Puts a copy of the readme on the desktop, replacing an older copy. Never
// fails the run.
bool CopyReadme();

// Write the link title + ".url" pointing at `url` as the welcome page opens it
// into the Favorites folder or onto the desktop; false for an address it
// would not open. The folders are never created.
bool MakeFavURL(std::string_view url);
bool MakeDesktopURL(std::string_view url);

// The install run with the user's choices: `options_page` gives way to
// `installing` while it works. Ends the program.
[[noreturn]] void Install(const InstallChoices& choices, ui::Form& options_page,
                          ui::Form& installing);

}  // namespace kv
