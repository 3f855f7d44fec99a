// What a font file is, as the font engine of the field (FreeType) reads it:
// whether Windows can install it, and for each face its names, version and
// format. The packaging tool checks every font it packs with this, and lists
// and verifies installers with it. Plain C++ and FreeType, no Windows headers.
//
// A font file is hostile input: it is read only through the ByteSource given
// (never reopened by name), a table that runs past the end of the file is
// damage, what reading it may cost is bounded (FreeType's memory, and the
// bytes read, a few times the file's length), and every text that comes out
// of it is UTF-8 to be escaped by whoever prints it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "byte_source.h"

namespace kv::fontinfo {

enum class Verdict {
    Font,            // FreeType reads it and Windows installs it
    NotAFont,        // FreeType cannot read it as a font; `reason` says why
    WebFont,         // WOFF, WOFF2, EOT or SVG: browsers read it, Windows does not install it
    NotInstallable,  // a format FreeType reads but Windows does not install
    Damaged,         // a table lies past the end of the file: cut short or garbled
    ReadError,       // the file itself could not be read
    TooCostly,       // reading it would take more memory or reads than any real font
};

// A name longer than this many characters keeps its first ones and ends in
// U+2026 "…": names are shown and stored, and no real one comes near it.
constexpr size_t kMaxNameChars = 256;
// FreeType may hold at most this much memory for one font file at a time.
constexpr size_t kMaxFreeTypeMemory = size_t{64} << 20;
// Reading a font file, FreeType's reads and the checks' together, may take
// at most kReadBudgetTimes its length plus kReadBudgetExtra bytes: enough
// for every face of a real collection, which shares tables between faces,
// and far too little for faces that all re-read one huge table directory.
constexpr int64_t kReadBudgetTimes = 4;
constexpr int64_t kReadBudgetExtra = int64_t{1} << 20;

// One axis of a variable font, its range in the font's own units.
struct Axis {
    std::string tag;  // "wght", "wdth", ...; '?' for a byte that is not printable ASCII
    int32_t minimum = 0, maximum = 0;  // 16.16 fixed point, as the font holds them
};
constexpr size_t kMaxAxesKept = 16;  // of a variable face's axes; the rest are counted

// Formats Windows installs: TrueType and CFF-flavoured OpenType, alone or in
// a collection (.ttc/.otc), and the Windows bitmap fonts (.fon/.fnt).
// Refused, though FreeType reads them: PostScript Type 1 (Windows wants it as
// a .pfm/.pfb pair, and it is on its way out), CID-keyed Type 1, Type 42, a
// bare CFF font, PFR, BDF and PCF.
struct Face {
    std::string family;  // typographic family: name ID 16, else 1
    // 16 or 1; 0 when the font has neither and FreeType's guess stands.
    int family_name_id = 0;
    std::string style;    // typographic subfamily: name ID 17, else 2
    std::string version;  // name ID 5; empty when there is none
    // "TrueType", "OpenType (CFF)", "Windows bitmap font", or FreeType's name.
    std::string format;
    // A variable font (as FreeType reads it): its first kMaxAxesKept axes,
    // how many it has, and how many named instances its 'fvar' table lists.
    std::vector<Axis> axes;
    size_t axis_count = 0;  // 0: not a variable font
    unsigned named_instances = 0;
};

struct FontFile {
    Verdict verdict = Verdict::NotAFont;
    // What made it anything but a Font, for the message: FreeType's word
    // ("unknown file format"), "WOFF2", a format name, the damaged table.
    std::string reason;
    bool collection = false;  // a .ttc/.otc: several faces in one file
    // For a Font: how many faces it has, and the first of them, up to the
    // number Inspect was asked to keep, in the file's order.
    size_t face_count = 0;
    std::vector<Face> faces;
    std::string format;  // what FileFormat returns
};

constexpr size_t kAllFaces = static_cast<size_t>(-1);

// Reads the font in `source`, which must stay open until this returns.
// Every face is read and described, and the first `faces_kept` are kept:
// the verdict is the same whatever the caller keeps. Names are taken from
// the Windows platform's records, US English first, then any English, then
// the Unicode platform, then any other language; only the records shown
// are read.
FontFile Inspect(ByteSource& source, size_t faces_kept = kAllFaces);

// One line for a file that is not a Font, starting with `shown_name` (the
// caller escapes it): "<name> is not a font file FreeType can read: <reason>",
// "<name> is a WOFF2 web font, which Windows cannot install: pack the TrueType
// or OpenType font it was made from", ...
std::string RefusalMessage(const FontFile& font, const std::string& shown_name);

// "TrueType collection of 2 faces", "OpenType (CFF)", ...: the file's format
// as list and verify show it.
std::string FileFormat(const FontFile& font);

// A variable face's axes and named instances, "wght 100–900, wdth 75–100;
// 9 named instances"; "" for a face that is not variable.
std::string VariationText(const Face& face);

}  // namespace kv::fontinfo
