// The packaging rules and the command line, without files.
#include "option_checks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "iconv_oracle.h"
#include "name_rules.h"
#include "options.h"
#include "platform_fs.h"
#include "text_encoding.h"

namespace {

using kvpack::BuildOptions;
using kvpack::CheckBuildOptions;
using std::string;

// Every problem in one text, a line each, to look for what a case names.
string Joined(const std::vector<string>& problems) {
    string text;
    for (const string& p : problems) text += p + "\n";
    return text;
}

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
    for (auto args : std::vector<std::vector<string>>{{"help"}, {"--help"}, {"build", "-h"}})
        EXPECT_EQ(kvpack::ParseCommandLine(args).command, kvpack::Command::Help);
    // Nothing at all is a mistake, not a request for help.
    EXPECT_EQ(kvpack::ParseCommandLine({}).command, kvpack::Command::Usage);
    EXPECT_NE(kvpack::ParseCommandLine({"build", "--name", "NoEquals.ttf", "-o", "x.exe", "A.ttf"})
                  .error.find("INPUT=NAME"),
              string::npos);
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

// --name may be given for each input; the name is what follows the last "=".
TEST(CommandLine, NamesForInputs) {
    const auto line = kvpack::ParseCommandLine(
        {"build", "-o", "x.exe", "--name", "a/b=c.ttf", "--name=d=e.ttf=E.ttf", "a/b", "d=e.ttf"});
    ASSERT_EQ(line.error, "");
    ASSERT_EQ(line.build.names.size(), 2u);
    EXPECT_EQ(line.build.names[0].input, "a/b");
    EXPECT_EQ(line.build.names[0].name, "c.ttf");
    EXPECT_EQ(line.build.names[1].input, "d=e.ttf");
    EXPECT_EQ(line.build.names[1].name, "E.ttf");
    const std::vector<kvpack::PackagedInput> inputs = kvpack::PackagedInputs(line.build);
    EXPECT_EQ(inputs[0].name, "c.ttf");
    EXPECT_TRUE(inputs[0].named);
    EXPECT_EQ(inputs[1].name, "E.ttf");
}

// Each flag belongs to its command: --follow-links to build, --overwrite to
// extract, --any-stub to verify.
TEST(CommandLine, FlagsOfEachCommand) {
    const struct {
        std::vector<string> args;
        bool kvpack::CommandLine::*flag;  // nullptr: build's follow_links
        bool accepted;
    } cases[] = {
        {{"build", "-o", "x.exe", "--follow-links", "A.ttf"}, nullptr, true},
        {{"extract", "--overwrite", "p.exe", "d"}, &kvpack::CommandLine::overwrite, true},
        {{"verify", "--any-stub", "p.exe"}, &kvpack::CommandLine::any_stub, true},
        {{"verify", "--overwrite", "p.exe"}, &kvpack::CommandLine::overwrite, false},
        {{"extract", "--any-stub", "p.exe", "d"}, &kvpack::CommandLine::any_stub, false},
        {{"list", "--follow-links", "p.exe"}, &kvpack::CommandLine::overwrite, false},
    };
    for (const auto& c : cases) {
        const kvpack::CommandLine line = kvpack::ParseCommandLine(c.args);
        EXPECT_EQ(line.error.empty(), c.accepted) << c.args[0] << " " << line.error;
        if (c.accepted) EXPECT_TRUE(c.flag ? line.*c.flag : line.build.follow_links) << c.args[0];
    }
    EXPECT_FALSE(kvpack::ParseCommandLine({"build", "-o", "x.exe", "A.ttf"}).build.follow_links);
}

TEST(Rules, TypicalOptionsPassAndGiveTheDescriptor) {
    const BuildOptions b = Typical();
    EXPECT_EQ(Joined(CheckBuildOptions(b)), "");
    const kv::Descriptor d = kvpack::DescriptorFor(b);
    EXPECT_EQ(kv::FormatDescriptor(d),
              "\"KERVALE DATAFILE 1\"\r\n\"README.TXT\"\r\n\"LICENSE.TXT\"\r\n\"Sample Sans\"\r\n"
              "\"https://example.com/sample/\"\r\n\"Sample Sans\"\r\n");
    BuildOptions bare;
    bare.output = "a.EXE";
    bare.font_name = "F";
    bare.fonts = {"f.ttf"};
    EXPECT_EQ(Joined(CheckBuildOptions(bare)), "");
    bare.font_name.reset();  // the build takes the font's own
    EXPECT_EQ(Joined(CheckBuildOptions(bare)), "");
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
         "ASCII only"},
        // Names go into the package as ASCII, and a refused one comes with
        // a name that fits, ready to paste.
        {"UTF-8 name", [](BuildOptions& b) { b.fonts[0] = "f/Caf\xC3\xA9.ttf"; },
         "holds U+00E9 '\xC3\xA9', and packaged names are ASCII only"},
        {"UTF-8 name, a name offered", [](BuildOptions& b) { b.fonts[0] = "f/Caf\xC3\xA9.ttf"; },
         "; store it under another name: --name f/Caf\xC3\xA9.ttf=Cafe.ttf"},
        {"41 bytes, a name offered",
         [](BuildOptions& b) { b.fonts[0] = "f/NotoSansDisplay-ExtraCondensedExtraLight.ttf"; },
         "--name f/NotoSansDisplay-ExtraCondensedExtraLight.ttf=NotoSansDisplay-XCnXLt.ttf"},
        {"--name for no input",
         [](BuildOptions& b) {
             b.names.push_back({"fonts/Other.ttf", "O.ttf"});
         },
         "no input is given as \"fonts/Other.ttf\""},
        {"--name twice",
         [](BuildOptions& b) {
             b.names.push_back({"fonts/Sample-Bold.ttf", "B.ttf"});
             b.names.push_back({"fonts/Sample-Bold.ttf", "C.ttf"});
         },
         "--name twice"},
        {"--name gives a device",
         [](BuildOptions& b) {
             b.names.push_back({"fonts/Sample-Bold.ttf", "aux.ttf"});
         },
         "the name \"aux.ttf\" given with --name is a reserved Windows device name"},
        {"--name gives a twin",
         [](BuildOptions& b) {
             b.names.push_back({"fonts/Sample-Bold.ttf", "SAMPLE-REGULAR.ttf"});
         },
         "differ only in letter case"},
        // Values typed in UTF-8 that Windows-1252 cannot hold, named as a
        // person reads them.
        {"Cyrillic font name", [](BuildOptions& b) { b.font_name = "\xD0\xA8rift"; },
         "--font-name \"\xD0\xA8rift\": U+0428 '\xD0\xA8' is not in Windows-1252"},
        {"arrow in title", [](BuildOptions& b) { b.link_title = "Home \xE2\x86\x92"; },
         "--link-title \"Home \xE2\x86\x92\": U+2192 '\xE2\x86\x92' is not in Windows-1252"},
        {"control in font name", [](BuildOptions& b) { b.font_name = "A\x1B[2J"; },
         "control character"},
        {"accent in url", [](BuildOptions& b) { b.web_url = "https://example.org/caf\xC3\xA9/"; },
         "U+00E9 '\xC3\xA9', and a web address must be ASCII; percent-encode it: "
         "https://example.org/caf%C3%A9/"},
        {"accent in host", [](BuildOptions& b) { b.web_url = "https://caf\xC3\xA9.example/"; },
         "xn--"},
        // A mail link's host follows its "@", a www. address's starts it.
        {"accent in mailbox",
         [](BuildOptions& b) { b.web_url = "mailto:j\xC3\xBCrgen@example.org"; },
         "percent-encode it: mailto:j%C3%BCrgen@example.org"},
        {"accent in mail host",
         [](BuildOptions& b) {
             b.web_url =
                 "mailto:info@b\xC3\xBC"
                 "cher.example";
         },
         "xn--"},
        {"accent in www. host",
         [](BuildOptions& b) {
             b.web_url =
                 "www.b\xC3\xBC"
                 "cher.example/x";
         },
         "xn--"},
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
        const std::vector<string> problems = CheckBuildOptions(b);
        EXPECT_NE(Joined(problems).find(c.named), string::npos)
            << c.what << ": " << Joined(problems);
        for (const string& problem : problems)
            EXPECT_EQ(problem.find('\n'), string::npos) << c.what;
    }
    // The largest package passes: 32767 entries with the descriptor.
    BuildOptions most = Typical();
    most.fonts.clear();
    for (int i = 0; i < 32764; ++i) most.fonts.push_back("f/" + std::to_string(i) + ".ttf");
    EXPECT_EQ(Joined(CheckBuildOptions(most)), "");
}

