// modWeb: opening web and mail links.
#pragma once

#include "maker.h"

namespace kv {

// Opens the address as it stands with the program registered for it.
void OpenURL(const char* address);
void OpenWebSite();
void OpenMailLink();

}  // namespace kv
