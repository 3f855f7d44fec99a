// What the install run decides without touching Windows: which packaged
// files are fonts, what a web shortcut file holds, and whether a link title
// can name one.
#pragma once

#include <string>

namespace kv {

// Every packaged file is a font except the readme, the license and the
// descriptor; the comparisons are exact and case-sensitive.
bool IsFontFile(const std::string& name, const std::string& readme, const std::string& license);

// The Internet Shortcut file: "[InternetShortcut]" and "URL=" + the address,
// each line ended by CR LF; 26 + n bytes for an address of n bytes.
std::string InternetShortcutText(const std::string& url);

// The shortcut file is named title + ".url" exactly as stored, blanks
// included; an empty title gives ".url". A title with a character that file
// names do not allow, or one that would name a device, cannot name a file:
// such a title must never reach the file system, where "..\x" would leave
// the target folder.
bool IsUsableLinkTitle(const std::string& title);

}  // namespace kv
