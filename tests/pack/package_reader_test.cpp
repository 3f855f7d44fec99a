// What verify says about packages built in memory with the format core.
#include "package_reader.h"

#include "installer_verdict.h"
#include "pe_stub.h"
#include "test_fonts.h"
#include "test_packages.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using std::string;
using testpkg::Files;  // name, body; entry 1 first

string Pack(const Files& files, const string& stub = testpe::Stub()) {
    return testpkg::Pack(stub, files);
}

kvpack::PackageListing Read(const string& package) {
    kv::MemorySource source(package.data(), package.size());
    return kvpack::ReadPackage(source, kvpack::ReadFonts::Yes);
}

kvpack::PackageVerdict Judge(const string& package) { return kvpack::JudgePackage(Read(package)); }

const string kFont = testfonts::Slurp(testfonts::kDejaVu + "DejaVuSansMono.ttf");

const char kGood[] =
    "\"KERVALE DATAFILE 1\"\r\n\"README.TXT\"\r\n\"NOLICENSE\"\r\n\"F\"\r\n\"\"\r\n\"\"\r\n";

TEST(Verify, SoundPackagePasses) {
    auto v = Judge(Pack({{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"F.ttf", kFont}}));
    EXPECT_TRUE(v.ok()) << v.problem;
    EXPECT_TRUE(v.warnings.empty());
    // A name beyond ASCII, as older builds stored it: sound, with a word.
    v = Judge(Pack({{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"Caf\xE9.ttf", kFont}}));
    EXPECT_TRUE(v.ok()) << v.problem;
    ASSERT_EQ(v.warnings.size(), 1u);
    EXPECT_NE(v.warnings[0].find("entry 3 \"Caf\xC3\xA9.ttf\" is not ASCII"), string::npos)
        << v.warnings[0];
    // A file that is no font by its name is extracted and removed again but
    // never installed: a stored package may carry one harmlessly.
    const kvpack::PackageListing extra = Read(Pack({{"KERVALE.DAT", kGood},
                                                    {"README.TXT", "hi"},
                                                    {"desktop.ini", "[.ShellClassInfo]\r\n"},
                                                    {"F.ttf", kFont}}));
    EXPECT_TRUE(kvpack::JudgePackage(extra).ok()) << kvpack::JudgePackage(extra).problem;
    EXPECT_EQ(extra.RoleAt(2), kvpack::Role::Ignored);
    EXPECT_EQ(extra.font_count(), 1u);
    ASSERT_EQ(extra.fonts.size(), 1u);
    EXPECT_EQ(extra.fonts[0].entry, 3u);
}

// What verify refuses beyond the installer's own refusals (the installer
// verdict's table below), each with its reason.
TEST(Verify, RejectionsCarryTheirReason) {
    const std::vector<std::pair<Files, string>> cases = {
        {{{"KERVALE.DAT", kGood}, {"readme.txt", "hi"}, {"F.ttf", "x"}}, "readme \"README.TXT\""},
        {{{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}}, "no font file"},
        {{{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"F.ttf.bak", kFont}}, "no font file"},
        // Fonts by content, as the build judges them; the first bad one is named.
        {{{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"F.ttf", "x"}},
         "font entry 3 \"F.ttf\" is not a font file FreeType can read"},
        {{{"KERVALE.DAT", kGood},
          {"README.TXT", "hi"},
          {"A.ttf", kFont},
          {"F.ttf", testfonts::Woff2Header()}},  // by its name a font the installer copies
         "font entry 4 \"F.ttf\" is a WOFF2 web font"},
        {{{"KERVALE.DAT", kGood},
          {"README.TXT", "hi"},
          {"F.ttf", kFont.substr(0, kFont.size() / 2)}},
         "font entry 3 \"F.ttf\" is damaged or cut short"},
        {{{"KERVALE.DAT", kGood},
          {"README.TXT", "hi"},
          {"F.ttc", testfonts::Collection({kFont, kFont}).substr(0, 2 * kFont.size() - 99)}},
         "font entry 3 \"F.ttc\" is damaged or cut short: face 2"},
        {{{"KERVALE.DAT", kGood},
          {"README.TXT", "hi"},
          {"F.ttc", testfonts::SharedDirectoryCollection(kFont, 1000, 65535)}},
         "font entry 3 \"F.ttc\" is too costly to read"},
    };
    for (const auto& c : cases) {
        auto v = Judge(Pack(c.first));
        EXPECT_NE(v.problem.find(c.second), string::npos) << c.second << " / " << v.problem;
    }
}

