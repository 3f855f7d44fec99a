// What a font file is, as the font engine of the field (FreeType) reads it:
// whether Windows can install it, and for each face its names, version and
// format. The packaging tool checks every font it packs with this, and lists
// and verifies installers with it. Plain C++ and FreeType, no Windows headers.
//
// A font file is hostile input: it is read only through the ByteSource given
// (never reopened by name), a table that runs past the end of the file is
// damage, and every text that comes out of it is UTF-8 to be escaped by
// whoever prints it.
#pragma once

#include <string>
#include <vector>

#include "byte_source.h"

namespace kv::fontinfo {

enum class Verdict {
    Font,            // FreeType reads it and Windows installs it
    NotAFont,        // FreeType cannot read it as a font; `reason` says why
    WebFont,         // WOFF or WOFF2: browsers read it, Windows does not install it
    NotInstallable,  // a format FreeType reads but Windows does not install
    Damaged,         // a table lies past the end of the file: cut short or garbled
    ReadError,       // the file itself could not be read
};

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
};

struct FontFile {
    Verdict verdict = Verdict::NotAFont;
    // What made it anything but a Font, for the message: FreeType's word
    // ("unknown file format"), "WOFF2", a format name, the damaged table.
    std::string reason;
    bool collection = false;  // a .ttc/.otc: several faces in one file
    std::vector<Face> faces;  // in the file's order; filled for a Font
};

// Reads the font in `source`, which must stay open until this returns.
// Names are taken from the Windows platform's records, US English first,
// then any English, then the Unicode platform, then any other language.
FontFile Inspect(ByteSource& source);

// One line for a file that is not a Font, starting with `shown_name` (the
// caller escapes it): "<name> is not a font file FreeType can read: <reason>",
// "<name> is a WOFF2 web font, which Windows cannot install: pack the TrueType
// or OpenType font it was made from", ...
std::string RefusalMessage(const FontFile& font, const std::string& shown_name);

// "TrueType collection of 2 faces", "OpenType (CFF)", ...: the file's format
// as list and verify show it.
std::string FileFormat(const FontFile& font);

}  // namespace kv::fontinfo
