// The font checks against fonts from Debian's fonts-dejavu-core and fonts
// made from them by test_fonts.h. Expected names come from the fonts' name
// tables as read by its few lines, never from the library.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fontinfo.h"
#include "test_fonts.h"

namespace {

using kv::fontinfo::FontFile;
using kv::fontinfo::Inspect;
using kv::fontinfo::Verdict;
using namespace testfonts;

FontFile InspectBytes(const std::string& bytes) {
    kv::MemorySource source(bytes.data(), bytes.size());
    return Inspect(source);
}

TEST(FontInfoTest, ReadsFamilyStyleVersionOfEachFaceAlsoInACollection) {
    const std::string mono = Slurp(kDejaVu + "DejaVuSansMono.ttf");
    const std::string bold = Slurp(kDejaVu + "DejaVuSans-Bold.ttf");
    EXPECT_EQ(NameRecord(mono, 0, 1), "DejaVu Sans Mono");  // the oracle reads what it should
    const std::string variable =
        Variable(bold, {{"wght", 100, 700, 900}, {"slnt", -12.5, 0, 0}}, 9);
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> faces;
        const char* file_format;
        const char* variation = "";  // of every face
    } cases[] = {
        {"DejaVu Sans Mono", mono, {mono}, "TrueType"},
        {"DejaVu Sans Bold", bold, {bold}, "TrueType"},
        {"a collection of both",
         Collection({mono, bold}),
         {mono, bold},
         "TrueType collection of 2 faces"},
        {"CFF outlines", CffFont(mono), {CffFont(mono)}, "OpenType (CFF)"},
        {"a collection with CFF outlines",
         Collection({CffFont(bold), mono}),
         {CffFont(bold), mono},
         "OpenType collection of 2 faces"},
        {"a variable font",
         variable,
         {variable},
         "TrueType",
         "wght 100\u2013900, slnt -12.5\u20130; 9 named instances"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FontFile font = InspectBytes(c.bytes);
        ASSERT_EQ(font.verdict, Verdict::Font) << font.reason;
        EXPECT_EQ(font.collection, c.faces.size() > 1);
        ASSERT_EQ(font.faces.size(), c.faces.size());
        for (size_t i = 0; i < c.faces.size(); ++i) {
            const std::string& face = c.faces[i];
            const bool typographic = NameRecord(face, 0, 16) != "(none)";
            EXPECT_EQ(font.faces[i].family, NameRecord(face, 0, typographic ? 16 : 1));
            EXPECT_EQ(font.faces[i].family_name_id, typographic ? 16 : 1);
            EXPECT_EQ(font.faces[i].style,
                      NameRecord(face, 0, NameRecord(face, 0, 17) != "(none)" ? 17 : 2));
            EXPECT_EQ(font.faces[i].version, NameRecord(c.faces[i], 0, 5));
            const bool cff = face.compare(0, 4, "OTTO") == 0;
            EXPECT_EQ(font.faces[i].format, cff ? "OpenType (CFF)" : "TrueType");
            EXPECT_EQ(kv::fontinfo::VariationText(font.faces[i]), c.variation);
        }
        EXPECT_EQ(kv::fontinfo::FileFormat(font), c.file_format);
    }
}

TEST(FontInfoTest, TakesTheTypographicFamilyInWindowsEnglishFirst) {
    const std::string mono = Slurp(kDejaVu + "DejaVuSansMono.ttf");
    const struct {
        std::vector<Record> records;
        const char* family;  // UTF-8
        int name_id;
    } cases[] = {
        {{{3, 1, 0x409, 1, u"Legacy"}, {3, 1, 0x409, 16, u"Typo"}}, "Typo", 16},
        {{{3, 1, 0x40C, 16, u"Famille"}, {3, 1, 0x409, 16, u"Family"}}, "Family", 16},
        {{{3, 1, 0x407, 1, u"Deutsch"}, {3, 1, 0x809, 1, u"British"}}, "British", 1},
        {{{1, 0, 0, 1, u"Mac Roman"}, {3, 1, 0x40C, 1, u"Fran\u00e7ais"}}, "Fran\303\247ais", 1},
        {{{0, 3, 0, 1, u"Unicode"}, {3, 1, 0x407, 1, u"Deutsch"}}, "Unicode", 1},
        {{{3, 1, 0x409, 1, u"\u20ac \U0001F600"}}, "\xE2\x82\xAC \xF0\x9F\x98\x80", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.family);
        const FontFile font = InspectBytes(WithNames(mono, c.records));
        ASSERT_EQ(font.verdict, Verdict::Font) << font.reason;
        EXPECT_EQ(font.faces[0].family, c.family);
        EXPECT_EQ(font.faces[0].family_name_id, c.name_id);
    }
}

TEST(FontInfoTest, RefusesWhatIsNoFontWindowsCanInstall) {
    const std::string mono = Slurp(kDejaVu + "DejaVuSansMono.ttf");
    const std::string bdf =
        "STARTFONT 2.1\nFONT -x-tiny-medium-r-normal--8-80-75-75-c-80-iso10646-1\nSIZE 8 75 75\n"
        "FONTBOUNDINGBOX 8 8 0 0\nCHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n"
        "BBX 8 8 0 0\nBITMAP\nFF\nFF\nFF\nFF\nFF\nFF\nFF\nFF\nENDCHAR\nENDFONT\n";
    const struct {
        const char* what;
        std::string bytes;
        Verdict verdict;
        const char* says;
    } cases[] = {
        {"a text file", "This is a readme, not a font.\r\n", Verdict::NotAFont,
         "x is not a font file FreeType can read: "},
        {"an empty file", "", Verdict::NotAFont, "x is not a font file FreeType can read: "},
        {"a WOFF2 header", Woff2Header(), Verdict::WebFont, "x is a WOFF2 web font"},
        {"a WOFF header", WoffHeader(), Verdict::WebFont, "x is a WOFF web font"},
        {"an EOT font", EotFile(mono), Verdict::WebFont, "x is an EOT web font"},
        {"an SVG font", SvgFont(), Verdict::WebFont, "x is an SVG web font"},
        {"an SVG picture", "<svg xmlns=\"http://www.w3.org/2000/svg\"><rect/></svg>",
         Verdict::NotAFont, "x is not a font file FreeType can read: "},
        {"a BDF font", bdf, Verdict::NotInstallable,
         "x is a BDF bitmap font, which Windows cannot"},
        {"cut in its table directory", mono.substr(0, 40), Verdict::Damaged, "x is damaged"},
        {"cut in half", mono.substr(0, mono.size() / 2), Verdict::Damaged, "x is damaged"},
        {"its last table one byte short", mono.substr(0, TablesEnd(mono) - 1), Verdict::Damaged,
         "x is damaged"},
        {"a collection cut short", Collection({mono, mono}).substr(0, 2 * mono.size() - 99),
         Verdict::Damaged, "x is damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FontFile font = InspectBytes(c.bytes);
        EXPECT_EQ(font.verdict, c.verdict) << font.reason;
        EXPECT_TRUE(font.faces.empty());
        const std::string message = kv::fontinfo::RefusalMessage(font, "x");
        EXPECT_EQ(message.rfind(c.says, 0), 0u) << message;
        EXPECT_GT(message.size(), std::string(c.says).size()) << "no reason given";
    }
}

// A font file as a source of `size` bytes: past the bytes it holds it
// reads zeros, like a sparse file; it counts what is read from it, and
// fails every read that reaches past `fail_from`, like a file that stops
// answering part-way.
class FontSource final : public kv::ByteSource {
public:
    FontSource(const std::string& bytes, int64_t size, int64_t fail_from = INT64_MAX)
        : bytes_(bytes), size_(size), fail_from_(fail_from) {}
    int64_t size() override { return size_; }
    bool read(int64_t offset, void* out, size_t n) override {
        if (offset < 0 || offset > size_ || static_cast<int64_t>(n) > size_ - offset ||
            static_cast<int64_t>(n) > fail_from_ - offset)
            return false;
        read_ += static_cast<int64_t>(n);
        const size_t held = offset < static_cast<int64_t>(bytes_.size())
                                ? std::min(n, bytes_.size() - static_cast<size_t>(offset))
                                : 0;
        if (held) bytes_.copy(static_cast<char*>(out), held, static_cast<size_t>(offset));
        std::fill(static_cast<char*>(out) + held, static_cast<char*>(out) + n, '\0');
        return true;
    }
    int64_t bytes_read() const { return read_; }

private:
    const std::string& bytes_;
    int64_t size_;
    int64_t fail_from_;
    int64_t read_ = 0;
};

// A file that stops answering part-way: a read error, never "no font".
TEST(FontInfoTest, AFailingReadIsReportedAsSuch) {
    const std::string mono = Slurp(kDejaVu + "DejaVuSansMono.ttf");
    int64_t name_table = 0;  // FreeType reads it when the face opens
    for (unsigned t = 0; t < Get16(mono, 4); ++t)
        if (mono.compare(12 + 16 * t, 4, "name") == 0) name_table = Get32(mono, 12 + 16 * t + 8);
    ASSERT_GT(name_table, 0);
    for (int64_t fail_from : {int64_t(0), int64_t(3), int64_t(100), name_table + 1}) {
        SCOPED_TRACE(fail_from);
        FontSource source(mono, static_cast<int64_t>(mono.size()), fail_from);
        EXPECT_EQ(Inspect(source).verdict, Verdict::ReadError);
    }
}

// Fonts made to cost their reader: whatever they claim, reading one takes a
// few times the bytes it holds, no more; the cost is counted, not timed.
TEST(FontInfoTest, CostlyFontsAreReadAtBoundedCost) {
    const std::string mono = Slurp(kDejaVu + "DejaVuSansMono.ttf");
    const uint32_t kGiB = 1u << 30;
    const std::string long_name = std::string(255, 'A') + "\u2026";  // 256 characters
    const struct {
        const char* what;
        std::string bytes;
        uint32_t beyond;  // zeros the file holds past `bytes`
        Verdict verdict;
        const char* says;
    } cases[] = {
        {"1,000 faces sharing one directory of 65,535 tables",
         SharedDirectoryCollection(mono, 1000, 65535), 0, Verdict::TooCostly,
         "x is too costly to read: "},
        {"10,922 name records on one 64 KiB string", ManyNamesOnOneString(mono, 10922), 0,
         Verdict::Font, ""},
        {"'cmap' claiming 1 GiB", ClaimingTable(mono, "cmap", kGiB), kGiB, Verdict::TooCostly,
         "x is too costly to read: "},
        {"'fpgm' claiming 1 GiB", ClaimingTable(mono, "fpgm", kGiB), kGiB, Verdict::TooCostly,
         "x is too costly to read: "},
        {"'prep' claiming 1 GiB", ClaimingTable(mono, "prep", kGiB), kGiB, Verdict::TooCostly,
         "x is too costly to read: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FontSource source(c.bytes, static_cast<int64_t>(c.bytes.size()) + c.beyond);
        const FontFile font = Inspect(source);
        EXPECT_EQ(font.verdict, c.verdict) << font.reason;
        EXPECT_EQ(kv::fontinfo::RefusalMessage(font, "x").rfind(c.says, 0), 0u)
            << kv::fontinfo::RefusalMessage(font, "x");
        EXPECT_LE(source.bytes_read(), 5 * static_cast<int64_t>(c.bytes.size()));
        if (font.verdict == Verdict::Font) EXPECT_EQ(font.faces[0].family, long_name);
    }
}

}  // namespace