// One run names every problem, each on its own line, and the names it
// offers are unique in the package: not each other's, not an input's.
TEST(Rules, EveryProblemAtOnceWithNamesThatDoNotClash) {
    BuildOptions b = Typical();
    b.fonts = {"f/NotoSerifDisplay-ExtraCondensedExtraLightItalic.ttf",
               "f/NotoSerifDisplay-ExtraCondensedExtraLightItalic.otf",
               "g/NotoSerifDisplay-ExtraCondensedExtraLightItalic.ttf",
               "f/Caf\xC3\xA9.ttf",
               "f/Cafe.ttf",
               "f/con.ttf"};
    b.web_url = "ftp://example.org/";
    b.output = "Sample.bin";
    const std::vector<string> problems = CheckBuildOptions(b);
    ASSERT_EQ(problems.size(), 7u) << Joined(problems);
    std::vector<string> offered;
    for (const string& problem : problems) {
        const size_t at = problem.find("--name ");
        if (at == string::npos) continue;
        const string name = problem.substr(problem.rfind('=') + 1);
        EXPECT_LE(name.size(), kv::kMaxNameLength) << name;
        EXPECT_EQ(kvpack::PackagedNameProblem(name), "") << name;
        const string extension = name.substr(name.size() - 4);
        EXPECT_TRUE(extension == ".ttf" || extension == ".otf") << name;
        for (const string& other : offered) EXPECT_FALSE(kv::SameWindowsName(name, other)) << name;
        EXPECT_FALSE(kv::SameWindowsName(name, "Cafe.ttf")) << "an input's own name";
        offered.push_back(name);
    }
    EXPECT_EQ(offered.size(), 5u) << Joined(problems);
}

