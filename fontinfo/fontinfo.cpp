#include "fontinfo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H
#include FT_MODULE_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include "utf8.h"
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
// fault, a failing read within the file is the file's. Every byte read,
// by the checks here and by FreeType, is taken from one budget.
struct Reader {
    Reader(ByteSource& font, int64_t length)
        : source(font), size(length), budget(kReadBudgetTimes * length + kReadBudgetExtra) {}

    ByteSource& source;
    int64_t size;
    int64_t budget;  // bytes it may still read
    bool io_failed = false;
    bool over_budget = false;

    enum Result { Ok, PastEnd, Failed };
    Result Read(int64_t offset, void* out, size_t n) {
        if (offset < 0 || offset > size || static_cast<int64_t>(n) > size - offset) return PastEnd;
        if (static_cast<int64_t>(n) > budget) {
            over_budget = true;
            return Failed;
        }
        budget -= static_cast<int64_t>(n);
        if (n == 0 || source.read(offset, out, n)) return Ok;
        io_failed = true;
        return Failed;
    }

    // FreeType reads a stream a few bytes at a time (a table directory entry
    // by entry). A run of small reads, each starting where the last window
    // ended, reads ahead twice as much each time; any other read takes just
    // what it asks, so a reader that jumps about costs no more than it reads.
    bool ReadSmall(int64_t offset, unsigned char* out, size_t n) {
        if (n > sizeof window) return Read(offset, out, n) == Ok;
        if (offset >= window_at &&
            offset - window_at + static_cast<int64_t>(n) <= static_cast<int64_t>(window_length)) {
            std::memcpy(out, window + (offset - window_at), n);
            return true;
        }
        size_t fill = offset == window_at + static_cast<int64_t>(window_length)
                          ? std::min(sizeof window, 2 * window_length)
                          : 0;
        fill = static_cast<size_t>(std::min<int64_t>(std::max(fill, n), size - offset));
        window_length = 0;
        if (Read(offset, window, fill) != Ok) return false;
        window_at = offset;
        window_length = fill;
        std::memcpy(out, window, n);
        return true;
    }

private:
    unsigned char window[4096];
    int64_t window_at = -1;
    size_t window_length = 0;
};

unsigned long ReadStream(FT_Stream stream, unsigned long offset, unsigned char* buffer,
                         unsigned long count) {
    auto* reader = static_cast<Reader*>(stream->descriptor.pointer);
    if (offset > stream->size) return count == 0 ? 1 : 0;  // a seek: nonzero is an error
    if (count == 0) return 0;
    const unsigned long n = std::min(count, stream->size - offset);
    return reader->ReadSmall(static_cast<int64_t>(offset), buffer, n) ? n : 0;
}

// FreeType's memory, counted: a font that would make it hold more than
// kMaxFreeTypeMemory at once is refused, whatever size its tables claim.
// Each block carries its size in front of it.
struct Allocations {
    size_t live = 0;
    bool refused = false;
};
constexpr size_t kBlockHead = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t)
                                                                         : sizeof(size_t);

void* Allocate(FT_Memory memory, long size) {
    auto* counted = static_cast<Allocations*>(memory->user);
    const auto n = static_cast<size_t>(size);
    if (size <= 0) return nullptr;
    if (n > kMaxFreeTypeMemory - counted->live) {
        counted->refused = true;
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(kBlockHead + n));
    if (!block) return nullptr;
    std::memcpy(block, &n, sizeof n);
    counted->live += n;
    return block + kBlockHead;
}

void Free(FT_Memory memory, void* at) {
    if (!at) return;
    auto* counted = static_cast<Allocations*>(memory->user);
    unsigned char* block = static_cast<unsigned char*>(at) - kBlockHead;
    size_t n;
    std::memcpy(&n, block, sizeof n);
    counted->live -= n;
    std::free(block);
}

