// Pictures of the installer's windows for people (the README, the demo run).
#pragma once

#include <string>

#include "wine_harness/wine_session.h"

namespace e2e {

// Saves what the screen shows of the mapped X window named `title` (Wine
// names each top-level window's X window after its caption) as the PNG file
// `path`, cut from the root window so whatever lies on top of it shows too.
// False when no such window is mapped or the picture could not be written.
bool SaveWindowScreenshot(const WineSession& session, const std::string& title,
                          const std::string& path);

}  // namespace e2e