// What build offers instead of a name it refuses: ASCII, within 40 bytes,
// its extension kept, a name the installer takes, and none taken before.
TEST(Rules, SuggestedNamesFitThePackage) {
    std::unordered_set<string> taken{kv::FoldCase("KERVALE.DAT"), kv::FoldCase("Short.ttf")};
    for (const string name : std::vector<string>{
             "NotoSansDisplay-ExtraCondensedSemiBoldItalic.ttf",
             "NotoSansDisplay-ExtraCondensedSemiBoldItalic.ttf", "Short.ttf", "SHORT.TTF",
             "\xD0\xA8\xD1\x80\xD0\xB8\xD1\x84\xD1\x82.ttf", "\xC3\x86sc \xC3\x9F.otf",
             "Cafe\xCC\x81.ttf", "KERVALE.DAT", "com1.ttf", "trailing.",
             string(60, 'x') + ".woff2x", "KERVAL~1.DAT", "NOREADME", "a:b.ttf", "Caf\xE9.ttf"}) {
        const size_t taken_before = taken.size();
        const string got = kvpack::SuggestedName(name, "font", taken);
        SCOPED_TRACE(name + " -> " + got);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(kvpack::PackagedNameProblem(got), "");
        EXPECT_NE(got, "NOREADME");
        const size_t dot = name.rfind('.');
        if (dot != string::npos && dot > 0 && name.size() - dot >= 2 && name.size() - dot <= 5)
            EXPECT_EQ(got.substr(got.size() - (name.size() - dot)), name.substr(dot));
        EXPECT_EQ(taken.size(), taken_before + 1) << "a name taken before";
    }
    std::unordered_set<string> none;
    EXPECT_EQ(
        kvpack::SuggestedName("NotoSansDisplay-ExtraCondensedSemiBoldItalic.ttf", "font", none),
        "NotoSansDisplay-XCnSmBdIt.ttf");
    EXPECT_EQ(kvpack::SuggestedName("\xC3\x86sc \xC3\x9F.otf", "font", none), "AEsc ss.otf");
}

