// What the install run decides without touching Windows: which packaged
// files are fonts, and what a web shortcut file holds.
#pragma once

#include <string>

namespace kv {

// Every packaged file is a font except the readme, the license and the
// descriptor; the comparisons are exact and case-sensitive.
bool IsFontFile(const std::string& name, const std::string& readme, const std::string& license);

// The Internet Shortcut file: "[InternetShortcut]" and "URL=" + the address,
// each line ended by CR LF; 26 + n bytes for an address of n bytes.
std::string InternetShortcutText(const std::string& url);

// Whether the shortcut to `url` named `title` + ".url" may be written: the
// title names a file inside its folder, and the address holds no control
// byte, so the file holds exactly its two lines and no key of another's.
bool CanWriteShortcut(const std::string& url, const std::string& title);

}  // namespace kv