void* Reallocate(FT_Memory memory, long, long new_size, void* at) {
    if (!at) return Allocate(memory, new_size);
    auto* counted = static_cast<Allocations*>(memory->user);
    unsigned char* block = static_cast<unsigned char*>(at) - kBlockHead;
    size_t old_n;
    std::memcpy(&old_n, block, sizeof old_n);
    const auto n = static_cast<size_t>(new_size);
    if (new_size <= 0) return nullptr;
    if (n > old_n && n - old_n > kMaxFreeTypeMemory - counted->live) {
        counted->refused = true;
        return nullptr;
    }
    auto* moved = static_cast<unsigned char*>(std::realloc(block, kBlockHead + n));
    if (!moved) return nullptr;
    std::memcpy(moved, &n, sizeof n);
    counted->live = counted->live - old_n + n;
    return moved + kBlockHead;
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
// within the file; else `damage` says which does not. The directory is read
// in one piece: it may claim 65,535 tables.
Reader::Result CheckTables(Reader& reader, int64_t at, unsigned& tables, std::string& damage) {
    unsigned char head[12];
    Reader::Result r = reader.Read(at, head, sizeof head);
    if (r != Reader::Ok) {
        damage = "its table directory lies past the end of the file";
        return r;
    }
    tables = Be16(head + 4);
    std::vector<unsigned char> directory(16 * size_t{tables});
    r = reader.Read(at + 12, directory.data(), directory.size());
    if (r != Reader::Ok) {
        damage = "its table directory runs past the end of the file";
        return r;
    }
    for (unsigned i = 0; i < tables; ++i) {
        const unsigned char* entry = &directory[16 * size_t{i}];
        const int64_t end = int64_t(Be32(entry + 8)) + Be32(entry + 12);
        if (end > reader.size) {
            damage = "its '" + Printable(Be32(entry)) + "' table runs past the end of the file";
            return Reader::PastEnd;
        }
    }
    return Reader::Ok;
}

constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint32_t kEllipsis = 0x2026;

// Text of at most kMaxNameChars characters: one more, and the last that
// fits gives way to "…".
class CappedText {
public:
    void Add(uint32_t c) {
        if (cut_) return;
        if (chars_ == kMaxNameChars) {
            Cut();
            return;
        }
        if (chars_ == kMaxNameChars - 1) last_fits_at_ = text_.size();
        AppendUtf8(c, text_);
        ++chars_;
    }
    // `more`: the text went on past what was read.
    std::string Take(bool more) {
        if (more && !cut_) {
            if (chars_ < kMaxNameChars) last_fits_at_ = text_.size();
            Cut();
        }
        return std::move(text_);
    }

private:
    void Cut() {
        text_.resize(last_fits_at_);
        AppendUtf8(kEllipsis, text_);
        cut_ = true;
    }
    std::string text_;
    size_t chars_ = 0, last_fits_at_ = 0;
    bool cut_ = false;
};

// A name record's text, UTF-16 big-endian; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const unsigned char* p, size_t bytes, bool more) {
    CappedText out;
    for (size_t i = 0; i + 1 < bytes;) {
        uint32_t c;
        i += NextUtf16(p + i, bytes - i, true, c);
        out.Add(IsSurrogate(c) ? kReplacement : c);
    }
    return out.Take(more);
}

// FreeType's names of non-sfnt fonts are the font's own bytes, Windows-1252
// for the Windows bitmap fonts we accept.
std::string Windows1252ToUtf8(const char* text) {
    CappedText out;
    for (; text && *text; ++text) {
        const auto b = static_cast<unsigned char>(*text);
        const uint32_t c = FromWindows1252(b);
        out.Add(c ? c : kReplacement);
    }
    return out.Take(false);
}

// How much we want a name record: lower is better, -1 never.
int Preference(unsigned platform, unsigned encoding, unsigned language) {
    if (platform == TT_PLATFORM_MICROSOFT &&
        (encoding == TT_MS_ID_SYMBOL_CS || encoding == TT_MS_ID_UNICODE_CS ||
         encoding == TT_MS_ID_UCS_4)) {
        if (language == TT_MS_LANGID_ENGLISH_UNITED_STATES) return 0;
        if ((language & 0x3FF) == 0x09) return 1;  // another English
        return 3;
    }
    if (platform == TT_PLATFORM_APPLE_UNICODE) return 2;
    return -1;  // Macintosh scripts and ISO records: not UTF-16
}

