// Fonts for the tests: Debian's DejaVu fonts (fonts-dejavu-core) and fonts
// made from them by a small sfnt writer of our own (collections, other name
// tables, a CFF outline table, an extra table of any size). The oracle for
// what a font says is NameRecord below, which reads the name table by hand
// and never asks the code under test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testfonts {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/";

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    EXPECT_TRUE(in.good()) << path;
    return all.str();
}

inline uint32_t Get32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
           uint32_t(uint8_t(b[at + 2])) << 8 | uint8_t(b[at + 3]);
}
inline uint16_t Get16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(uint8_t(b[at]) << 8 | uint8_t(b[at + 1]));
}
inline void Put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (24 - 8 * i));
}
inline std::string Be16(uint16_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
inline std::string Be32(uint32_t v) { return Be16(uint16_t(v >> 16)) + Be16(uint16_t(v)); }

// Name `id` of the sfnt at `at`, Windows Unicode US English, as ASCII (the
// test fonts' names are); "(none)" when the font has no such record.
inline std::string NameRecord(const std::string& font, size_t at, uint16_t id) {
    for (unsigned t = 0; t < Get16(font, at + 4); ++t) {
        const size_t entry = at + 12 + 16 * t;
        if (font.compare(entry, 4, "name") != 0) continue;
        const size_t table = Get32(font, entry + 8);
        const size_t strings = table + Get16(font, table + 4);
        for (unsigned r = 0; r < Get16(font, table + 2); ++r) {
            const size_t rec = table + 6 + 12 * r;
            if (Get16(font, rec) != 3 || Get16(font, rec + 2) != 1 ||
                Get16(font, rec + 4) != 0x409 || Get16(font, rec + 6) != id)
                continue;
            std::string text;
            for (size_t i = 0; i < Get16(font, rec + 8); i += 2)
                text += font[strings + Get16(font, rec + 10) + i + 1];
            return text;
        }
    }
    return "(none)";
}

// The family a font maker means: the typographic family (16), else 1.
inline std::string FamilyRecord(const std::string& font) {
    const std::string typographic = NameRecord(font, 0, 16);
    return typographic != "(none)" ? typographic : NameRecord(font, 0, 1);
}

// A face as list and verify show it: family, style and version from the
// name table (typographic ones first), then `format`.
inline std::string FaceLine(const std::string& font, const char* format) {
    const std::string typographic_style = NameRecord(font, 0, 17);
    const std::string style =
        typographic_style != "(none)" ? typographic_style : NameRecord(font, 0, 2);
    return "family \"" + FamilyRecord(font) + "\", style \"" + style + "\", version \"" +
           NameRecord(font, 0, 5) + "\", " + format;
}

// Where the table that ends last ends: the file may hold padding after it.
inline size_t TablesEnd(const std::string& font) {
    size_t end = 0;
    for (unsigned t = 0; t < Get16(font, 4); ++t)
        end = std::max<size_t>(end, Get32(font, 12 + 16 * t + 8) + Get32(font, 12 + 16 * t + 12));
    return end;
}

inline std::string Padded(std::string font) {
    return font + std::string((4 - font.size() % 4) % 4, '\0');
}

// A collection of `fonts`: each font whole, its directory's offsets moved
// by where it now starts.
inline std::string Collection(const std::vector<std::string>& fonts) {
    std::string out = "ttcf" + Be32(0x00010000) + Be32(uint32_t(fonts.size()));
    size_t at = out.size() + 4 * fonts.size();
    std::string bodies;
    for (std::string font : fonts) {
        out += Be32(uint32_t(at + bodies.size()));
        for (unsigned t = 0; t < Get16(font, 4); ++t)
            Put32(font, 12 + 16 * t + 8,
                  Get32(font, 12 + 16 * t + 8) + uint32_t(at + bodies.size()));
        bodies += Padded(font);
    }
    return out + bodies;
}

struct Record {
    uint16_t platform, encoding, language, id;
    std::u16string text;
};

// `font` with its name table replaced by one holding `records`.
inline std::string WithNames(std::string font, const std::vector<Record>& records) {
    std::string table =
        Be16(0) + Be16(uint16_t(records.size())) + Be16(uint16_t(6 + 12 * records.size()));
    std::string strings;
    for (const Record& r : records) {
        table += Be16(r.platform) + Be16(r.encoding) + Be16(r.language) + Be16(r.id) +
                 Be16(uint16_t(2 * r.text.size())) + Be16(uint16_t(strings.size()));
        for (char16_t c : r.text) strings += Be16(c);
    }
    font = Padded(font);
    for (unsigned t = 0; t < Get16(font, 4); ++t) {
        if (font.compare(12 + 16 * t, 4, "name") != 0) continue;
        Put32(font, 12 + 16 * t + 8, uint32_t(font.size()));
        Put32(font, 12 + 16 * t + 12, uint32_t(table.size() + strings.size()));
    }
    return font + table + strings;
}

// The start of `font` with one more table, `length` bytes long, at its end:
// the caller appends those bytes (or extends the file to them), so a test
// can have a valid font of any size, sparse on disk if it likes.
inline std::string WithExtraTable(std::string font, const char (&tag)[5], uint32_t length) {
    const unsigned tables = Get16(font, 4);
    for (unsigned t = 0; t < tables; ++t)
        Put32(font, 12 + 16 * t + 8, Get32(font, 12 + 16 * t + 8) + 16);
    const std::string body = Padded(font.substr(12 + 16 * tables));
    const uint32_t at = uint32_t(12 + 16 * (tables + 1) + body.size());
    return font.substr(0, 4) + Be16(uint16_t(tables + 1)) + font.substr(6, 6 + 16 * tables) + tag +
           Be32(0) + Be32(at) + Be32(length) + body;
}

// A CFF table written by hand from the Compact Font Format: one glyph
// (.notdef, "endchar"), one font named "T". Offsets and sizes use the
// fixed five-byte integer form (29 + 4 bytes), so the layout is plain.
inline std::string CffTable() {
    auto int5 = [](uint32_t v) { return std::string(1, '\x1d') + Be32(v); };
    const std::string header("\x01\x00\x04\x01", 4);
    const std::string names("\x00\x01\x01\x01\x02T", 6);     // INDEX of one name
    const size_t charstrings_at = 4 + 6 + (5 + 17) + 2 + 2;  // after the four INDEXes
    const size_t private_at = charstrings_at + 6;
    const std::string top = int5(uint32_t(charstrings_at)) + "\x11" +       // CharStrings
                            int5(2) + int5(uint32_t(private_at)) + "\x12";  // Private
    const std::string top_index = std::string("\x00\x01\x01\x01", 4) + char(1 + top.size()) + top;
    const std::string empty_index("\x00\x00", 2);                  // strings, global subrs
    const std::string charstrings("\x00\x01\x01\x01\x02\x0e", 6);  // endchar
    const std::string private_dict("\x8b\x14", 2);                 // defaultWidthX 0
    return header + names + top_index + empty_index + empty_index + charstrings + private_dict;
}

// `font` as CFF-flavoured OpenType: "OTTO", and its 'glyf' table swapped for
// a CFF table (FreeType takes the outlines from there).
inline std::string CffFont(std::string font) {
    font = Padded(font);
    font.replace(0, 4, "OTTO");
    const std::string cff = CffTable();
    for (unsigned t = 0; t < Get16(font, 4); ++t) {
        if (font.compare(12 + 16 * t, 4, "glyf") != 0) continue;
        font.replace(12 + 16 * t, 4, "CFF ");
        Put32(font, 12 + 16 * t + 8, uint32_t(font.size()));
        Put32(font, 12 + 16 * t + 12, uint32_t(cff.size()));
    }
    return font + cff;
}

// The first bytes of web fonts, as their headers begin.
inline std::string Woff2Header() {
    return "wOF2" + Be32(0x00010000) + Be32(1234) + std::string(36, '\0');
}
inline std::string WoffHeader() {
    return "wOFF" + Be32(0x00010000) + Be32(1234) + std::string(32, '\0');
}

}  // namespace testfonts