// The option build offers is pasted into a shell: the shell must give
// back exactly the text.
TEST(Rules, OfferedOptionsPasteIntoTheShell) {
    for (const string text : {string("f/A.ttf=B.ttf"), string("my fonts/A b.ttf=Ab.ttf"),
                              string("it's/\"x\"$HOME`id`\\.ttf=x.ttf"),
                              string("f/Caf\xC3\xA9.ttf=Cafe.ttf"), string("-x=*.ttf")}) {
        const string word = kvpack::ShellWord(text);
        FILE* shell = popen(("printf '%s' " + word).c_str(), "r");
        ASSERT_NE(shell, nullptr);
        string echoed;
        char buffer[256];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, shell)) > 0;) echoed.append(buffer, n);
        pclose(shell);
        EXPECT_EQ(echoed, text) << word;
    }
    // What a terminal must not get is escaped, and no longer pasteable.
    EXPECT_EQ(kvpack::ShellWord("a\x1B]0;x\x07"), "\"a\\x1B]0;x\\x07\"");
}

string Windows1252(const string& utf8) {
    string out;
    EXPECT_TRUE(testiconv::Convert("WINDOWS-1252", "UTF-8", utf8, out)) << utf8;
    return out;
}

// Texts come as UTF-8, with or without a byte-order mark, as UTF-16 after
// its mark, or as Windows-1252 already; the package gets what iconv makes
// of them, and line breaks stay as they were.
TEST(TextEncoding, FilesInEachFormBecomeWhatIconvMakes) {
    using kvpack::TextForm;
    for (const string utf8 :
         {string("Copyright \xC2\xA9 2024 Caf\xC3\xA9\r\n\xC5\x92uvre \xE2\x80\x93 "
                 "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\xA6 \xE2\x82\xAC\n\xC3\xBF\rend"),
          string("plain ASCII\r\nlines\n"), string("")}) {
        SCOPED_TRACE(utf8);
        const string expected = Windows1252(utf8);
        const bool ascii = expected == utf8;
        string le, be;
        ASSERT_TRUE(testiconv::Convert("UTF-16LE", "UTF-8", utf8, le));
        ASSERT_TRUE(testiconv::Convert("UTF-16BE", "UTF-8", utf8, be));
        const struct {
            string bytes;
            TextForm form;
        } forms[] = {
            {utf8, ascii ? TextForm::Ascii : TextForm::Utf8},
            {"\xEF\xBB\xBF" + utf8, TextForm::Utf8WithBom},
            {"\xFF\xFE" + le, TextForm::Utf16Le},
            {"\xFE\xFF" + be, TextForm::Utf16Be},
            // Windows-1252 already: not UTF-8, so taken as it stands.
            {expected, ascii ? TextForm::Ascii : TextForm::Windows1252},
        };
        for (const auto& f : forms) {
            const kvpack::ConvertedText text = kvpack::ConvertFileText(f.bytes);
            EXPECT_TRUE(text.ok()) << text.damage;
            EXPECT_EQ(text.form, f.form) << static_cast<int>(f.form);
            EXPECT_EQ(text.windows1252, expected) << static_cast<int>(f.form);
            EXPECT_EQ(kvpack::ConversionNote(text).empty(), f.form == TextForm::Ascii);
        }
    }
}