// A descriptor the way a writer of the format lays it out: six quoted lines.
string Descriptor(const string& readme, const string& font, const string& url,
                  const string& title) {
    string text;
    for (const string& field :
         {string("KERVALE DATAFILE 1"), readme, string("NOLICENSE"), font, url, title})
        text += "\"" + field + "\"\r\n";
    return text;
}

// Whatever the build refuses, verify refuses in a package made by other means.
TEST(Verify, RefusesWhatTheBuildRefuses) {
    const auto with = [](const string& url, const string& title, const string& font = "F") {
        return Files{{"KERVALE.DAT", Descriptor("NOREADME", font, url, title)}, {"F.ttf", kFont}};
    };
    const auto named = [](const string& name) {
        return Files{{"KERVALE.DAT", Descriptor("NOREADME", "F", "", "")}, {name, "x"}};
    };
    testpe::Shape x64, pe32_plus, console, native, dll, not_executable;
    x64.machine = 0x8664;
    x64.magic = 0x20B;
    pe32_plus.magic = 0x20B;
    console.subsystem = 3;
    native.subsystem = 1;
    dll.characteristics = 0x2102;
    not_executable.characteristics = 0x0100;
    const struct {
        const char* what;
        Files files;
        string stub;
        string reason;
    } cases[] = {
        {"program path", with("C:\\Windows\\System32\\calc.exe", "Home"), testpe::Stub(),
         "web address \"C:\\\\Windows\\\\System32\\\\calc.exe\" is not a web address"},
        {"share", with("\\\\host\\share\\x.exe", "Home"), testpe::Stub(), "not a web address"},
        {"blank in url", with("http://a b/", "Home"), testpe::Stub(), "space or a control"},
        {"escape in url", with("http://a/\x1b[2K", "Home"), testpe::Stub(), "\\x1B[2K"},
        {"separator title", with("http://a/", "a/b"), testpe::Stub(), "link title \"a/b\""},
        {"device title", with("http://a/", "CON"), testpe::Stub(), "device"},
        {"superscript title", with("http://a/", "com\xB2"), testpe::Stub(), "device"},
        {"empty title", with("http://a/", ""), testpe::Stub(), "link title \"\" is empty"},
        {"blank font name", with("", "", "  "), testpe::Stub(), "font name \"  \" is empty"},
        {"superscript device", named("COM\xB9.ttf"), testpe::Stub(), "\"COM\xC2\xB9.ttf\""},
        {"LPT0", named("LPT0.ttf"), testpe::Stub(), "device"},
        {"COM0", named("com0"), testpe::Stub(), "device"},
        {"trailing dot", named("F.ttf."), testpe::Stub(), "ends in a space or a dot"},
        {"dots only", named("..."), testpe::Stub(), "ends in a space or a dot"},
        {"lone space", named(" "), testpe::Stub(), "\" \" ends in a space"},
        {"short alias", named("KERVAL~1.DAT"), testpe::Stub(), "8.3"},
        {"accented twins",
         {{"KERVALE.DAT", Descriptor("NOREADME", "F", "", "")},
          {"\xE9.ttf", "a"},
          {"\xC9.ttf", "b"}},
         testpe::Stub(),
         "one file on Windows"},
        {"text stub", with("", ""), "root:x:0:0:root:/root:/bin/bash\n", "no PE header"},
        {"six bytes", with("", ""), string("MZ\0\0\0\0", 6), "no PE header"},
        {"64-bit stub", with("", ""), testpe::Stub(x64), "machine 0x8664"},
        {"PE32+ stub", with("", ""), testpe::Stub(pe32_plus), "not a 32-bit (PE32) image"},
        {"console stub", with("", ""), testpe::Stub(console), "console program"},
        {"native stub", with("", ""), testpe::Stub(native), "subsystem 1,"},
        {"DLL stub", with("", ""), testpe::Stub(dll), "DLL"},
        {"object stub", with("", ""), testpe::Stub(not_executable), "not marked as an executable"},
    };
    for (const auto& c : cases) {
        auto v = Judge(Pack(c.files, c.stub));
        EXPECT_NE(v.problem.find(c.reason), string::npos) << c.what << ": " << v.problem;
    }
    EXPECT_TRUE(Judge(Pack(with("HTTPS://example.com/a?b=c", " Home "))).ok());
    // What the installer opens: a www. address as http://, a mail link as it is.
    EXPECT_TRUE(Judge(Pack(with("www.example.com/fonts", "Home"))).ok());
    EXPECT_TRUE(Judge(Pack(with("mailto:fonts@example.com", "Write to us"))).ok());
}

