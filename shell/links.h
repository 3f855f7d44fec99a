// modWeb: opening web and mail links.
#pragma once

#include <string>

#include "maker.h"

namespace kv {

// Opens the address as it stands with the program registered for it.
void OpenURL(const std::string& address);
void OpenWebSite();
void OpenMailLink();

}  // namespace kv