// A character Windows-1252 lacks is named as a person reads it, with the
// line it stands on (CR LF, CR and LF each end a line), in every form.
TEST(TextEncoding, CharactersWindows1252LacksAreNamedWithTheirLines) {
    const string utf8 =
        "one\r\ntwo \xD0\x96\rthree\n\xE2\x86\x92 \xD0\x96\r\n\r\nsix e\xCC\x81 \xF0\x9F\x98\x80"
        " \xC2\x81";
    const std::vector<std::pair<string, size_t>> expected = {{"\xD0\x96", 2},
                                                             {"\xE2\x86\x92", 4},
                                                             {"\xCC\x81", 6},
                                                             {"\xF0\x9F\x98\x80", 6},
                                                             {"\xC2\x81", 6}};
    string le;
    ASSERT_TRUE(testiconv::Convert("UTF-16LE", "UTF-8", utf8, le));
    for (const string& bytes : {utf8, "\xFF\xFE" + le}) {
        const kvpack::ConvertedText text = kvpack::ConvertFileText(bytes);
        EXPECT_FALSE(text.ok());
        ASSERT_EQ(text.missing_count, expected.size());
        for (size_t i = 0; i < text.missing.size(); ++i) {
            string code;
            ASSERT_TRUE(testiconv::Convert("UTF-32LE", "UTF-8", expected[i].first, code));
            const uint32_t c = uint8_t(code[0]) | uint8_t(code[1]) << 8 | uint8_t(code[2]) << 16;
            EXPECT_EQ(text.missing[i].character, c) << i;
            EXPECT_EQ(text.missing[i].line, expected[i].second) << i;
        }
        const string named = kvpack::MissingCharactersText(text, true);
        EXPECT_EQ(named.find("U+0416 '\xD0\x96' on line 2, U+2192 '\xE2\x86\x92' on line 4, "
                             "U+0301 (a combining accent) on line 6 and 2 more characters"),
                  0u)
            << named;
    }
}

