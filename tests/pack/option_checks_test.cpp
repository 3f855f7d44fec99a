// The packaging rules and the command line, without files.
#include "option_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"

namespace {

using kvpack::BuildOptions;
using kvpack::CheckBuildOptions;
using std::string;

BuildOptions Typical() {
    BuildOptions b;
    b.output = "out/Sample.exe";
    b.font_name = "Sample Sans";
    b.readme = "docs/README.TXT";
    b.license = "docs/LICENSE.TXT";
    b.web_url = "https://example.com/sample/";
    b.link_title = "Sample Sans";
    b.fonts = {"fonts/Sample-Regular.ttf", "fonts/Sample-Bold.ttf"};
    return b;
}

TEST(CommandLine, BuildOptionsInBothSpellingsAndFontsInOrder) {
    auto line = kvpack::ParseCommandLine({"build", "B.ttf", "-o", "x.exe", "--font-name=A, B",
                                          "--readme", "r.txt", "A.ttf", "--", "--odd.ttf"});
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.command, kvpack::Command::Build);
    EXPECT_EQ(line.build.output, "x.exe");
    EXPECT_EQ(*line.build.font_name, "A, B");
    EXPECT_EQ(*line.build.readme, "r.txt");
    EXPECT_FALSE(line.build.license.has_value());
    EXPECT_EQ(line.build.fonts, (std::vector<string>{"B.ttf", "A.ttf", "--odd.ttf"}));
}

TEST(CommandLine, UsageErrorsAndHelp) {
    EXPECT_NE(kvpack::ParseCommandLine({"build", "--colour", "x"}).error.find("--colour"),
              string::npos);
    EXPECT_NE(kvpack::ParseCommandLine({"build", "-o", "a.exe", "-o", "b.exe"}).error.find("twice"),
              string::npos);
    EXPECT_NE(kvpack::ParseCommandLine({"build", "A.ttf", "--readme"}).error.find("needs a value"),
              string::npos);
    EXPECT_NE(kvpack::ParseCommandLine({"build", "A.ttf"}).error.find("-o"), string::npos);
    EXPECT_NE(kvpack::ParseCommandLine({"extract", "p.exe"}).error, "");
    EXPECT_NE(kvpack::ParseCommandLine({"verify", "a.exe", "b.exe"}).error, "");
    EXPECT_NE(kvpack::ParseCommandLine({"pack"}).error, "");
    for (auto args : std::vector<std::vector<string>>{{}, {"help"}, {"--help"}, {"build", "-h"}})
        EXPECT_EQ(kvpack::ParseCommandLine(args).command, kvpack::Command::Help);
    EXPECT_EQ(kvpack::ParseCommandLine({"--version"}).command, kvpack::Command::Version);
}

// -h/--help is the help only where an option may stand: the value of an
// option and everything after "--" are taken as they are.
TEST(CommandLine, HelpOnlyWhereAnOptionMayStand) {
    using kvpack::Command;
    const struct {
        std::vector<string> args;
        Command command;
        string value;  // the font name, the first font, or the folder it must hold
    } cases[] = {
        {{"build", "--font-name", "-h", "-o", "x.exe", "A.ttf"}, Command::Build, "-h"},
        {{"build", "--font-name=--help", "-o", "x.exe", "A.ttf"}, Command::Build, "--help"},
        {{"build", "--font-name", "F", "-o", "x.exe", "--", "-h"}, Command::Build, "-h"},
        {{"extract", "p.exe", "--", "-h"}, Command::Extract, "-h"},
        {{"extract", "--force", "p.exe", "--", "--help"}, Command::Extract, "--help"},
        {{"build", "--font-name", "F", "-h", "A.ttf"}, Command::Help, ""},
        {{"extract", "p.exe", "-h"}, Command::Help, ""},
        {{"verify", "--help", "p.exe"}, Command::Help, ""},
        {{"list", "-h"}, Command::Help, ""},
    };
    for (const auto& c : cases) {
        const kvpack::CommandLine line = kvpack::ParseCommandLine(c.args);
        EXPECT_EQ(line.error, "") << c.args[1];
        EXPECT_EQ(line.command, c.command) << c.args[1];
        if (c.command == Command::Build) {
            const bool in_name = line.build.font_name == c.value;
            const bool in_fonts = !line.build.fonts.empty() && line.build.fonts[0] == c.value;
            EXPECT_TRUE(in_name || in_fonts) << c.value;
        }
        if (c.command == Command::Extract) EXPECT_EQ(line.directory, c.value);
    }
    EXPECT_TRUE(kvpack::ParseCommandLine({"extract", "--force", "p.exe", "d"}).force);
    EXPECT_NE(kvpack::ParseCommandLine({"verify", "--force", "p.exe"}).error, "");
}