// The certificate table and the integrity record, each named for what it is.
TEST(Verify, CertificateTableAndIntegrityRecordMessages) {
    const Files files{{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"F.ttf", kFont}};
    const string good = Pack(files);
    const string signed_package = testpe::Sign(good);
    const kvpack::PackageListing listing = Read(signed_package);
    EXPECT_TRUE(kvpack::JudgePackage(listing).ok());
    // The installer's own signature is no stub's left-over table.
    EXPECT_TRUE(kvpack::JudgePackage(listing).warnings.empty());
    const auto stub_signed = Judge(Pack(files, testpe::Sign(testpe::Stub())));
    ASSERT_EQ(stub_signed.warnings.size(), 1u);
    EXPECT_NE(stub_signed.warnings[0].find("stub still holds its own certificate table"),
              string::npos);
    EXPECT_NE(kvpack::IntegrityText(listing).find(
                  "carries a certificate table (the signature is not checked)"),
              string::npos);
    EXPECT_EQ(kvpack::IntegrityText(listing).find("signed"), string::npos);
}

TEST(Verify, LaterEntryOfTheSameWindowsNameIsTheDescriptorRead) {
    // Extracted after KERVALE.DAT onto a Windows disk, "Kervale.dat" replaces it.
    auto v = Judge(Pack({{"KERVALE.DAT", kGood},
                         {"README.TXT", "hi"},
                         {"F.ttf", "x"},
                         {"Kervale.dat", "\"kervale datafile 1\""}}));
    EXPECT_NE(v.problem.find("ends after 1"), string::npos) << v.problem;
    ASSERT_EQ(v.warnings.size(), 1u);
    EXPECT_NE(v.warnings[0].find("entries 1 and 4"), string::npos);
}

