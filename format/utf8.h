// UTF-8 out of Unicode characters, and UTF-16 into them, for the packaging
// tool's conversions and the font checks. Header only, like windows1252.h:
// the installer stub never converts a text.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Appends the UTF-8 bytes of the character `c`.
inline void AppendUtf8(uint32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads the character whose UTF-16 code units start at `p`, `bytes` bytes
// (at least 2) of text left; returns the bytes it takes, 2 or 4. A lone
// surrogate is returned as it stands (0xD800-0xDFFF), for the caller to
// judge.
inline size_t NextUtf16(const unsigned char* p, size_t bytes, bool big_endian, uint32_t& c) {
    auto unit = [&](size_t i) -> uint32_t {
        return big_endian ? (p[i] << 8 | p[i + 1]) : (p[i + 1] << 8 | p[i]);
    };
    c = unit(0);
    if (c < 0xD800 || c >= 0xDC00 || bytes < 4) return 2;
    const uint32_t low = unit(2);
    if (low < 0xDC00 || low >= 0xE000) return 2;
    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    return 4;
}

inline bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xE000; }

}  // namespace kv
