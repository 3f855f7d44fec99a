#include "fontinfo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include "windows1252.h"

namespace kv::fontinfo {
namespace {

// FreeType's own text for each error code, built from its error list; its
// FT_Error_String needs a build option that distributions leave off.
struct ErrorText {
    int code;
    const char* text;
};
// clang-format off
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {e, s},
#define FT_ERROR_START_LIST constexpr ErrorText kErrorTexts[] = {
#define FT_ERROR_END_LIST {0, nullptr}};
#include FT_ERRORS_H
// clang-format on

std::string ErrorMessage(FT_Error error) {
    const int code = FT_ERROR_BASE(error);
    for (const ErrorText* e = kErrorTexts; e->text; ++e)
        if (e->code == code) return e->text;
    return "error " + std::to_string(code);
}

// No real collection comes near this; a file that claims more is garbage
// that would only make us open the same face over and over.
constexpr long kMaxFaces = 1000;
// FreeType measures streams in unsigned long, 32 bits on Windows; the limit
// holds in both builds so they agree.
constexpr int64_t kMaxFontSize = 0xFFFFFFFFLL;

uint32_t Be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint16_t Be16(const unsigned char* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
constexpr uint32_t Tag(const char (&t)[5]) {
    return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 |
           uint32_t(uint8_t(t[2])) << 8 | uint8_t(t[3]);
}

// Reads through the caller's source; ranges past the end are the font's
// fault, a failing read within the file is the file's.
struct Reader {
    ByteSource& source;
    int64_t size;
    bool io_failed = false;

    enum Result { Ok, PastEnd, Failed };
    Result Read(int64_t offset, void* out, size_t n) {
        if (offset < 0 || offset > size || static_cast<int64_t>(n) > size - offset) return PastEnd;
        if (source.read(offset, out, n)) return Ok;
        io_failed = true;
        return Failed;
    }
};

unsigned long ReadStream(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                         unsigned long count) {
    auto* reader = static_cast<Reader*>(stream->descriptor.pointer);
    if (offset > stream->size) return count == 0 ? 1 : 0;  // a seek: nonzero is an error
    if (count == 0) return 0;
    const unsigned long n = std::min(count, stream->size - offset);
    return reader->Read(static_cast<int64_t>(offset), buffer, n) == Reader::Ok ? n : 0;
}

std::string Printable(uint32_t tag) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((tag >> shift) & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

// Every table of the sfnt font whose offset table starts at `at` lies
// within the file; else `damage` says which does not.
Reader::Result CheckTables(Reader& reader, int64_t at, std::string& damage) {
    unsigned char head[12];
    Reader::Result r = reader.Read(at, head, sizeof head);
    if (r != Reader::Ok) {
        damage = "its table directory lies past the end of the file";
        return r;
    }
    const unsigned tables = Be16(head + 4);
    for (unsigned i = 0; i < tables; ++i) {
        unsigned char entry[16];
        r = reader.Read(at + 12 + 16 * int64_t(i), entry, sizeof entry);
        if (r != Reader::Ok) {
            damage = "its table directory runs past the end of the file";
            return r;
        }
        const int64_t end = int64_t(Be32(entry + 8)) + Be32(entry + 12);
        if (end > reader.size) {
            damage = "its '" + Printable(Be32(entry)) + "' table runs past the end of the file";
            return Reader::PastEnd;
        }
    }
    return Reader::Ok;
}

void AppendUtf8(uint32_t c, std::string& out) {
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

constexpr uint32_t kReplacement = 0xFFFD;

// A name record's text, UTF-16 big-endian; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const unsigned char* p, size_t bytes) {
    std::string out;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        uint32_t c = Be16(p + i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes) {
            const uint32_t low = Be16(p + i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = kReplacement;
        AppendUtf8(c, out);
    }
    return out;
}

// FreeType's names of non-sfnt fonts are the font's own bytes, Windows-1252
// for the Windows bitmap fonts we accept.
std::string Windows1252ToUtf8(const char* text) {
    std::string out;
    for (; text && *text; ++text) {
        const auto b = static_cast<unsigned char>(*text);
        const uint32_t c = FromWindows1252(b);
        AppendUtf8(c ? c : kReplacement, out);
    }
    return out;
}

// How much we want a name record: lower is better, -1 never.
int Preference(const FT_SfntName& name) {
    if (name.platform_id == TT_PLATFORM_MICROSOFT &&
        (name.encoding_id == TT_MS_ID_SYMBOL_CS || name.encoding_id == TT_MS_ID_UNICODE_CS ||
         name.encoding_id == TT_MS_ID_UCS_4)) {
        if (name.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES) return 0;
        if ((name.language_id & 0x3FF) == 0x09) return 1;  // another English
        return 3;
    }
    if (name.platform_id == TT_PLATFORM_APPLE_UNICODE) return 2;
    return -1;  // Macintosh scripts and ISO records: not UTF-16
}

struct Names {
    enum { kFamily, kStyle, kVersion, kTypoFamily, kTypoStyle, kCount };
    std::string text[kCount];
    int preference[kCount] = {-1, -1, -1, -1, -1};

    static int Slot(FT_UShort name_id) {
        switch (name_id) {
        case TT_NAME_ID_FONT_FAMILY: return kFamily;
        case TT_NAME_ID_FONT_SUBFAMILY: return kStyle;
        case TT_NAME_ID_VERSION_STRING: return kVersion;
        case TT_NAME_ID_TYPOGRAPHIC_FAMILY: return kTypoFamily;
        case TT_NAME_ID_TYPOGRAPHIC_SUBFAMILY: return kTypoStyle;
        default: return -1;
        }
    }

    explicit Names(FT_Face face) {
        const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
        for (FT_UInt i = 0; i < count; ++i) {
            FT_SfntName name;
            if (FT_Get_Sfnt_Name(face, i, &name) != 0) continue;
            const int slot = Slot(name.name_id);
            const int want = Preference(name);
            if (slot < 0 || want < 0 || name.string_len == 0) continue;
            if (preference[slot] >= 0 && preference[slot] <= want) continue;
            preference[slot] = want;
            text[slot] = Utf16ToUtf8(name.string, name.string_len);
        }
    }
    bool Has(int slot) const { return preference[slot] >= 0; }
};

// The format Windows knows the face by; empty when Windows cannot install it,
// with `refused` naming what it is.
std::string InstallableFormat(FT_Face face, bool sfnt_file, std::string& refused) {
    const char* name = FT_Get_Font_Format(face);
    const std::string format = name ? name : "unknown";
    const bool sfnt = FT_IS_SFNT(face);
    // FreeType also finds sfnt fonts inside Mac OS resource forks (.dfont,
    // MacBinary); Windows wants the bare file.
    if (sfnt && !sfnt_file) {
        refused = "Mac OS resource font";
        return "";
    }
    if (sfnt && format == "TrueType") return "TrueType";
    if (sfnt && format == "CFF") return "OpenType (CFF)";
    if (format == "Windows FNT") return "Windows bitmap font";
    if (format == "Type 1")
        refused = "PostScript Type 1 font";
    else if (format == "CID Type 1")
        refused = "CID-keyed Type 1 font";
    else if (format == "CFF")
        refused = "bare CFF font";
    else if (format == "BDF" || format == "PCF")
        refused = format + " bitmap font";
    else
        refused = format + " font";
    return "";
}

Face Describe(FT_Face face) {
    Face out;
    if (FT_IS_SFNT(face)) {
        const Names names(face);
        if (names.Has(Names::kTypoFamily)) {
            out.family = names.text[Names::kTypoFamily];
            out.family_name_id = TT_NAME_ID_TYPOGRAPHIC_FAMILY;
        } else if (names.Has(Names::kFamily)) {
            out.family = names.text[Names::kFamily];
            out.family_name_id = TT_NAME_ID_FONT_FAMILY;
        }
        out.style = names.text[names.Has(Names::kTypoStyle) ? Names::kTypoStyle : Names::kStyle];
        out.version = names.text[Names::kVersion];
    }
    // Fonts without such records, and the bitmap fonts: FreeType's reading.
    if (!out.family_name_id) out.family = Windows1252ToUtf8(face->family_name);
    if (out.style.empty()) out.style = Windows1252ToUtf8(face->style_name);
    return out;
}

// Opens face `index` of the font behind `reader`; the stream record must
// outlive the face.
FT_Error OpenFace(FT_Library library, Reader& reader, FT_StreamRec& stream, long index,
                  FT_Face& face) {
    std::memset(&stream, 0, sizeof stream);
    stream.size = static_cast<unsigned long>(reader.size);
    stream.descriptor.pointer = &reader;
    stream.read = ReadStream;
    FT_Open_Args args;
    std::memset(&args, 0, sizeof args);
    args.flags = FT_OPEN_STREAM;
    args.stream = &stream;
    return FT_Open_Face(library, &args, index, &face);
}

struct Library {
    FT_Library handle = nullptr;
    Library() {
        if (FT_Init_FreeType(&handle) != 0) handle = nullptr;
    }
    ~Library() {
        if (handle) FT_Done_FreeType(handle);
    }
};

FontFile Refused(Verdict verdict, std::string reason) {
    FontFile font;
    font.verdict = verdict;
    font.reason = std::move(reason);
    return font;
}

// The sfnt checks FreeType leaves to the use of a table: every face's
// tables lie within the file. Only for files that say they are sfnt.
bool IsSfntSignature(uint32_t signature) {
    return signature == 0x00010000 || signature == Tag("OTTO") || signature == Tag("true");
}

FontFile CheckSfnt(Reader& reader, uint32_t signature, bool& collection) {
    std::string damage;
    collection = signature == Tag("ttcf");
    if (IsSfntSignature(signature)) {
        const Reader::Result r = CheckTables(reader, 0, damage);
        if (r == Reader::PastEnd) return Refused(Verdict::Damaged, damage);
    } else if (collection) {
        unsigned char head[12];
        if (reader.Read(0, head, sizeof head) == Reader::PastEnd)
            return Refused(Verdict::Damaged, "its collection header is cut short");
        const uint32_t faces = Be32(head + 8);
        if (faces > kMaxFaces)
            return Refused(Verdict::Damaged, "it claims " + std::to_string(faces) + " faces");
        for (uint32_t i = 0; i < faces && !reader.io_failed; ++i) {
            unsigned char offset[4];
            Reader::Result r = reader.Read(12 + 4 * int64_t(i), offset, sizeof offset);
            if (r == Reader::Ok)
                r = CheckTables(reader, Be32(offset), damage);
            else
                damage = "its list of faces runs past the end of the file";
            if (r == Reader::PastEnd)
                return Refused(Verdict::Damaged, "face " + std::to_string(i + 1) + ": " + damage);
        }
    }
    if (reader.io_failed) return Refused(Verdict::ReadError, "");
    return Refused(Verdict::Font, "");
}

// Every face as FreeType reads it, into `font`; the first one FreeType
// cannot read, or Windows cannot install, makes the whole file a refusal.
FontFile ReadFaces(Reader& reader, bool sfnt_file, FontFile font) {
    Library library;
    if (!library.handle) return Refused(Verdict::NotAFont, "FreeType could not start");
    long count = 1;
    for (long index = 0; index < count; ++index) {
        FT_StreamRec stream;
        FT_Face face = nullptr;
        const FT_Error error = OpenFace(library.handle, reader, stream, index, face);
        if (reader.io_failed) return Refused(Verdict::ReadError, "");
        if (error) {
            std::string reason = ErrorMessage(error);
            if (index > 0) reason = "face " + std::to_string(index + 1) + ": " + reason;
            return Refused(Verdict::NotAFont, reason);
        }
        if (index == 0) count = face->num_faces;
        std::string refused;
        Face described = Describe(face);
        described.format = InstallableFormat(face, sfnt_file, refused);
        FT_Done_Face(face);
        if (count > kMaxFaces)
            return Refused(Verdict::Damaged, "it claims " + std::to_string(count) + " faces");
        if (!refused.empty()) return Refused(Verdict::NotInstallable, refused);
        font.faces.push_back(std::move(described));
    }
    return font;
}

}  // namespace

FontFile Inspect(ByteSource& source) {
    Reader reader{source, source.size()};
    if (reader.size < 0) return Refused(Verdict::ReadError, "its size cannot be told");
    if (reader.size > kMaxFontSize) return Refused(Verdict::NotAFont, "it is larger than 4 GiB");
    if (reader.size == 0) return Refused(Verdict::NotAFont, "the file is empty");

    unsigned char magic[4] = {};
    bool collection = false;
    if (reader.Read(0, magic, sizeof magic) == Reader::Failed)
        return Refused(Verdict::ReadError, "");
    const uint32_t signature = Be32(magic);
    if (signature == Tag("wOFF")) return Refused(Verdict::WebFont, "WOFF");
    if (signature == Tag("wOF2")) return Refused(Verdict::WebFont, "WOFF2");
    FontFile font = CheckSfnt(reader, signature, collection);
    if (font.verdict != Verdict::Font) return font;
    font.collection = collection;
    return ReadFaces(reader, IsSfntSignature(signature) || collection, std::move(font));
}

std::string RefusalMessage(const FontFile& font, const std::string& shown_name) {
    switch (font.verdict) {
    case Verdict::Font: return "";
    case Verdict::NotAFont:
        return shown_name + " is not a font file FreeType can read: " + font.reason;
    case Verdict::WebFont:
        return shown_name + " is a " + font.reason +
               " web font, which Windows cannot install: pack the TrueType or OpenType font it "
               "was made from";
    case Verdict::NotInstallable:
        return shown_name + " is a " + font.reason +
               ", which Windows cannot install: pack it as TrueType or OpenType";
    case Verdict::Damaged: return shown_name + " is damaged or cut short: " + font.reason;
    case Verdict::ReadError:
        return shown_name + " could not be read" + (font.reason.empty() ? "" : ": " + font.reason);
    }
    return shown_name + " cannot be packed";
}

std::string FileFormat(const FontFile& font) {
    if (font.faces.empty()) return "";
    if (!font.collection) return font.faces[0].format;
    const bool cff = std::any_of(font.faces.begin(), font.faces.end(),
                                 [](const Face& f) { return f.format == "OpenType (CFF)"; });
    const size_t n = font.faces.size();
    return std::string(cff ? "OpenType" : "TrueType") + " collection of " + std::to_string(n) +
           (n == 1 ? " face" : " faces");
}

}  // namespace kv::fontinfo
