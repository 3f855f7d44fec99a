// What the install run decides without touching Windows: which packaged
// files are fonts, and what a web shortcut file holds.
#pragma once

#include <string>

namespace kv {

// The endings of the files the installer copies into the Fonts folder.
constexpr char kFontExtensions[] = ".ttf .ttc .otf .otc .fon .fnt .fot .pfm .pfb";

// Ends in one of kFontExtensions, in any letter case.
bool HasFontExtension(const std::string& name);

// A packaged file is installed as a font when it is not the readme, the
// license or the descriptor (exact, case-sensitive comparisons) and its name
// ends in a font extension. Anything else a package carries (a desktop.ini,
// say) never goes into the Fonts folder, where it would replace the folder's
// own file of that name.
bool IsFontFile(const std::string& name, const std::string& readme, const std::string& license);

// The Internet Shortcut file for the package's web address: "[InternetShortcut]"
// and "URL=" + the address the welcome page opens (AddressToOpen), each line
// ended by CR LF; 26 + n bytes for an address of n bytes that opens as it
// stands.
std::string InternetShortcutText(const std::string& url);

// Whether the shortcut to `url` named `title` + ".url" may be written: the
// welcome page would open the address, and the title names a file inside its
// folder, so the file holds exactly its two lines and starts no program.
bool CanWriteShortcut(const std::string& url, const std::string& title);

}  // namespace kv