TEST(Rules, TypicalOptionsPassAndGiveTheDescriptor) {
    const BuildOptions b = Typical();
    EXPECT_EQ(CheckBuildOptions(b), "");
    const kv::Descriptor d = kvpack::DescriptorFor(b);
    EXPECT_EQ(kv::FormatDescriptor(d),
              "\"KERVALE DATAFILE 1\"\r\n\"README.TXT\"\r\n\"LICENSE.TXT\"\r\n\"Sample Sans\"\r\n"
              "\"https://example.com/sample/\"\r\n\"Sample Sans\"\r\n");
    BuildOptions bare;
    bare.output = "a.EXE";
    bare.font_name = "F";
    bare.fonts = {"f.ttf"};
    EXPECT_EQ(CheckBuildOptions(bare), "");
    bare.font_name.reset();  // the build takes the font's own
    EXPECT_EQ(CheckBuildOptions(bare), "");
    const kv::Descriptor e = kvpack::DescriptorFor(bare);
    EXPECT_EQ(e.readme, "NOREADME");
    EXPECT_EQ(e.license, "NOLICENSE");
    EXPECT_EQ(e.web_url, "");
    EXPECT_EQ(e.link_name, "");
}

// Each broken rule is refused with a message that names the offending input.
TEST(Rules, EachRefusalNamesItsInput) {
    struct Case {
        const char* what;
        void (*spoil)(BuildOptions&);
        const char* named;
    };
    const Case cases[] = {
        {"41-byte name", [](BuildOptions& b) { b.fonts[1] = "f/" + string(37, 'x') + ".ttf"; },
         "41 bytes"},
        {"device name", [](BuildOptions& b) { b.fonts[0] = "f/com1.ttf"; }, "f/com1.ttf"},
        {"colon", [](BuildOptions& b) { b.fonts[0] = "f/a:b.ttf"; }, "character :"},
        {"backslash", [](BuildOptions& b) { b.readme = "d/a\\b.txt"; }, "readme \"d/a\\\\b.txt\""},
        {"superscript COM", [](BuildOptions& b) { b.fonts[0] = "f/COM\xB9.ttf"; }, "COM\\xB9"},
        {"superscript LPT", [](BuildOptions& b) { b.fonts[0] = "f/lpt\xB3"; }, "lpt\\xB3"},
        {"COM0", [](BuildOptions& b) { b.fonts[0] = "f/COM0.otf"; }, "f/COM0.otf"},
        {"LPT0", [](BuildOptions& b) { b.license = "d/LPT0.txt"; }, "d/LPT0.txt"},
        {"short alias", [](BuildOptions& b) { b.fonts[0] = "f/KERVAL~1.DAT"; }, "8.3"},
        {"dots only", [](BuildOptions& b) { b.fonts[0] = "f/..."; }, "f/..."},
        {"lone space", [](BuildOptions& b) { b.fonts[0] = "f/ "; }, "\"f/ \""},
        // NTFS folds the Windows-1252 letters: e-acute and E-acute, s-caron and S-caron.
        {"accented twins",
         [](BuildOptions& b) {
             b.fonts = {"f/\xE9t\xE9.ttf", "g/\xC9T\xC9.TTF"};
         },
         "g/\\xC9T\\xC9.TTF"},
        {"caron twins",
         [](BuildOptions& b) {
             b.fonts = {"f/\x9A.ttf", "g/\x8A.ttf"};
         },
         "one file"},
        {"control", [](BuildOptions& b) { b.fonts[0] = "f/a\tb.ttf"; }, "control"},
        {"trailing dot", [](BuildOptions& b) { b.fonts[0] = "f/a.ttf."; }, "f/a.ttf."},
        {"folder path", [](BuildOptions& b) { b.fonts[0] = "fonts/"; }, "is empty"},
        {"case twins", [](BuildOptions& b) { b.fonts[1] = "other/SAMPLE-regular.TTF"; },
         "other/SAMPLE-regular.TTF"},
        {"same name", [](BuildOptions& b) { b.license = "x/README.TXT"; }, "x/README.TXT"},
        {"descriptor name", [](BuildOptions& b) { b.fonts[0] = "f/Kervale.Dat"; }, "f/Kervale.Dat"},
        {"marker name", [](BuildOptions& b) { b.readme = "d/NOREADME"; }, "d/NOREADME"},
        {"quote in name", [](BuildOptions& b) { b.font_name = "Sample \"Sans\""; }, "--font-name"},
        {"line break", [](BuildOptions& b) { b.font_name = "Sample\r\nSans"; }, "--font-name"},
        {"blank font name", [](BuildOptions& b) { b.font_name = "  "; }, "--font-name"},
        // Without --font-name the name comes from the font; the link is judged all the same.
        {"no font name, quote in url",
         [](BuildOptions& b) {
             b.font_name.reset();
             b.web_url = "http://a/\"b";
         },
         "--web-url"},
        {"quote in url", [](BuildOptions& b) { b.web_url = "http://a/\"b"; }, "--web-url"},
        {"not a web address", [](BuildOptions& b) { b.web_url = "C:\\Windows\\calc.exe"; },
         "--web-url"},
        {"escape in url", [](BuildOptions& b) { b.web_url = "http://a/\x1b[2K"; }, "\\x1B[2K"},
        {"space in url", [](BuildOptions& b) { b.web_url = "http://a b/"; }, "--web-url"},
        {"title slash", [](BuildOptions& b) { b.link_title = "Home/Page"; },
         "--link-title \"Home/Page\""},
        {"title device", [](BuildOptions& b) { b.link_title = "aux"; }, "--link-title \"aux\""},
        {"title empty", [](BuildOptions& b) { b.link_title = ""; }, "--link-title \"\""},
        {"title too long", [](BuildOptions& b) { b.link_title = string(197, 't'); }, "197 bytes"},
        {"title without url", [](BuildOptions& b) { b.web_url.reset(); }, "--link-title"},
        {"url without title", [](BuildOptions& b) { b.link_title.reset(); }, "--web-url"},
        {"no font", [](BuildOptions& b) { b.fonts.clear(); }, "no font file"},
        {"not .exe", [](BuildOptions& b) { b.output = "Sample.bin"; }, "Sample.bin"},
        {"too many", [](BuildOptions& b) { b.fonts.resize(32765, "f/x.ttf"); }, "32768"},
    };
    for (const Case& c : cases) {
        BuildOptions b = Typical();
        c.spoil(b);
        const string message = CheckBuildOptions(b);
        EXPECT_NE(message.find(c.named), string::npos) << c.what << ": " << message;
        EXPECT_EQ(message.find('\n'), string::npos) << c.what;
    }
    // The largest package passes: 32767 entries with the descriptor.
    BuildOptions most = Typical();
    most.fonts.clear();
    for (int i = 0; i < 32764; ++i) most.fonts.push_back("f/" + std::to_string(i) + ".ttf");
    EXPECT_EQ(CheckBuildOptions(most), "");
}

