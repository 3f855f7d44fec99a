// kervale-pack run as a program: refusals, round trips, determinism, damage.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include "integrity.h"
#include "pe_stub.h"
#include "test_fonts.h"
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using std::string;
using Args = std::vector<string>;

struct Result {
    int code = -1;
    string out, err;
};

string Read(const string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const string& path, const string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Names in a folder, sorted; what a refused build must leave unchanged.
std::vector<string> Names(const string& folder) {
    std::vector<string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (string(e->d_name) != "." && string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class PackTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kervale-pack-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        in_ = root_ + "/in/";
        out_ = root_ + "/out/";
        mkdir(in_.c_str(), 0777);
        mkdir(out_.c_str(), 0777);
        stub_ = in_ + "stub.exe";
        Write(stub_, testpe::Stub());
        Write(in_ + "README.TXT", "Read me.\r\n");
        Write(in_ + "LICENSE.TXT", "You may.\r\n");
        Write(in_ + "Sample-Regular.ttf", Mono());
        Write(in_ + "Sample-Bold.otf", testfonts::CffFont(Bold()));
    }

    static const string& Mono() {
        static const string font = testfonts::Slurp(testfonts::kDejaVu + "DejaVuSansMono.ttf");
        return font;
    }
    static const string& Bold() {
        static const string font = testfonts::Slurp(testfonts::kDejaVu + "DejaVuSans-Bold.ttf");
        return font;
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    // Runs the tool; a run that has not ended after a minute is killed and
    // counts as failed, so a tool that blocks cannot hang the tests.
    Result Run(const Args& args, const string& program = KERVALE_PACK_PATH) {
        pid_t pid = Start(args, program);
        Result r;
        int status = 0;
        pid_t ended = 0;
        for (int waited = 0; waited < 6000 && (ended = waitpid(pid, &status, WNOHANG)) == 0;
             ++waited)
            usleep(10000);
        if (ended == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        } else if (ended == pid && WIFEXITED(status)) {
            r.code = WEXITSTATUS(status);
        }
        r.out = Read(root_ + "/stdout");
        r.err = Read(root_ + "/stderr");
        return r;
    }

    pid_t Start(const Args& args, const string& program = KERVALE_PACK_PATH) {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const string out = root_ + "/stdout", err = root_ + "/stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // A full build: readme, license, web link, two fonts.
    Args FullBuild(const string& output) {
        return {"build",
                "-o",
                output,
                "--font-name",
                "Sample Sans",
                "--readme",
                in_ + "README.TXT",
                "--license",
                in_ + "LICENSE.TXT",
                "--web-url",
                "https://example.com/sample/",
                "--link-title",
                "Sample Sans",
                "--stub",
                stub_,
                in_ + "Sample-Regular.ttf",
                in_ + "Sample-Bold.otf"};
    }

    string root_, in_, out_, stub_;
};

// The image a reader of the format expects, assembled here by hand: stub,
// zero padding to a multiple of 8, entries, count, and the filler opening
// with the integrity record.
string ExpectedImage(const string& stub, const std::vector<std::pair<string, string>>& entries) {
    string payload;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        char size[16];
        std::snprintf(size, sizeof size, "%010zu", it->second.size());
        payload += it->second + it->first + string(40 - it->first.size(), '\0') + size;
    }
    char count[8];
    std::snprintf(count, sizeof count, "%05zu", entries.size());
    payload += count;

    string record = string("KERVALE CHECK 1") + string(1, '\0');
    auto put = [&](uint64_t value, int width) {
        for (int i = 0; i < width; ++i) record += static_cast<char>(value >> (8 * i));
    };
    put(1, 4);
    put(payload.size(), 8);
    put(kv::Crc32(0, payload.data(), payload.size()), 4);

    const size_t padding = (8 - (stub.size() + payload.size() + 514) % 8) % 8;
    return stub + string(padding, '\0') + payload + record + string(514 - record.size(), '\0');
}

TEST_F(PackTool, BuildThenVerifyListExtractRoundTrip) {
    const string package = out_ + "Sample.exe";
    Result built = Run(FullBuild(package));
    ASSERT_EQ(built.code, 0) << built.err;
    EXPECT_EQ(Names(out_), Args{"Sample.exe"});  // no temporary left

    const string descriptor =
        "\"KERVALE DATAFILE 1\"\r\n\"README.TXT\"\r\n\"LICENSE.TXT\"\r\n\"Sample Sans\"\r\n"
        "\"https://example.com/sample/\"\r\n\"Sample Sans\"\r\n";
    const std::vector<std::pair<string, string>> entries = {
        {"KERVALE.DAT", descriptor},
        {"README.TXT", Read(in_ + "README.TXT")},
        {"LICENSE.TXT", Read(in_ + "LICENSE.TXT")},
        {"Sample-Regular.ttf", Read(in_ + "Sample-Regular.ttf")},
        {"Sample-Bold.otf", Read(in_ + "Sample-Bold.otf")}};
    EXPECT_EQ(Read(package), ExpectedImage(Read(stub_), entries));

    // Both show each font as its name table has it.
    const string fonts[] = {
        "font entry 4 \"Sample-Regular.ttf\": " + testfonts::FaceLine(Mono(), "TrueType"),
        "font entry 5 \"Sample-Bold.otf\": " + testfonts::FaceLine(Bold(), "OpenType (CFF)")};
    Result verified = Run({"verify", package});
    EXPECT_EQ(verified.code, 0) << verified.err;
    EXPECT_EQ(verified.out.rfind("OK: ", 0), 0u) << verified.out;
    EXPECT_EQ(std::count(verified.out.begin(), verified.out.end(), '\n'), 3);
    for (const string& font : fonts)
        EXPECT_NE(verified.out.find("\n  " + font + "\n"), string::npos) << font << verified.out;

    Result listed = Run({"list", package});
    EXPECT_EQ(listed.code, 0) << listed.err;
    size_t at = 0;
    for (const string& row :
         {string("descriptor  KERVALE.DAT"), string("readme      README.TXT"),
          string("license     LICENSE.TXT"), string("font        Sample-Regular.ttf"),
          string("font        Sample-Bold.otf"), string("\"https://example.com/sample/\""),
          "  " + fonts[0], "  " + fonts[1]}) {
        at = listed.out.find(row, at);
        EXPECT_NE(at, string::npos) << row << "\n" << listed.out;
    }

    const string folder = root_ + "/extracted/deeper";
    Result extracted = Run({"extract", package, folder});
    ASSERT_EQ(extracted.code, 0) << extracted.err;
    EXPECT_EQ(Names(folder).size(), entries.size());
    for (const auto& e : entries) EXPECT_EQ(Read(folder + "/" + e.first), e.second) << e.first;
}

TEST_F(PackTool, SameInputsGiveTheSameBytesAndReplaceTheOutput) {
    ASSERT_EQ(Run(FullBuild(out_ + "a.exe")).code, 0);
    Write(out_ + "b.exe", string(300000, 'x'));  // an older, longer build
    ASSERT_EQ(Run(FullBuild(out_ + "b.exe")).code, 0);
    EXPECT_EQ(Read(out_ + "a.exe"), Read(out_ + "b.exe"));
    EXPECT_EQ(Names(out_), (Args{"a.exe", "b.exe"}));
}

TEST_F(PackTool, RefusalsNameTheInputAndLeaveNoOutput) {
    const string out = out_ + "Sample.exe";
    const string long_name = string(37, 'L') + ".ttf";  // 41 bytes
    for (const char* name : {"CON.ttf", "kervale.dat", "Twin.ttf"}) Write(in_ + name, "x");
    Write(in_ + long_name, "x");
    mkdir((in_ + "sub").c_str(), 0777);
    Write(in_ + "sub/TWIN.TTF", "x");
    mkdir((in_ + "Folder.ttf").c_str(), 0777);
    Write(in_ + "Font.exe", "x");
    Write(in_ + "Huge.ttf", "");
    ASSERT_EQ(truncate((in_ + "Huge.ttf").c_str(), 2147483648LL), 0);  // sparse
    // Not fonts Windows can install, whatever their names say.
    Write(in_ + "Text.ttf", "This is a readme, not a font.\r\n");
    Write(in_ + "Web.woff2", testfonts::Woff2Header());
    Write(in_ + "Cut.ttf", Mono().substr(0, testfonts::TablesEnd(Mono()) - 1));
    Write(in_ + "Empty.otf", "");
    Write(in_ + "Mono.font", Mono());  // a font, by a name the installer would not install
    // Fonts whose own name the descriptor cannot carry.
    Write(in_ + "Greek.ttf", testfonts::WithNames(Mono(), {{3, 1, 0x409, 1, u"\u03A9mega"}}));
    Write(in_ + "Quote.ttf", testfonts::WithNames(Mono(), {{3, 1, 0x409, 1, u"A \"B\""}}));
    ASSERT_EQ(Run(FullBuild(in_ + "Built.exe")).code, 0);
    const string font = in_ + "Sample-Regular.ttf";
    Args many;
    for (int i = 0; i < 32767; ++i) many.push_back(in_ + std::to_string(i) + ".ttf");

    struct Case {
        Args args;
        string named;
    };
    auto build = [&](Args extra, const Args& fonts) {
        Args a{"build", "-o", out, "--font-name", "Sample Sans", "--stub", stub_};
        a.insert(a.end(), extra.begin(), extra.end());
        a.insert(a.end(), fonts.begin(), fonts.end());
        return a;
    };
    const std::vector<Case> cases = {
        {build({}, {in_ + long_name}), long_name},
        {build({}, {in_ + "CON.ttf"}), "CON.ttf"},
        {build({}, {in_ + "Twin.ttf", in_ + "sub/TWIN.TTF"}), "sub/TWIN.TTF"},
        {build({}, {in_ + "kervale.dat"}), "kervale.dat"},
        {build({"--readme", in_ + "kervale.dat"}, {font}), "readme \"" + in_ + "kervale.dat\""},
        {build({"--web-url", "http://example.com/\"x\""}, {font}), "--web-url"},
        {{"build", "-o", out, "--font-name", "Sample\nSans", "--stub", stub_, font}, "--font-name"},
        {build({"--web-url", "http://example.com/", "--link-title", "a|b"}, {font}), "a|b"},
        {build({"--web-url", "http://example.com/", "--link-title", ""}, {font}), "--link-title"},
        {build({"--link-title", "Home"}, {font}), "--link-title"},
        {build({}, many), "32768"},
        {build({}, {in_ + "Huge.ttf"}), "Huge.ttf"},
        {build({}, {font, in_ + "Text.ttf"}),
         "font \"" + in_ + "Text.ttf\" is not a font file FreeType can read: "},
        {build({}, {in_ + "Web.woff2"}), "font \"" + in_ + "Web.woff2\" is a WOFF2 web font"},
        {build({}, {in_ + "Cut.ttf"}), "font \"" + in_ + "Cut.ttf\" is damaged or cut short"},
        {build({}, {in_ + "Empty.otf"}), "font \"" + in_ + "Empty.otf\" is not a font file"},
        {build({}, {font, in_ + "Mono.font"}), "\"Mono.font\" does not end in a font file"},
        {{"build", "-o", out, "--stub", stub_, in_ + "Greek.ttf"}, "--font-name"},
        {{"build", "-o", out, "--stub", stub_, in_ + "Quote.ttf", font}, "--font-name"},
        {build({}, {in_ + "Missing.ttf"}), "Missing.ttf"},
        {build({"--readme", in_ + "NoReadme.txt"}, {font}), "NoReadme.txt"},
        {build({"--license", in_ + "NoLicense.txt"}, {font}), "NoLicense.txt"},
        {{"build", "-o", out, "--font-name", "S", "--stub", in_ + "nostub.exe", font},
         "nostub.exe"},
        {build({}, {in_ + "Folder.ttf"}), "Folder.ttf"},
        {build({}, {}), "no font file"},
        {{"build", "-o", stub_, "--font-name", "S", "--stub", stub_, font}, "stub"},
        {{"build", "-o", in_ + "Font.exe", "--font-name", "S", "--stub", stub_, in_ + "Font.exe"},
         "Font.exe"},
        {{"build", "-o", out_ + "Sample.bin", "--font-name", "S", "--stub", stub_, font},
         "Sample.bin"},
        {{"build", "-o", out_ + "no/Sample.exe", "--font-name", "S", "--stub", stub_, font},
         "no/Sample.exe"},
        {{"build", "-o", out, "--font-name", "S", "--stub", in_ + "Built.exe", font},
         "already carries"},
    };
    const std::vector<string> inputs_before = Names(in_);
    for (const Case& c : cases) {
        Result r = Run(c.args);
        EXPECT_EQ(r.code, 1) << r.err;
        EXPECT_NE(r.err.find(c.named), string::npos) << c.named << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(Names(out_).empty()) << c.named;
        EXPECT_EQ(Names(in_), inputs_before) << c.named;
    }
    EXPECT_EQ(Read(stub_), testpe::Stub());
    EXPECT_EQ(Read(in_ + "Font.exe"), "x");
}

// Without --font-name the package names the font as the first font names
// itself: the typographic family, else the family, in Windows-1252.
TEST_F(PackTool, FontNameDefaultsToTheFirstFontsFamily) {
    using testfonts::NameRecord;
    ASSERT_EQ(NameRecord(Mono(), 0, 16), "(none)");
    const string typographic =
        testfonts::WithNames(Mono(), {{3, 1, 0x409, 1, u"Legacy"}, {3, 1, 0x409, 16, u"Typo"}});
    const struct {
        const char* what;
        std::vector<string> fonts;
        Args extra;
        string name;  // the descriptor's font name, Windows-1252
        string said;  // in the line that says where it came from; "" for no line
    } cases[] = {
        {"family", {Mono()}, {}, NameRecord(Mono(), 0, 1), "(name ID 1) of font"},
        {"typographic family",
         {typographic, Bold()},
         {},
         NameRecord(typographic, 0, 16),
         "(name ID 16) of font"},
        {"first face of a collection",
         {testfonts::Collection({Bold(), Mono()}), Mono()},
         {},
         testfonts::FamilyRecord(Bold()),
         "of face 1 of font"},
        {"a Latin-1 letter",
         {testfonts::WithNames(Mono(), {{3, 1, 0x409, 1, u"Caf\u00e9"}})},
         {},
         "Caf\xE9",
         "Font name \"Caf\\xE9\""},
        {"--font-name wins", {Mono()}, {"--font-name", "Given"}, "Given", ""},
    };
    for (const auto& c : cases) {
        Args args{"build", "-o", out_ + "S.exe", "--stub", stub_};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        for (size_t i = 0; i < c.fonts.size(); ++i) {
            Write(in_ + "F" + std::to_string(i) + ".ttf", c.fonts[i]);
            args.push_back(in_ + "F" + std::to_string(i) + ".ttf");
        }
        Result r = Run(args);
        ASSERT_EQ(r.code, 0) << c.what << ": " << r.err;
        EXPECT_NE(Read(out_ + "S.exe").find("\"NOLICENSE\"\r\n\"" + c.name + "\"\r\n"),
                  string::npos)
            << c.what;
        const size_t line = r.out.find("Font name ");
        EXPECT_EQ(line != string::npos, !c.said.empty()) << c.what << ": " << r.out;
        if (!c.said.empty())
            EXPECT_NE(r.out.substr(line, r.out.find('\n', line) - line).find(c.said), string::npos)
                << c.what << ": " << r.out;
    }
}

TEST_F(PackTool, DefaultStubIsTheOneNextToTheTool) {
    const string bin = root_ + "/bin/";
    mkdir(bin.c_str(), 0777);
    Write(bin + "kervale-pack", Read(KERVALE_PACK_PATH));
    chmod((bin + "kervale-pack").c_str(), 0755);
    const Args args{"build", "-o", out_ + "S.exe", "--font-name", "S", in_ + "Sample-Bold.otf"};
    Result missing = Run(args, bin + "kervale-pack");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find(bin + "kervale-stub.exe"), string::npos) << missing.err;
    EXPECT_NE(missing.err.find("--stub"), string::npos) << missing.err;
    Write(bin + "kervale-stub.exe", testpe::Stub({}, 600));
    ASSERT_EQ(Run(args, bin + "kervale-pack").code, 0);
    EXPECT_EQ(Read(out_ + "S.exe").rfind(testpe::Stub({}, 600), 0), 0u);
}

TEST_F(PackTool, VerifyRejectsDamagedPackagesWithAReason) {
    const string package = out_ + "Sample.exe";
    ASSERT_EQ(Run(FullBuild(package)).code, 0);
    const string good = Read(package);
    struct Damage {
        string name, bytes, reason;
    };
    string bad_size = good, bad_signature = good, flipped = good;
    bad_size.replace(good.size() - 519 - 10, 10, "00000001x0");
    // Without the integrity record, as an older tool wrote it, so the
    // signature itself is what verify reports.
    bad_signature.replace(bad_signature.find("DATAFILE 1"), 10, "DATAFILE 2");
    bad_signature.replace(good.size() - 514, 514, string(514, '\0'));
    flipped[good.size() - 800] = static_cast<char>(flipped[good.size() - 800] ^ 1);
    const std::vector<Damage> damages = {
        {"cut.exe", good.substr(0, good.size() - 700), "damaged"},
        {"size.exe", bad_size, "a size field is not a number"},
        {"sign.exe", bad_signature, "\"KERVALE DATAFILE 2\""},
        {"flip.exe", flipped, "checksum does not match"},
        {"stub.exe", Read(stub_), "damaged"},
    };
    for (const Damage& d : damages) {
        Write(out_ + d.name, d.bytes);
        Result r = Run({"verify", out_ + d.name});
        EXPECT_EQ(r.code, 1) << d.name;
        EXPECT_NE(r.err.find(d.reason), string::npos) << d.name << ": " << r.err;
        const bool listable = d.name == "sign.exe" || d.name == "flip.exe";
        EXPECT_EQ(Run({"list", out_ + d.name}).code, listable ? 0 : 1) << d.name;
    }
    EXPECT_EQ(Run({"extract", out_ + "size.exe", root_ + "/x"}).code, 1);
    EXPECT_TRUE(Names(root_ + "/x").empty());  // nothing written from a damaged package
}

TEST_F(PackTool, HelpVersionAndUsageErrors) {
    for (const Args& args : {Args{}, Args{"--help"}, Args{"help"}}) {
        Result r = Run(args);
        EXPECT_EQ(r.code, 0);
        EXPECT_NE(r.out.find("Example:"), string::npos);
        EXPECT_NE(r.out.find("kervale-pack build -o SampleSans.exe"), string::npos);
    }
    Result v = Run({"--version"});
    EXPECT_EQ(v.code, 0);
    EXPECT_NE(v.out.find("kervale-pack 1."), string::npos);
    Result bad = Run({"build", "--fontname", "x"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("--fontname"), string::npos);
}

bool StatExists(const string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool IsLink(const string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A name someone else prepared is never written through: not the output's
// name, not an old-style temporary name, not a name in the extraction folder,
// not the extraction folder itself.
TEST_F(PackTool, NothingIsWrittenThroughANameSomeoneElsePrepared) {
    const string victim = root_ + "/victim";
    Write(victim, "precious");
    const string package = out_ + "Sample.exe";
    // Links at the old predictable temporary names of the next processes.
    int last_pid = 0;
    std::ifstream("/proc/sys/kernel/ns_last_pid") >> last_pid;
    for (int pid = last_pid + 1; pid <= last_pid + 200; ++pid)
        symlink(victim.c_str(), (package + "." + std::to_string(pid) + ".part").c_str());
    symlink(victim.c_str(), package.c_str());
    ASSERT_EQ(Run(FullBuild(package)).code, 0);
    EXPECT_FALSE(IsLink(package));
    EXPECT_EQ(Names(out_).size(), 201u);  // the new output; every planted link left alone
    const string built = Read(package);

    // A valid 250-byte output name next to a short temporary name.
    const string longest = out_ + string(246, 'n') + ".exe";
    EXPECT_EQ(Run(FullBuild(longest)).code, 0);
    EXPECT_EQ(Read(longest), built);

    struct InTheWay {
        const char* name;
        void (*plant)(const string& path, const string& victim);
        int code;
    };
    const InTheWay cases[] = {
        {"Sample-Regular.ttf",
         [](const string& p, const string& v) { symlink(v.c_str(), p.c_str()); }, 1},
        {"KERVALE.DAT",
         [](const string& p, const string&) {
             mkdir(p.c_str(), 0777);
             Write(p + "/inside", "kept");
         },
         1},
        {"README.TXT", [](const string& p, const string&) { mkfifo(p.c_str(), 0666); }, 1},
        {"LICENSE.TXT", [](const string& p, const string&) { Write(p, string(5000, 'o')); }, 0},
    };
    for (const InTheWay& c : cases) {
        const string folder = root_ + "/x-" + c.name + "/";
        mkdir(folder.c_str(), 0777);
        c.plant(folder + c.name, victim);
        Result r = Run({"extract", package, folder});
        EXPECT_EQ(r.code, c.code) << c.name << ": " << r.err;
        if (c.code == 0) EXPECT_EQ(Read(folder + c.name), "You may.\r\n");
        if (c.code != 0) EXPECT_NE(r.err.find(c.name), string::npos) << r.err;
        for (const string& name : Names(folder)) EXPECT_EQ(name.find(".kervale-"), string::npos);
    }
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_TRUE(IsLink(root_ + "/x-Sample-Regular.ttf/Sample-Regular.ttf"));
    EXPECT_EQ(Read(root_ + "/x-KERVALE.DAT/KERVALE.DAT/inside"), "kept");

    // The extraction folder itself as a link, to a folder or to nowhere.
    symlink(out_.c_str(), (root_ + "/to-out").c_str());
    symlink((root_ + "/nowhere").c_str(), (root_ + "/dangling").c_str());
    for (const char* link : {"/to-out", "/dangling/"}) {
        Result r = Run({"extract", package, root_ + link});
        EXPECT_EQ(r.code, 1) << link;
        EXPECT_NE(r.err.find("symbolic link"), string::npos) << r.err;
    }
    EXPECT_NE(Run({"extract", package, root_ + "/dangling"}).err.find("does not exist"),
              string::npos);
    EXPECT_EQ(Names(out_).size(), 202u);
    EXPECT_FALSE(StatExists(root_ + "/nowhere"));
}

// FIFOs and devices are refused at once, wherever they stand.
TEST_F(PackTool, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
    const string fifo = in_ + "pipe.ttf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    const string font = in_ + "Sample-Regular.ttf", out = out_ + "S.exe";
    const Args base{"build", "-o", out, "--font-name", "S"};
    auto build = [&](Args extra) {
        Args a = base;
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    };
    const std::vector<Args> cases = {
        build({"--stub", stub_, fifo}),
        build({"--stub", fifo, font}),
        build({"--stub", stub_, "--readme", fifo, font}),
        build({"--stub", stub_, "/dev/null"}),
        {"verify", fifo},
        {"list", fifo},
        {"extract", fifo, root_ + "/x"},
    };
    for (const Args& args : cases) {
        Result r = Run(args);
        EXPECT_EQ(r.code, 1) << args[0] << " " << args.back();
        EXPECT_NE(r.err.find("not a regular file"), string::npos) << r.err;
    }
    EXPECT_TRUE(Names(out_).empty());
}

// Every signal that ends the tool removes the half-written output first. The
// signal arrives while a 2 GiB font (sparse, so cheap) is being copied.
TEST_F(PackTool, FatalSignalsRemoveTheTemporaryOutput) {
    const string huge = in_ + "Huge.ttf";  // a font with a large extra table, sparse
    const string head = testfonts::WithExtraTable(Mono(), "Xbig", 0);
    Write(huge, testfonts::WithExtraTable(Mono(), "Xbig", uint32_t(2147483647 - head.size())));
    ASSERT_EQ(truncate(huge.c_str(), 2147483647LL), 0);
    for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGXFSZ, SIGUSR1}) {
        const int watch = inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(inotify_add_watch(watch, out_.c_str(), IN_CREATE), 0);
        pid_t pid =
            Start({"build", "-o", out_ + "S.exe", "--font-name", "S", "--stub", stub_, huge});
        char event[sizeof(inotify_event) + 256];
        ASSERT_GT(read(watch, event, sizeof event), 0);  // the temporary output exists
        close(watch);
        kill(pid, sig);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << strsignal(sig);
        EXPECT_TRUE(Names(out_).empty()) << strsignal(sig);
    }
}

// What the installer would refuse is extracted only on request, and then
// still fails; extract counts the files it wrote and names overwritten ones.
TEST_F(PackTool, ExtractRefusesWhatTheInstallerRefusesUnlessForced) {
    const string descriptor =
        "\"KERVALE DATAFILE 1\"\r\n\"NOREADME\"\r\n\"NOLICENSE\"\r\n\"S\"\r\n\"\"\r\n\"\"\r\n";
    const string stub = Read(stub_);
    string flipped = ExpectedImage(stub, {{"KERVALE.DAT", descriptor}, {"A.ttf", "font"}});
    flipped[flipped.find("font")] ^= 1;
    const struct {
        const char* what;
        string package;
        size_t forced_files;
    } cases[] = {
        {"checksum", flipped, 2},
        {"no descriptor", ExpectedImage(stub, {{"A.ttf", "a"}, {"B.ttf", "b"}, {"C.ttf", "c"}}), 3},
        {"truncated", flipped.substr(0, flipped.size() - 600), 0},
    };
    for (const auto& c : cases) {
        const string package = root_ + "/damaged.exe", folder = root_ + "/x";
        Write(package, c.package);
        Result refused = Run({"extract", package, folder});
        EXPECT_EQ(refused.code, 1) << c.what;
        EXPECT_NE(refused.err.find("--force"), string::npos) << refused.err;
        EXPECT_TRUE(Names(folder).empty()) << c.what;
        Result forced = Run({"extract", "--force", package, folder});
        EXPECT_EQ(forced.code, 1) << c.what;
        if (c.forced_files) EXPECT_NE(forced.err.find("warning"), string::npos) << forced.err;
        EXPECT_EQ(Names(folder).size(), c.forced_files) << c.what;
        std::system(("rm -rf '" + folder + "'").c_str());
    }

    Write(root_ + "/twice.exe",
          ExpectedImage(stub,
                        {{"KERVALE.DAT", descriptor}, {"A.ttf", "first"}, {"A.ttf", "second"}}));
    Result twice = Run({"extract", root_ + "/twice.exe", root_ + "/y"});
    EXPECT_EQ(twice.code, 0) << twice.err;
    EXPECT_NE(twice.out.find("Extracted 2 files"), string::npos) << twice.out;
    EXPECT_NE(twice.err.find("entry 3 \"A.ttf\" overwrote entry 2"), string::npos) << twice.err;
    EXPECT_EQ(Read(root_ + "/y/A.ttf"), "second");  // the later one, as on Windows
}

// The Windows build of the tool, under Wine, says and writes exactly what the
// Linux build does for every kind of font input: the same engine, built
// from the same source package, must come to the same verdicts and names.
TEST_F(PackTool, WindowsBuildJudgesFontsAlike) {
    const string exe = KERVALE_PACK_EXE, wine_dir = KERVALE_PACK_WINE_DIR;
    if (!StatExists(exe)) GTEST_SKIP() << exe << " is not built";
    mkdir(wine_dir.c_str(), 0777);
    for (const auto& [name, value] :
         {std::pair<const char*, string>{"WINEPREFIX", wine_dir + "/prefix"},
          {"WINEARCH", "win32"},
          {"WINEDEBUG", "-all"},
          {"WINEDLLOVERRIDES", "mscoree,mshtml="},
          {"HOME", wine_dir}})
        setenv(name, value.c_str(), 1);
    unsetenv("DISPLAY");  // a console program needs none
    const string wine = "/usr/bin/wine";
    ASSERT_TRUE(StatExists(wine));
    // Makes the prefix on the first run, so its messages go nowhere else.
    ASSERT_EQ(Run({"wineboot"}, wine).code, 0);

    Write(in_ + "Both.otc", testfonts::Collection({testfonts::CffFont(Bold()), Mono()}));
    Write(in_ + "Text.ttf", "This is a readme, not a font.\r\n");
    Write(in_ + "Web.woff2", testfonts::Woff2Header());
    Write(in_ + "Cut.ttf", Mono().substr(0, Mono().size() / 2));
    Write(in_ + "Greek.ttf", testfonts::WithNames(Mono(), {{3, 1, 0x409, 1, u"\u03A9mega"}}));
    auto without_cr = [](string text) {
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    };
    for (const char* font : {"Sample-Regular.ttf", "Both.otc", "Sample-Bold.otf", "Text.ttf",
                             "Web.woff2", "Cut.ttf", "Greek.ttf"}) {
        std::vector<Args> runs = {{"build", "-o", out_ + "S.exe", "--stub", stub_, in_ + font}};
        Result linux_build = Run(runs[0]);
        if (linux_build.code == 0) {
            runs.push_back({"verify", out_ + "S.exe"});
            runs.push_back({"list", out_ + "S.exe"});
        }
        const string linux_package = Read(out_ + "S.exe");
        for (const Args& args : runs) {
            Result on_linux = Run(args);
            Args wine_args{exe};
            wine_args.insert(wine_args.end(), args.begin(), args.end());
            Result on_windows = Run(wine_args, wine);
            EXPECT_EQ(on_windows.code, on_linux.code) << font << " " << args[0];
            EXPECT_EQ(without_cr(on_windows.out), on_linux.out) << font << " " << args[0];
            EXPECT_EQ(without_cr(on_windows.err), on_linux.err) << font << " " << args[0];
        }
        EXPECT_EQ(Read(out_ + "S.exe"), linux_package) << font;
        unlink((out_ + "S.exe").c_str());
    }
}

// A signed stub goes in without its certificate table; the finished
// installer is what gets signed, and verify does not call that "signed".
TEST_F(PackTool, SignedStubIsPackedUnsigned) {
    const string unsigned_build = out_ + "unsigned.exe", signed_build = out_ + "from-signed.exe";
    ASSERT_EQ(Run(FullBuild(unsigned_build)).code, 0);
    Write(stub_, testpe::Sign(testpe::Stub()));
    Result r = Run(FullBuild(signed_build));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Read(signed_build), Read(unsigned_build));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("certificate table"), string::npos) << r.err;

    Write(out_ + "signed.exe", testpe::Sign(Read(signed_build)));
    Result v = Run({"verify", out_ + "signed.exe"});
    EXPECT_EQ(v.code, 0) << v.err;
    EXPECT_NE(v.out.find("carries a certificate table (the signature is not checked)"),
              string::npos)
        << v.out;
}