// The installer's verdict, as the start-up reaches it and as verify and
// extract report it: one rule in the format core, so each row is judged
// once from the listing alone (the start-up's first moment, before it
// writes anything) and once with the descriptor read (verify's reading),
// and verify's problem names the reason.
TEST(InstallerVerdict, VerifyRefusesWhatTheInstallerRefusesAndNamesWhy) {
    using R = kv::Refusal;
    const string good = Pack({{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"F.ttf", kFont}});
    const size_t record = good.size() - kv::kFillerBytes;
    const size_t count_at = good.size() - 519;
    const auto changed = [](string package, size_t at, const string& bytes) {
        return package.replace(at, bytes.size(), bytes);
    };
    const auto flipped = [](string package, size_t at) {
        package[at] ^= 1;
        return package;
    };
    const auto without_record = [&](const string& package) {
        return changed(package, package.size() - kv::kFillerBytes, string(514, '\0'));
    };
    const string no_descriptor = Pack({{"README.TXT", "hi"}, {"F.ttf", kFont}});
    const string bad_size = changed(good, count_at - 10, "12x4567890");
    // A certificate shorter than its header.
    string bad_table = testpe::Sign(good);
    bad_table[good.size()] = 0x07;
    const string five = "\"KERVALE DATAFILE 1\",\"NOREADME\",\"NOLICENSE\",\"F\",\"\"";
    const string corrupted =
        "\"KERVALE DATAFILE 2\"\r\n\"NOREADME\"\r\n\"NOLICENSE\"\r\n\"F\"\r\n\"\"\r\n\"\"\r\n";
    struct Row {
        string what, package;
        kv::Refusal reason;
        string words;           // in verify's problem; "" when verify passes it
        string not_words = "";  // never in it
    };
    std::vector<Row> rows = {
        {"sound", good, R::None, ""},
        {"signed", testpe::Sign(good), R::None, ""},
        // The installer runs on five fields; only verify asks for the sixth.
        {"five fields", Pack({{"KERVALE.DAT", five}, {"F.ttf", "x"}}), R::None, "only five fields"},
        // Without what a package writer leaves at the end there is no trailer
        // to be damaged: a bare stub, another program, a text, a package cut
        // short.
        {"cut short", good.substr(0, good.size() - 700), R::TrailerDamaged,
         "is not a Kervale installer (it has no package trailer)"},
        {"text", "short", R::TrailerDamaged,
         "is not a Kervale installer (it has no package trailer)"},
        {"bare stub", testpe::Stub(), R::TrailerDamaged,
         "is not a Kervale installer (it has no package trailer)"},
        {"other program", testpe::Stub() + string(3000, 'x'), R::TrailerDamaged,
         "is not a Kervale installer (it has no package trailer)"},
        // The integrity record, or a count field as writers write it (older
        // packages have no record), marks a trailer, which is then damaged.
        {"last byte cut", good.substr(0, good.size() - 1), R::TrailerDamaged, "trailer is damaged"},
        {"count field", changed(good, count_at, "99999"), R::TrailerDamaged,
         "damaged at its count field"},
        {"size field", bad_size, R::TrailerDamaged, "at entry 1: a size field is not a number"},
        {"size field, no record", without_record(bad_size), R::TrailerDamaged,
         "at entry 1: a size field is not a number"},
        {"certificate table", bad_table, R::TrailerDamaged, "certificate table", "count field"},
        {"payload byte", flipped(good, good.find(kFont) + 7), R::ChecksumMismatch,
         "checksum does not match"},
        {"payload byte, no descriptor", flipped(no_descriptor, no_descriptor.find(kFont) + 7),
         R::ChecksumMismatch, "checksum does not match"},
        {"record, no descriptor", flipped(no_descriptor, no_descriptor.size() - kv::kFillerBytes),
         R::IntegrityRecordDamaged, "integrity record is damaged"},
        {"no descriptor", no_descriptor, R::NoDescriptor, "no entry named KERVALE.DAT"},
        {"descriptor in lower case", Pack({{"kervale.dat", kGood}, {"F.ttf", "x"}}),
         R::NoDescriptor, "(it holds \"kervale.dat\"; the names must match in case)"},
        {"empty descriptor", Pack({{"KERVALE.DAT", ""}, {"F.ttf", "x"}}), R::DescriptorTooShort,
         "ends after 0 of its six fields"},
        {"two fields",
         Pack({{"KERVALE.DAT", "\"KERVALE DATAFILE 1\",\"NOREADME\""}, {"F.ttf", "x"}}),
         R::DescriptorTooShort, "after 2"},
        {"four fields, other signature",
         Pack({{"KERVALE.DAT", "\"KERVALE DATAFILE 2\",\"NOREADME\",\"NOLICENSE\",\"F\""},
               {"F.ttf", "x"}}),
         R::DescriptorTooShort, "ends after 4 of its six fields; the installer would show \"This"},
        {"other signature", Pack({{"KERVALE.DAT", corrupted}, {"F.ttf", "x"}}), R::WrongSignature,
         "\"KERVALE DATAFILE 2\", not \"KERVALE DATAFILE 1\"; the installer would show \"The "
         "kervale datafile is corrupted.\""},
    };
    // A damaged font behind a changed marker or version byte is still caught.
    for (size_t at = 0; at < 20; ++at) {
        string package = flipped(good, good.find(kFont) + 7);
        package[record + at] ^= static_cast<char>(1 << (at % 8));
        rows.push_back({"record byte " + std::to_string(at), package, R::IntegrityRecordDamaged,
                        "integrity record is damaged"});
    }
    for (const Row& row : rows) {
        const kvpack::PackageListing listing = Read(row.package);
        EXPECT_EQ(listing.installer.reason, row.reason) << row.what;
        // Before the extraction the installer has the listing only.
        kv::MemorySource source(row.package.data(), row.package.size());
        const kv::ListingFacts listed =
            kv::WalkPackage(
                source, [](const kv::TrailerEntry&) {}, nullptr, nullptr)
                .facts;
        const bool needs_descriptor = row.reason == R::DescriptorTooShort ||
                                      row.reason == R::WrongSignature || row.reason == R::None;
        EXPECT_EQ(kv::JudgeAsInstaller(listed, nullptr).reason,
                  needs_descriptor ? R::None : row.reason)
            << row.what;
        EXPECT_EQ(kvpack::InstallerRefusal(listing).empty(), row.reason == R::None) << row.what;
        const kvpack::PackageVerdict verdict = kvpack::JudgePackage(listing);
        if (row.words.empty()) {
            EXPECT_TRUE(verdict.ok()) << row.what << ": " << verdict.problem;
        } else {
            EXPECT_NE(verdict.problem.find(row.words), string::npos)
                << row.what << ": " << verdict.problem;
        }
        if (!row.not_words.empty())
            EXPECT_EQ(verdict.problem.find(row.not_words), string::npos) << row.what;
    }
}

