// What the install run decides without touching Windows: which packaged
// files are fonts, and what a web shortcut file holds.
#pragma once

#include <string_view>

#include "small_string.h"

namespace kv {

// The endings of the files the installer copies into the Fonts folder.
constexpr char kFontExtensions[] = ".ttf .ttc .otf .otc .fon .fnt .fot .pfm .pfb";

// Ends in one of kFontExtensions, in any letter case.
bool HasFontExtension(std::string_view name);

// A packaged file is installed as a font when it is not the readme, the
// license or the descriptor (exact, case-sensitive comparisons) and its name
// ends in a font extension. Anything else a package carries (a desktop.ini,
// say) never goes into the Fonts folder, where it would replace the folder's
// own file of that name.
bool IsFontFile(std::string_view name, std::string_view readme, std::string_view license);

// The Internet Shortcut file for the package's web address: "[InternetShortcut]"
// and "URL=" + the address the welcome page opens (AddressToOpen), each line
// ended by CR LF; 26 + n bytes for an address of n bytes that opens as it
// stands.
String InternetShortcutText(std::string_view url);

// Whether the shortcut to `url` named `title` + ".url" may be written: the
// welcome page would open the address, and the title names a file inside its
// folder, so the file holds exactly its two lines and starts no program.
bool CanWriteShortcut(std::string_view url, std::string_view title);

}  // namespace kv
