#include "installed_files.h"

#include <cstring>

#include "descriptor.h"
#include "name_rules.h"
#include "trailer.h"

namespace kv {

bool HasFontExtension(std::string_view name) {
    const size_t n = name.size();
    if (n < 4 || name[n - 4] != '.') return false;
    // Setting bit 5 turns an upper-case letter into its lower case, and
    // turns no other byte into a letter.
    char extension[3];
    for (size_t i = 0; i < 3; ++i) extension[i] = static_cast<char>(name[n - 3 + i] | 0x20);
    // kFontExtensions without its dots and blanks, which would cost the stub.
    static const char kLetters[] = "ttfttcotfotcfonfntfotpfmpfb";
    for (size_t at = 0; at + 3 < sizeof kLetters; at += 3)
        if (std::memcmp(kLetters + at, extension, 3) == 0) return true;
    return false;
}

bool IsFontFile(std::string_view name, std::string_view readme, std::string_view license) {
    return name != readme && name != license && name != kDescriptorName && HasFontExtension(name);
}

String InternetShortcutText(std::string_view url) {
    return Concat({"[InternetShortcut]\r\nURL=", AddressToOpen(url), "\r\n"});
}

bool CanWriteShortcut(std::string_view url, std::string_view title) {
    return IsWebAddress(url) && IsUsableLinkTitle(title);
}

}  // namespace kv
