#include "name_rules.h"

#include <cstring>

namespace kv {

unsigned char FoldByte(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    // Windows-1252: à..þ (not ÷) -> À..Þ; š ž œ -> Š Ž Œ; ÿ -> Ÿ.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

namespace {

bool EqualsAsciiNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// The part before the first dot, without the blanks Windows drops there.
size_t DeviceStemLength(std::string_view name) {
    size_t stem = name.find('.');
    if (stem == std::string_view::npos) stem = name.size();
    while (stem > 0 && name[stem - 1] == ' ') --stem;
    return stem;
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9 and LPT0-9, alone or before
// an extension; and COM or LPT before any non-ASCII byte, which covers the
// superscripts ¹ ² ³ as digits in every ANSI code page: one byte in the
// single-byte ones, two in the Korean (A9 F6) or the UTF-8 one (C2 B9).
bool IsDeviceName(std::string_view name) {
    const size_t stem = DeviceStemLength(name);
    const char* p = name.data();
    static constexpr const char* kThreeLetterDevices[] = {"CON", "PRN", "AUX", "NUL"};
    if (stem == 3)
        for (const char* d : kThreeLetterDevices)
            if (EqualsAsciiNoCase(p, d, 3)) return true;
    if (stem >= 4 && (EqualsAsciiNoCase(p, "COM", 3) || EqualsAsciiNoCase(p, "LPT", 3))) {
        const unsigned char next = static_cast<unsigned char>(name[3]);
        return next >= 0x80 || (stem == 4 && next >= '0' && next <= '9');
    }
    return (stem == 6 && EqualsAsciiNoCase(p, "CONIN$", 6)) ||
           (stem == 7 && EqualsAsciiNoCase(p, "CONOUT$", 7));
}

// The shape of a generated 8.3 name: one to six characters, "~", digits,
// at most eight in all, then an optional extension of up to three.
bool IsShortAliasShape(std::string_view name) {
    size_t dot = name.find('.');
    const size_t stem = dot == std::string_view::npos ? name.size() : dot;
    if (dot != std::string_view::npos) {
        const size_t extension = name.size() - dot - 1;
        if (extension > 3 || name.find('.', dot + 1) != std::string_view::npos) return false;
    }
    if (stem < 3 || stem > 8) return false;
    const size_t tilde = name.rfind('~', stem - 1);
    if (tilde == std::string_view::npos || tilde == 0 || tilde > 6 || tilde + 1 >= stem)
        return false;
    for (size_t i = tilde + 1; i < stem; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

}  // namespace

bool HasControlByte(std::string_view text) {
    for (unsigned char c : text)
        if (c < 32 || c == 0x7F) return true;
    return false;
}

NameFault CheckFileName(std::string_view name, size_t max_length) {
    if (name.empty()) return NameFault::Empty;
    if (name.size() > max_length) return NameFault::TooLong;
    if (name == "." || name == "..") return NameFault::DotName;
    for (unsigned char c : name) {
        if (c < 32) return NameFault::ControlByte;
        if (std::strchr(kReservedCharacters, c) != nullptr) return NameFault::ReservedCharacter;
    }
    if (name.back() == ' ' || name.back() == '.') return NameFault::TrailingDotOrSpace;
    if (IsDeviceName(name)) return NameFault::DeviceName;
    if (IsShortAliasShape(name)) return NameFault::ShortAlias;
    return NameFault::None;
}

bool IsBareFileName(std::string_view name, size_t max_length) {
    return CheckFileName(name, max_length) == NameFault::None;
}

bool SameWindowsName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldByte(static_cast<unsigned char>(a[i])) !=
            FoldByte(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

NameFault CheckLinkTitle(std::string_view title) {
    if (title.empty()) return NameFault::Empty;
    return CheckFileName(Concat(title, ".url"), kMaxLinkFileName);
}

bool IsUsableLinkTitle(std::string_view title) {
    const NameFault fault = CheckLinkTitle(title);
    return fault == NameFault::None || fault == NameFault::Empty;
}

namespace {

// The starts of a link, each ended by a NUL, in one text: no table of
// pointers in the stub. kHttp and kNoScheme are two of them.
constexpr char kLinkStarts[] = "http://\0https://\0www.\0mailto:\0";
constexpr const char* kHttp = kLinkStarts;
constexpr const char* kNoScheme = kLinkStarts + 17;
constexpr size_t kNoSchemeLength = 4;
static_assert(kNoScheme[0] == 'w' && kNoScheme[3] == '.' && kNoScheme[kNoSchemeLength] == '\0');

// The length of the address's http://, https://, www. or mailto: start, in
// any letter case; 0 when it has none of them.
size_t LinkPrefixLength(std::string_view url) {
    for (const char* prefix = kLinkStarts; *prefix;) {
        const size_t n = std::strlen(prefix);
        if (url.size() >= n && EqualsAsciiNoCase(url.data(), prefix, n)) return n;
        prefix += n + 1;
    }
    return 0;
}

}  // namespace

WebAddressFault CheckWebAddress(std::string_view url) {
    const size_t prefix = LinkPrefixLength(url);
    if (prefix == 0) return WebAddressFault::NotWeb;
    if (url.size() == prefix) return WebAddressFault::NoSite;
    if (HasControlByte(url) || url.find(' ') != std::string_view::npos)
        return WebAddressFault::BlankOrControl;
    return WebAddressFault::None;
}

bool IsWebAddress(std::string_view url) { return CheckWebAddress(url) == WebAddressFault::None; }

String AddressToOpen(std::string_view url) {
    if (!IsWebAddress(url)) return String();
    // Never the bare address: the shell would run a program of that name
    // ("www.example.com") before it tried the web.
    if (EqualsAsciiNoCase(url.data(), kNoScheme, kNoSchemeLength)) return Concat(kHttp, url);
    return String(url);
}

}  // namespace kv
