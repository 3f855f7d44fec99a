// What the package may name, decided once for the installer and the
// packaging tool: packaged file names, the web link's title and its address.
// The installer asks whether a value is acceptable; the tool prints why not.
// Plain C++, no Windows headers. Texts are single-byte ANSI strings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "small_string.h"

namespace kv {

constexpr size_t kMaxNameLength = 40;     // a packaged name, the trailer's name field
constexpr size_t kMaxLinkFileName = 200;  // title + ".url", well within a Windows path
// The characters a Windows file name cannot hold.
constexpr char kReservedCharacters[] = "\\/:*?\"<>|";

enum class NameFault {
    None,
    Empty,
    TooLong,
    DotName,  // "." or ".."
    ControlByte,
    ReservedCharacter,   // \ / : * ? " < > |
    TrailingDotOrSpace,  // Windows drops them, so the file gets another name
    DeviceName,          // CON, NUL, COM1, COM¹, ... open a device, not a file; COM or LPT
                         // before any non-ASCII byte is refused too
    ShortAlias,          // KERVAL~1.DAT may be another file's 8.3 alias
};

// The first rule `name` breaks as a file name in a folder of the installer's,
// or None. Longer than `max_length` bytes is TooLong.
NameFault CheckFileName(std::string_view name, size_t max_length = kMaxNameLength);

// A name the walk and the installer accept: CheckFileName finds nothing.
bool IsBareFileName(std::string_view name, size_t max_length = kMaxNameLength);

// The name as NTFS compares it: ASCII and the Windows-1252 letters upper-cased
// (é and É, š and Š, ÿ and Ÿ name one file). FoldCase is defined here, as
// it makes a std::string: only host code compiles it.
unsigned char FoldByte(unsigned char c);
inline std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return folded;
}
bool SameWindowsName(std::string_view a, std::string_view b);

// Ends in ".exe" as Windows compares names: the ending users and Windows
// know a program by.
inline bool HasExeSuffix(std::string_view name) {
    return name.size() >= 4 && SameWindowsName(name.substr(name.size() - 4), ".exe");
}

// The web link's title names the shortcut files: title + ".url". An empty
// title gives ".url", which the installer writes as it stands; the packaging
// tool refuses it (NameFault::Empty).
NameFault CheckLinkTitle(std::string_view title);
bool IsUsableLinkTitle(std::string_view title);

enum class WebAddressFault {
    None,
    NotWeb,          // not http://, https://, www. or mailto:, in any letter case
    NoSite,          // nothing after that start
    BlankOrControl,  // a blank or a control byte (CR LF would add lines to .url files)
};

// Only web pages and mail links reach the shell: the installer runs
// elevated, and the shell would also start a program, open a share or a
// local file. The package's web address is a link when it starts with
// http://, https://, www. or mailto: and holds something after it and no
// blank or control byte.
WebAddressFault CheckWebAddress(std::string_view url);
bool IsWebAddress(std::string_view url);

// What the installer opens for the package's web address, and writes into
// its shortcut files: the address as it stands, a www. address as
// "http://" + the address; "" when it is no link (CheckWebAddress).
String AddressToOpen(std::string_view url);

// A byte below 32, or DEL.
bool HasControlByte(std::string_view text);

}  // namespace kv