TEST(Rules, LinkTitleRulesFollowTheInstallersShortcutName) {
    EXPECT_EQ(kvpack::LinkTitleProblem(" Sample Sans Home "), "");
    EXPECT_EQ(kvpack::LinkTitleProblem(string(196, 't')), "");  // title + ".url" fits 200
    EXPECT_EQ(kvpack::LinkTitleProblem("Sample, Sans: Home").find("character :") != string::npos,
              true);
    EXPECT_NE(kvpack::LinkTitleProblem("..\\x"), "");
    EXPECT_EQ(kvpack::WebUrlProblem("HTTPS://example.com"), "");
    EXPECT_NE(kvpack::WebUrlProblem("https://"), "");
    EXPECT_EQ(kvpack::WebUrlProblem("mailto:someone@example.com"), "");
    EXPECT_EQ(kvpack::WebUrlProblem("www.example.com/fonts"), "");
    EXPECT_NE(kvpack::WebUrlProblem("www."), "");
    EXPECT_NE(kvpack::WebUrlProblem("file:///C:/Windows/notepad.exe"), "");
    EXPECT_NE(kvpack::WebUrlProblem("\\\\host\\share\\update.exe"), "");
}

TEST(Roles, FollowTheDescriptorExactly) {
    kv::Descriptor d{kv::kSignature, "README.TXT", "NOLICENSE", "F", "", ""};
    EXPECT_EQ(kvpack::RoleOf("KERVALE.DAT", &d), kvpack::Role::Descriptor);
    EXPECT_EQ(kvpack::RoleOf("README.TXT", &d), kvpack::Role::Readme);
    EXPECT_EQ(kvpack::RoleOf("readme.txt", &d), kvpack::Role::Ignored);  // no font by its name
    EXPECT_EQ(kvpack::RoleOf("NOLICENSE", &d), kvpack::Role::Ignored);
    EXPECT_EQ(kvpack::RoleOf("A.ttf", &d), kvpack::Role::Font);
    EXPECT_EQ(kvpack::RoleOf("desktop.ini", &d), kvpack::Role::Ignored);
    d.license = "LICENSE.TXT";
    EXPECT_EQ(kvpack::RoleOf("LICENSE.TXT", &d), kvpack::Role::License);
    EXPECT_EQ(kvpack::RoleOf("README.TXT", nullptr), kvpack::Role::Ignored);
    EXPECT_EQ(kvpack::RoleOf("A.OTF", nullptr), kvpack::Role::Font);
    // Case counts: a readme or license named in another case is a font.
    d.readme = "SANS.TTF";
    EXPECT_EQ(kvpack::RoleOf("SANS.TTF", &d), kvpack::Role::Readme);
    EXPECT_EQ(kvpack::RoleOf("Sans.ttf", &d), kvpack::Role::Font);
}

TEST(Paths, BaseAndFolderNames) {
    EXPECT_EQ(kvpack::BaseName("fonts/A B.ttf"), "A B.ttf");
    EXPECT_EQ(kvpack::BaseName("A.ttf"), "A.ttf");
    EXPECT_EQ(kvpack::BaseName("fonts/"), "");
    EXPECT_EQ(kvpack::DirName("fonts/sub/A.ttf"), "fonts/sub");
    EXPECT_EQ(kvpack::DirName("A.ttf"), ".");
    EXPECT_EQ(kvpack::DirName("/A.ttf"), "/");
}

}  // namespace