TEST(TextEncoding, WhatIsNotTextIsRefused) {
    string le_nul;
    ASSERT_TRUE(testiconv::Convert("UTF-16LE", "UTF-8", string("a\nb\0c", 5), le_nul));
    const struct {
        string bytes;
        const char* said;
    } cases[] = {
        {string("a\r\nb\0c", 6), "NUL byte (line 2)"},
        {string("\x00\x01\x00\x08", 4), "NUL byte (line 1)"},
        {"\xFF\xFE" + le_nul, "NUL character (line 2)"},
        {string("\xFF\xFE\0\0a\0\0\0", 8), "UTF-32"},
        {"\xFF\xFE"
         "a\0b",
         "odd number of bytes"},
        {string("\xFE\xFF\xD8\x00\x00\x61", 6), "lone surrogate on line 1"},
        {"\xEF\xBB\xBF"
         "caf\xE9",
         "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        const kvpack::ConvertedText text = kvpack::ConvertFileText(c.bytes);
        EXPECT_NE(text.damage.find(c.said), string::npos) << c.said << ": " << text.damage;
    }
}

// Names and titles typed on a command line: UTF-8 as iconv converts it;
// what is not UTF-8 stays as it was typed, for those who type Windows-1252.
TEST(TextEncoding, ValuesAsTyped) {
    for (const string value :
         {"DejaVu Sans Mono", "Caf\xC3\xA9 \xC3\xBF",
          "\xE2\x82\xAC \xC5\x92uvre \xE2\x84\xA2 \xC5\xB8",
          "\xE2\x80\x9CQuoted\xE2\x80\x9D \xE2\x80\x94 \xC5\xBD", "\xCE\xA9mega", "tab\there",
          "\x7F", "\xC2\x81", "\xC2\x9D", "\xF0\x9F\x98\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80",
          "\xC3\x28", "Caf\xE9"}) {
        SCOPED_TRACE(value);
        string utf32, expected;
        const kvpack::ConvertedText text = kvpack::ConvertValue(value);
        if (!testiconv::Convert("UTF-32LE", "UTF-8", value, utf32)) {
            EXPECT_EQ(text.form, kvpack::TextForm::Windows1252);
            EXPECT_EQ(text.windows1252, value);
        } else if (testiconv::Convert("WINDOWS-1252", "UTF-8", value, expected)) {
            EXPECT_TRUE(text.ok());
            EXPECT_EQ(text.windows1252, expected);
        } else {
            EXPECT_GT(text.missing_count, 0u);
        }
    }
}

// list and verify show texts as the user reads them, and nothing that
// moves the cursor, sets a title or turns text around reaches the terminal.
TEST(TextEncoding, TerminalSeesWhatTheUserSeesAndNoControls) {
    for (int b = 0; b < 256; ++b) {
        const string byte(1, static_cast<char>(b));
        const string shown = kvpack::EscapedWindows1252(byte);
        string utf8;
        const bool defined = testiconv::Convert("UTF-8", "WINDOWS-1252", byte, utf8);
        if (b < 0x20 || b == 0x7F || !defined)
            EXPECT_EQ(shown[0], '\\') << b;
        else if (b == '\\' || b == '"')
            EXPECT_EQ(shown, "\\" + byte);
        else
            EXPECT_EQ(shown, utf8) << b;
    }
    const struct {
        string text, shown;
    } cases[] = {
        {"Caf\xC3\xA9 \xD0\x96", "Caf\xC3\xA9 \xD0\x96"},
        {"\x1B]0;x\x07", "\\x1B]0;x\\x07"},
        {"a\xE2\x80\xAE"
         "cba",
         "a\\u202Ecba"},  // right-to-left override
        {"\xC2\x9B"
         "2J",
         "\\u009B2J"},                                     // C1 control sequence introducer
        {"\xE2\x81\xA6x\xE2\x81\xA9", "\\u2066x\\u2069"},  // isolates
        {"a\xE2\x80\x8B"
         "b",
         "a\\u200Bb"},                        // zero width space
        {"\xF3\xA0\x81\x81", "\\U000E0041"},  // a tag character
        {"\xFF\xC3", "\\xFF\\xC3"},
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {"\r\n\t", "\\r\\n\\t"},
    };
    for (const auto& c : cases) EXPECT_EQ(kvpack::EscapedUtf8(c.text), c.shown) << c.shown;
    EXPECT_EQ(kvpack::CharacterText(0x416), "U+0416 '\xD0\x96'");
    EXPECT_EQ(kvpack::CharacterText(0x202E), "U+202E");
    EXPECT_EQ(kvpack::CharacterText(0x1F600), "U+1F600 '\xF0\x9F\x98\x80'");
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

// A link's target lies within the input's folder when it is in that
// folder or below it; a sibling whose name merely begins the same does not.
TEST(Paths, WhatLiesWithinAFolder) {
    const struct {
        const char* file;
        const char* folder;
        bool within;
    } cases[] = {
        {"/src/font/README.TXT", "/src/font", true},
        {"/src/font/docs/README.TXT", "/src/font", true},
        {"/src/font/README.TXT", "/src/font/", true},
        {"/etc/key.pem", "/", true},
        {"/src/fonts-private/key.pem", "/src/font", false},
        {"/src/key.pem", "/src/font", false},
        {"/src/font", "/src/font", false},
        {"", "/src/font", false},
        {"/src/font/a", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvpack::LiesWithin(c.file, c.folder), c.within) << c.file << " in " << c.folder;
}

// Wildcards as Windows users mean them; the names come out in byte order.
TEST(Paths, WildcardsMatchAsOnWindows) {
    const string many(1000, 'a');
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.ttf", "A.ttf", true},
        {"*.ttf", "A.TTF", true},
        {"*.TTF", "a.ttf", true},
        {"*.ttf", "A.ttf.bak", false},
        {"*.ttf", ".ttf", true},
        {"Sample-*", "Sample-Bold.otf", true},
        {"Sample-*", "Sampl-Bold.otf", false},
        {"?.ttf", "A.ttf", true},
        {"?.ttf", "AB.ttf", false},
        {"?.ttf", "\xC3\xA9.ttf", true},  // one character, two bytes in UTF-8
        {"??.ttf", "\xC3\xA9.ttf", false},
        {"*a*b*c", "xaybzc", true},
        {"*a*b*c", "xaybz", false},
        {"**", "", true},
        {"*", "anything", true},
        {"a*b", "ab", true},
        {"*aaa*aaa*", many.c_str(), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvpack::WildcardMatch(c.pattern, c.name), c.matches)
            << c.pattern << " " << c.name;
    EXPECT_TRUE(kvpack::HasWildcard("fonts/*.ttf"));
    EXPECT_TRUE(kvpack::HasWildcard("A?.ttf"));
    EXPECT_FALSE(kvpack::HasWildcard("fonts/A.ttf"));
    EXPECT_EQ(kvpack::MatchingNames("*.ttf", {"b.ttf", "B.otf", "A.ttf", "a.TTF", "c.txt"}),
              (std::vector<string>{"A.ttf", "a.TTF", "b.ttf"}));
}

// Paths are shown as their owners wrote them, but nothing in one can move
// the cursor, reverse the text or end its quotes.
TEST(Paths, QuotedAsWrittenButHarmless) {
    const struct {
        const char* path;
        const char* shown;
    } cases[] = {
        {"fonts/A.ttf", "\"fonts/A.ttf\""},
        {"\xD0\xA8\xD1\x80\xD0\xB8\xD1\x84\xD1\x82/Caf\xC3\xA9.ttf",
         "\"\xD0\xA8\xD1\x80\xD0\xB8\xD1\x84\xD1\x82/Caf\xC3\xA9.ttf\""},
        {"a\x1b[2Jb", "\"a\\x1B[2Jb\""},
        {"Caf\xE9.ttf", "\"Caf\\xE9.ttf\""},      // Windows-1252, not UTF-8
        {"\xC3\xA9\xC3", "\"\xC3\xA9\\xC3\""},    // cut short
        {"\xC0\xAF", "\"\\xC0\\xAF\""},           // an overlong slash
        {"\xED\xA0\x80", "\"\\xED\\xA0\\x80\""},  // a surrogate
        {"\xC2\x9B"
         "2J",
         "\"\\u009B"
         "2J\""},  // C1 CSI
        {"gpj.\xE2\x80\xAE"
         "exe",
         "\"gpj.\\u202E"
         "exe\""},  // right-to-left override
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\b", "\"a\\\\b\""},  // doubled here; single on Windows
    };
    for (const auto& c : cases) EXPECT_EQ(kvpack::QuotedPath(c.path), c.shown) << c.path;
}

TEST(Paths, BaseAndFolderNames) {
    EXPECT_EQ(kvpack::BaseName("fonts/A B.ttf"), "A B.ttf");
    EXPECT_EQ(kvpack::BaseName("A.ttf"), "A.ttf");
    EXPECT_EQ(kvpack::BaseName("fonts/"), "");
    EXPECT_EQ(kvpack::DirName("fonts/sub/A.ttf"), "fonts/sub");
    EXPECT_EQ(kvpack::DirName("A.ttf"), ".");
    EXPECT_EQ(kvpack::DirName("/A.ttf"), "/");
    // A drive's root keeps its separator, as "/" does.
    EXPECT_EQ(kvpack::DirName("C:/A.ttf"), "C:/");
    const struct {
        const char* path;
        bool root;
    } roots[] = {{"/", true},   {"C:/", true}, {"C:", true},   {"", false},
                 {"//", false}, {"a/", false}, {"CD/", false}, {"C:a/", false}};
    for (const auto& r : roots) EXPECT_EQ(kvpack::EndsInRoot(r.path), r.root) << r.path;
}

}  // namespace