// Reads `n` bytes at `offset` of the face's table `tag`, which is
// `table_length` long; false when they do not lie within it.
bool ReadTable(FT_Face face, FT_ULong tag, FT_ULong table_length, FT_ULong offset,
               unsigned char* out, FT_ULong n) {
    if (offset > table_length || n > table_length - offset) return false;
    return n == 0 || FT_Load_Sfnt_Table(face, tag, static_cast<FT_Long>(offset), out, &n) == 0;
}

FT_ULong TableLength(FT_Face face, FT_ULong tag) {
    FT_ULong length = 0;
    return FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) == 0 ? length : 0;
}

// The name records list and verify show. The best record of each kind is
// chosen from the record list alone, and only its text is read, up to
// kMaxNameChars: a name table may hold thousands of records that all point
// at one long string.
struct Names {
    enum { kFamily, kStyle, kVersion, kTypoFamily, kTypoStyle, kCount };
    std::string text[kCount];
    int preference[kCount] = {-1, -1, -1, -1, -1};

    static int Slot(unsigned name_id) {
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
        const FT_ULong length = TableLength(face, TTAG_name);
        unsigned char head[6];
        if (!ReadTable(face, TTAG_name, length, 0, head, sizeof head)) return;
        const unsigned count = Be16(head + 2);
        const FT_ULong storage = Be16(head + 4);
        std::vector<unsigned char> records(12 * size_t{count});
        if (!ReadTable(face, TTAG_name, length, 6, records.data(), records.size())) return;
        // Format 1 has language tags after the records; the strings follow.
        FT_ULong strings_from = 6 + 12 * FT_ULong{count};
        std::vector<unsigned char> tags;
        if (Be16(head) == 1) {
            unsigned char tag_count[2];
            if (!ReadTable(face, TTAG_name, length, strings_from, tag_count, 2)) return;
            tags.resize(4 * size_t{Be16(tag_count)});
            if (!ReadTable(face, TTAG_name, length, strings_from + 2, tags.data(), tags.size()))
                return;
            strings_from += 2 + tags.size();
        }
        // As FreeType takes them: an empty text, or one outside the string
        // storage, makes no record.
        const auto within = [&](FT_ULong at, FT_ULong text_length) {
            return text_length > 0 && at >= strings_from && at + text_length <= length;
        };

        FT_ULong chosen_at[kCount] = {}, chosen_length[kCount] = {};
        for (unsigned i = 0; i < count; ++i) {
            const unsigned char* r = &records[12 * size_t{i}];
            const int slot = Slot(Be16(r + 6));
            const unsigned language = Be16(r + 4);
            const int want = Preference(Be16(r), Be16(r + 2), language);
            const FT_ULong text_length = Be16(r + 8), at = storage + Be16(r + 10);
            if (slot < 0 || want < 0 || !within(at, text_length)) continue;
            // A language given by tag needs a sound tag.
            if (Be16(head) == 1 && language >= 0x8000) {
                const size_t tag = 4 * size_t{language - 0x8000};
                if (tag >= tags.size() || !within(storage + Be16(&tags[tag + 2]), Be16(&tags[tag])))
                    continue;
            }
            if (preference[slot] >= 0 && preference[slot] <= want) continue;
            preference[slot] = want;
            chosen_at[slot] = at;
            chosen_length[slot] = text_length;
        }
        // A character takes at most four bytes of UTF-16.
        constexpr FT_ULong kMostBytes = 4 * kMaxNameChars;
        unsigned char bytes[kMostBytes];
        for (int slot = 0; slot < kCount; ++slot) {
            if (preference[slot] < 0) continue;
            const FT_ULong n = std::min(chosen_length[slot], kMostBytes);
            if (!ReadTable(face, TTAG_name, length, chosen_at[slot], bytes, n)) {
                preference[slot] = -1;
                continue;
            }
            text[slot] = Utf16ToUtf8(bytes, n, n < chosen_length[slot]);
        }
    }
    bool Has(int slot) const { return preference[slot] >= 0; }
};