// Nothing a package holds reaches the terminal as it stands: every byte
// printed is printable ASCII or a line end.
TEST_F(PackTool, PrintedValuesAreEscaped) {
    const string descriptor =
        "\"KERVALE DATAFILE 1\"\r\n\"NOREADME\"\r\n\"NOLICENSE\"\r\n"
        "\"\x1b]0;title\x07\"\r\n\"http://a/\x1b[1A\x1b[2KOK\"\r\n\"T\23331m\"\r\n";
    const string package = root_ + "/p\x1b[2K.exe";
    const string font = testfonts::WithNames(
        Mono(), {{3, 1, 0x409, 1, u"\x1b]0;x\x07"}, {3, 1, 0x409, 5, u"\x1b[2J\u009b"}});
    Write(package,
          ExpectedImage(Read(stub_), {{"KERVALE.DAT", descriptor}, {"\xe9\x9b.ttf", font}}));
    for (const Args& args : {Args{"verify", package}, Args{"list", package},
                             Args{"extract", "--force", package, root_ + "/x\x1b"}}) {
        Result r = Run(args);
        for (const string& text : {r.out, r.err})
            for (unsigned char c : text)
                EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f)) << args[0] << ": " << int{c};
        EXPECT_NE((r.out + r.err).find("\\x1B"), string::npos) << args[0];
    }
    EXPECT_NE(Run({"list", package}).out.find("family \"\\x1B]0;x\\x07\""), string::npos);
}

}  // namespace
