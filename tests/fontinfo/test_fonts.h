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

// `font` with its table `tag` moved past its end and claiming `length`
// bytes there: the caller appends the table, or reads the font through a
// source that gives zeros past the bytes it holds (a sparse file), as a font
// of font.size() + length bytes.
inline std::string ClaimingTable(std::string font, const char (&tag)[5], uint32_t length) {
    font = Padded(font);
    for (unsigned t = 0; t < Get16(font, 4); ++t) {
        if (font.compare(12 + 16 * t, 4, tag) != 0) continue;
        Put32(font, 12 + 16 * t + 8, uint32_t(font.size()));
        Put32(font, 12 + 16 * t + 12, length);
    }
    return font;
}

// `font` with its name table replaced by one holding `records`.
inline std::string WithNames(const std::string& font, const std::vector<Record>& records) {
    std::string table =
        Be16(0) + Be16(uint16_t(records.size())) + Be16(uint16_t(6 + 12 * records.size()));
    std::string strings;
    for (const Record& r : records) {
        table += Be16(r.platform) + Be16(r.encoding) + Be16(r.language) + Be16(r.id) +
                 Be16(uint16_t(2 * r.text.size())) + Be16(uint16_t(strings.size()));
        for (char16_t c : r.text) strings += Be16(c);
    }
    return ClaimingTable(font, "name", uint32_t(table.size() + strings.size())) + table + strings;
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

// `bytes` as a table `tag` added to `font`.
inline std::string WithTable(const std::string& font, const char (&tag)[5],
                             const std::string& bytes) {
    return WithExtraTable(font, tag, uint32_t(bytes.size())) + bytes;
}

// A collection of `faces` faces that all point at one table directory of
// `entries` entries: filler entries of no length first, then `font`'s own.
inline std::string SharedDirectoryCollection(const std::string& font, uint32_t faces,
                                             uint16_t entries) {
    const unsigned tables = Get16(font, 4);
    const uint32_t directory = 12 + 4 * faces;
    const uint32_t moved = directory + 16 * entries - 16 * tables;  // the tables' shift
    std::string out = "ttcf" + Be32(0x00010000) + Be32(faces);
    for (uint32_t i = 0; i < faces; ++i) out += Be32(directory);
    out += font.substr(0, 4) + Be16(entries) + font.substr(6, 6);
    for (unsigned i = tables; i < entries; ++i) out += "zzzz" + Be32(0) + Be32(0) + Be32(0);
    for (unsigned t = 0; t < tables; ++t) {
        std::string entry = font.substr(12 + 16 * t, 16);
        Put32(entry, 8, Get32(entry, 8) + moved);
        out += entry;
    }
    return out + font.substr(12 + 16 * tables);
}

// `font` with a name table of `records` Windows English family names that
// all point at one string of 32,767 'A's (64 KiB less two bytes) just after
// them. The table's 16-bit offsets reach that far for up to 10,922 records.
inline std::string ManyNamesOnOneString(const std::string& font, uint16_t records) {
    const uint32_t strings = 6 + 12 * uint32_t(records);
    const uint16_t storage = uint16_t(std::min<uint32_t>(strings, 0xFFFF));
    std::string table = Be16(0) + Be16(records) + Be16(storage);
    for (unsigned r = 0; r < records; ++r)
        table += Be16(3) + Be16(1) + Be16(0x409) + Be16(1) + Be16(0xFFFE) +
                 Be16(uint16_t(strings - storage));
    for (int i = 0; i < 0x7FFF; ++i) table += Be16('A');
    return ClaimingTable(font, "name", uint32_t(table.size())) + table;
}

struct VariationAxis {
    const char* tag;
    double minimum, fallback, maximum;
};

// `font` made variable: an 'fvar' table with `axes` and `instances` named
// instances (each at the default values), and an empty 'gvar' table (no
// glyph varies), which FreeType wants beside it.
inline std::string Variable(const std::string& font, const std::vector<VariationAxis>& axes,
                            uint16_t instances) {
    auto fixed = [](double v) { return Be32(uint32_t(int32_t(v * 65536))); };
    const uint16_t count = uint16_t(axes.size());
    std::string fvar = Be32(0x00010000) + Be16(16) + Be16(2) + Be16(count) + Be16(20) +
                       Be16(instances) + Be16(uint16_t(4 + 4 * count));
    for (const VariationAxis& a : axes)
        fvar += std::string(a.tag, 4) + fixed(a.minimum) + fixed(a.fallback) + fixed(a.maximum) +
                Be16(0) + Be16(256);
    for (uint16_t i = 0; i < instances; ++i) {
        fvar += Be16(uint16_t(257 + i)) + Be16(0);
        for (const VariationAxis& a : axes) fvar += fixed(a.fallback);
    }
    uint16_t glyphs = 0;
    for (unsigned t = 0; t < Get16(font, 4); ++t)
        if (font.compare(12 + 16 * t, 4, "maxp") == 0)
            glyphs = Get16(font, Get32(font, 12 + 16 * t + 8) + 4);
    std::string gvar = Be16(1) + Be16(0) + Be16(count) + Be16(0) +
                       Be32(uint32_t(20 + 2 * (glyphs + 1))) + Be16(glyphs) + Be16(0) +
                       Be32(uint32_t(20 + 2 * (glyphs + 1)));
    gvar += std::string(2 * (glyphs + 1), '\0');
    return WithTable(WithTable(font, "fvar", fvar), "gvar", gvar);
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
// Embedded OpenType: little-endian sizes, version 2.2 and the magic number
// 0x504C at 34, then the font.
inline std::string EotFile(const std::string& font) {
    auto le32 = [](uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    std::string head = le32(uint32_t(82 + font.size())) + le32(uint32_t(font.size())) +
                       le32(0x00020002) + le32(0) + std::string(10, '\0') + "\x01" +
                       std::string(1, '\0') + le32(400) + std::string(2, '\0') + "LP";
    return head + std::string(82 - head.size(), '\0') + font;
}
// An SVG font as font tools write them.
inline std::string SvgFont() {
    return "<?xml version=\"1.0\" standalone=\"no\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\">\n<defs>\n"
           "<font id=\"Sample\" horiz-adv-x=\"1000\">\n"
           "<font-face font-family=\"Sample\" units-per-em=\"1000\"/>\n"
           "<glyph unicode=\"A\" d=\"M0 0L500 700L1000 0z\"/>\n</font>\n</defs>\n</svg>\n";
}

}  // namespace testfonts