void Collect(const string& line, void* lines) {
    static_cast<std::vector<string>*>(lines)->push_back(line);
}

// Each font entry is shown with what its name table says, face by face in
// a collection (the first ten, then a count), a variable font with its axes;
// entries the installer does not take for fonts are not.
TEST(Verify, FontLinesShowEachFontAndFace) {
    using testfonts::FaceLine;
    const string bold = testfonts::Slurp(testfonts::kDejaVu + "DejaVuSans-Bold.ttf");
    const string cff = testfonts::CffFont(bold);
    const string variable = testfonts::Variable(bold, {{"wdth", 75, 100, 125}}, 1);
    const string package =
        Pack({{"KERVALE.DAT", kGood},
              {"README.TXT", kFont},
              {"Mono.ttf", kFont},
              {"Both.otc", testfonts::Collection({cff, kFont})},
              {"Text.ttf", "text"},
              {"Var.ttf", variable},
              {"Twelve.ttc", testfonts::Collection(std::vector<string>(12, kFont))}});
    std::vector<string> expected = {
        "font entry 3 \"Mono.ttf\": " + FaceLine(kFont, "TrueType"),
        "font entry 4 \"Both.otc\": OpenType collection of 2 faces",
        "  face 1: " + FaceLine(cff, "OpenType (CFF)"),
        "  face 2: " + FaceLine(kFont, "TrueType"),
        "font entry 5 \"Text.ttf\": it is not a font file FreeType can read: ",
        "font entry 6 \"Var.ttf\": " + FaceLine(variable, "TrueType") +
            ", variable (wdth 75\u2013125; 1 named instance)",
        "font entry 7 \"Twelve.ttc\": TrueType collection of 12 faces",
    };
    for (int face = 1; face <= 10; ++face)
        expected.push_back("  face " + std::to_string(face) + ": " + FaceLine(kFont, "TrueType"));
    expected.push_back("  \u2026 and 2 more faces");

    kv::MemorySource source(package.data(), package.size());
    std::vector<string> lines;
    EXPECT_EQ(kvpack::WriteFontLines(source, Read(package), Collect, &lines), 1u);
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i].substr(0, i == 4 ? expected[i].size() : string::npos), expected[i]);
}

}  // namespace