// A variable font's axes, from its 'fvar' table, once FreeType has found
// the table sound and the font variable.
void ReadVariations(FT_Face face, Face& out) {
    if (!FT_IS_SFNT(face) || !FT_HAS_MULTIPLE_MASTERS(face)) return;
    const FT_ULong length = TableLength(face, TTAG_fvar);
    unsigned char head[16];
    if (!ReadTable(face, TTAG_fvar, length, 0, head, sizeof head)) return;
    const FT_ULong axes_at = Be16(head + 4);
    const size_t axis_count = Be16(head + 8);
    if (Be16(head + 10) != 20 || axis_count == 0) return;
    const size_t kept = std::min(axis_count, kMaxAxesKept);
    unsigned char records[20 * kMaxAxesKept];
    if (!ReadTable(face, TTAG_fvar, length, axes_at, records, 20 * kept)) return;
    for (size_t i = 0; i < kept; ++i) {
        const unsigned char* r = records + 20 * i;
        out.axes.push_back({Printable(Be32(r)), static_cast<int32_t>(Be32(r + 4)),
                            static_cast<int32_t>(Be32(r + 12))});
    }
    out.axis_count = axis_count;
    out.named_instances = Be16(head + 12);
}

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
    ReadVariations(face, out);
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

// FreeType with the counted memory and its own modules; it reads no
// settings from the environment, so every run reads a font alike.
struct Library {
    FT_MemoryRec_ memory{};
    FT_Library handle = nullptr;
    explicit Library(Allocations& counted) {
        memory.user = &counted;
        memory.alloc = Allocate;
        memory.free = Free;
        memory.realloc = Reallocate;
        if (FT_New_Library(&memory, &handle) != 0) handle = nullptr;
        if (handle) FT_Add_Default_Modules(handle);
    }
    ~Library() {
        if (handle) FT_Done_Library(handle);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

FontFile Refused(Verdict verdict, std::string reason) {
    FontFile font;
    font.verdict = verdict;
    font.reason = std::move(reason);
    return font;
}

const char kTooManyReads[] = "its faces would take more than 4 times its length to read";
const char kTooMuchMemory[] = "its tables would take more than 64 MiB of memory to read";
static_assert(kReadBudgetTimes == 4 && kMaxFreeTypeMemory == size_t{64} << 20,
              "the refusals name the limits");

// Why reading stopped short, when it did: the budget, else the file.
FontFile StoppedReading(const Reader& reader) {
    if (reader.over_budget) return Refused(Verdict::TooCostly, kTooManyReads);
    return Refused(Verdict::ReadError, "");
}

// The sfnt checks FreeType leaves to the use of a table: every face's
// tables lie within the file. Only for files that say they are sfnt.
bool IsSfntSignature(uint32_t signature) {
    return signature == 0x00010000 || signature == Tag("OTTO") || signature == Tag("true");
}

// FreeType reads every face's table directory twice at the least, entry
// by entry and then whole, however many faces share it.
constexpr int64_t kDirectoryReads = 2;

FontFile CheckSfnt(Reader& reader, uint32_t signature, bool& collection) {
    std::string damage;
    unsigned tables = 0;
    int64_t directory_bytes = 0;  // what FreeType will read of the faces' directories
    collection = signature == Tag("ttcf");
    if (IsSfntSignature(signature)) {
        const Reader::Result r = CheckTables(reader, 0, tables, damage);
        if (r == Reader::PastEnd) return Refused(Verdict::Damaged, damage);
        directory_bytes = 16 * int64_t{tables};
    } else if (collection) {
        unsigned char head[12];
        const Reader::Result r = reader.Read(0, head, sizeof head);
        if (r == Reader::PastEnd)
            return Refused(Verdict::Damaged, "its collection header is cut short");
        if (r != Reader::Ok) return StoppedReading(reader);
        const uint32_t faces = Be32(head + 8);
        if (faces > kMaxFaces)
            return Refused(Verdict::Damaged, "it claims " + std::to_string(faces) + " faces");
        std::vector<unsigned char> offsets(4 * size_t{faces});
        if (reader.Read(12, offsets.data(), offsets.size()) == Reader::PastEnd) {
            const int64_t first_missing = (reader.size - 12) / 4;
            return Refused(Verdict::Damaged, "face " + std::to_string(first_missing + 1) +
                                                 ": its list of faces runs past the end of "
                                                 "the file");
        }
        // Faces may share one table directory: it is checked once.
        std::map<uint32_t, unsigned> checked;  // where a directory is, its tables
        for (uint32_t i = 0; i < faces && !reader.io_failed && !reader.over_budget; ++i) {
            const uint32_t at = Be32(&offsets[4 * size_t{i}]);
            const auto known = checked.find(at);
            if (known != checked.end()) {
                directory_bytes += 16 * int64_t{known->second};
                continue;
            }
            if (CheckTables(reader, at, tables, damage) == Reader::PastEnd)
                return Refused(Verdict::Damaged, "face " + std::to_string(i + 1) + ": " + damage);
            checked.emplace(at, tables);
            directory_bytes += 16 * int64_t{tables};
        }
    }
    if (reader.io_failed || reader.over_budget) return StoppedReading(reader);
    // Faces that would take the whole budget before FreeType reads a single
    // table are refused before it starts.
    if (kDirectoryReads * directory_bytes > reader.budget)
        return Refused(Verdict::TooCostly, kTooManyReads);
    return Refused(Verdict::Font, "");
}

// Every face as FreeType reads it, into `font`; the first one FreeType
// cannot read, or Windows cannot install, makes the whole file a refusal.
// What a face costs decides before what FreeType made of it: a face it
// could not read within the limits is too costly, not "no font".
FontFile ReadFaces(Reader& reader, bool sfnt_file, FontFile font, size_t faces_kept) {
    Allocations counted;
    Library library(counted);
    if (!library.handle) return Refused(Verdict::NotAFont, "FreeType could not start");
    bool cff_outlines = false;
    long count = 1;
    for (long index = 0; index < count; ++index) {
        FT_StreamRec stream;
        FT_Face face = nullptr;
        const FT_Error error = OpenFace(library.handle, reader, stream, index, face);
        std::string refused;
        Face described;
        if (!error) {
            if (index == 0) count = face->num_faces;
            // Every face is described, kept or not: what reading costs, and
            // so the verdict, must not depend on how many faces are kept.
            const std::string format = InstallableFormat(face, sfnt_file, refused);
            if (refused.empty()) described = Describe(face);
            described.format = format;
            FT_Done_Face(face);
        }
        if (counted.refused) return Refused(Verdict::TooCostly, kTooMuchMemory);
        if (reader.io_failed || reader.over_budget) return StoppedReading(reader);
        if (error) {
            std::string reason = ErrorMessage(error);
            if (index > 0) reason = "face " + std::to_string(index + 1) + ": " + reason;
            return Refused(Verdict::NotAFont, reason);
        }
        if (count > kMaxFaces)
            return Refused(Verdict::Damaged, "it claims " + std::to_string(count) + " faces");
        if (!refused.empty()) return Refused(Verdict::NotInstallable, refused);
        if (index == 0) font.format = described.format;
        cff_outlines = cff_outlines || described.format == "OpenType (CFF)";
        if (static_cast<size_t>(index) < faces_kept) font.faces.push_back(std::move(described));
    }
    font.face_count = static_cast<size_t>(count);
    if (font.collection)
        font.format = std::string(cff_outlines ? "OpenType" : "TrueType") + " collection of " +
                      std::to_string(count) + (count == 1 ? " face" : " faces");
    return font;
}

// Web fonts by their first bytes: browsers read them, Windows does not
// install them, and FreeType reads none but WOFF. "" for anything else.
std::string WebFontFormat(Reader& reader, uint32_t signature) {
    if (signature == Tag("wOFF")) return "WOFF";
    if (signature == Tag("wOF2")) return "WOFF2";
    // The first KiB, read once for both checks below.
    std::string text(static_cast<size_t>(std::min<int64_t>(reader.size, 1024)), '\0');
    if (reader.Read(0, &text[0], text.size()) != Reader::Ok) return "";
    // Embedded OpenType: a little-endian header with its version at 8 and
    // the magic number 0x504C at 34.
    if (text.size() >= 36) {
        const auto* eot = reinterpret_cast<const unsigned char*>(text.data());
        const uint32_t version = LoadLe32(eot + 8);
        if (LoadLe16(eot + 34) == 0x504C &&
            (version == 0x00010000 || version == 0x00020001 || version == 0x00020002))
            return "EOT";
    }
    // An SVG font: XML with an <svg> element that holds a <font> element,
    // near its start.
    const size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const size_t at = text.find_first_not_of(" \t\r\n", start);
    if (at == std::string::npos || text[at] != '<') return "";
    const size_t head = text.size();
    text.resize(static_cast<size_t>(std::min<int64_t>(reader.size, 64 * 1024)));
    if (reader.Read(head, &text[head], text.size() - head) != Reader::Ok) return "";
    if (text.find("<svg") == std::string::npos) return "";
    for (size_t font = text.find("<font"); font != std::string::npos;
         font = text.find("<font", font + 1)) {
        const char after = font + 5 < text.size() ? text[font + 5] : '\0';
        if (after == ' ' || after == '>' || after == '\t' || after == '\r' || after == '\n')
            return "SVG";
    }
    return "";
}

// "wght 100", "opsz 8.5", "slnt -12.5": 16.16 fixed point to at most three
// decimals, in whole numbers so every build writes the same.
std::string FixedText(int32_t value) {
    const int64_t v = value;
    const int64_t magnitude = v < 0 ? -v : v;
    int64_t whole = magnitude >> 16;
    int64_t thousandths = ((magnitude & 0xFFFF) * 1000 + 0x8000) >> 16;
    if (thousandths == 1000) {
        ++whole;
        thousandths = 0;
    }
    std::string text = (v < 0 ? "-" : "") + std::to_string(whole);
    if (thousandths) {
        std::string fraction = std::to_string(thousandths);
        fraction.insert(0, 3 - fraction.size(), '0');
        text += "." + fraction.substr(0, fraction.find_last_not_of('0') + 1);
    }
    return text;
}

}  // namespace

FontFile Inspect(ByteSource& source, size_t faces_kept) {
    Reader reader(source, source.size());
    if (reader.size < 0) return Refused(Verdict::ReadError, "its size cannot be told");
    if (reader.size > kMaxFontSize) return Refused(Verdict::NotAFont, "it is larger than 4 GiB");
    if (reader.size == 0) return Refused(Verdict::NotAFont, "the file is empty");

    unsigned char magic[4] = {};
    bool collection = false;
    if (reader.Read(0, magic, sizeof magic) == Reader::Failed) return StoppedReading(reader);
    const uint32_t signature = Be32(magic);
    const std::string web_font = WebFontFormat(reader, signature);
    if (reader.io_failed) return StoppedReading(reader);
    if (!web_font.empty()) return Refused(Verdict::WebFont, web_font);
    FontFile font = CheckSfnt(reader, signature, collection);
    if (font.verdict != Verdict::Font) return font;
    font.collection = collection;
    return ReadFaces(reader, IsSfntSignature(signature) || collection, std::move(font), faces_kept);
}

std::string RefusalMessage(const FontFile& font, const std::string& shown_name) {
    switch (font.verdict) {
    case Verdict::Font: return "";
    case Verdict::NotAFont:
        return shown_name + " is not a font file FreeType can read: " + font.reason;
    case Verdict::WebFont:
        return shown_name + (font.reason == "EOT" || font.reason == "SVG" ? " is an " : " is a ") +
               font.reason +
               " web font, which Windows cannot install: pack the TrueType or OpenType font it "
               "was made from";
    case Verdict::NotInstallable:
        return shown_name + " is a " + font.reason +
               ", which Windows cannot install: pack it as TrueType or OpenType";
    case Verdict::Damaged: return shown_name + " is damaged or cut short: " + font.reason;
    case Verdict::ReadError:
        return shown_name + " could not be read" + (font.reason.empty() ? "" : ": " + font.reason);
    case Verdict::TooCostly: return shown_name + " is too costly to read: " + font.reason;
    }
    return shown_name + " cannot be packed";
}

std::string FileFormat(const FontFile& font) { return font.format; }

std::string VariationText(const Face& face) {
    if (face.axis_count == 0) return "";
    std::string text;
    for (const Axis& axis : face.axes) {
        if (!text.empty()) text += ", ";
        // U+2013, the en dash of a range.
        text += axis.tag + " " + FixedText(axis.minimum) + "\xE2\x80\x93" + FixedText(axis.maximum);
    }
    if (face.axis_count > face.axes.size())
        text += " and " + std::to_string(face.axis_count - face.axes.size()) + " more";
    return text + "; " + std::to_string(face.named_instances) +
           (face.named_instances == 1 ? " named instance" : " named instances");
}

}  // namespace kv::fontinfo
