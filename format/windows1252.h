// Windows-1252, the code page the installer reads every text in: bytes below
// 0x80 and from 0xA0 up are the Unicode characters of the same number; the
// 32 bytes between are the table below. Header only: the packaging tool and
// the font checks share it, and the installer stub, which never converts a
// text, links nothing of it.
#pragma once

#include <cstdint>

namespace kv {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five it leaves undefined.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The character of a Windows-1252 byte; 0 for the five undefined bytes.
constexpr uint32_t FromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
// The C1 controls U+0080..U+009F are not in it: those bytes hold letters.
constexpr int ToWindows1252(uint32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return static_cast<int>(c);
    if (c < 0x100) return -1;
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == c) return 0x80 + i;
    return -1;
}

}  // namespace kv
