// kervale-pack run as a program: refusals, round trips, determinism, damage.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include "package_end.h"
#include <spawn.h>
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
        Write(stub_, string("MZ test stub\0\x90\x90", 15));
        Write(in_ + "README.TXT", "Read me.\r\n");
        Write(in_ + "LICENSE.TXT", "You may.\r\n");
        Write(in_ + "Sample-Regular.ttf", Bytes(70000, 7));
        Write(in_ + "Sample-Bold.otf", "");
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }

    static string Bytes(size_t n, unsigned seed) {
        string s(n, '\0');
        for (size_t i = 0; i < n; ++i)
            s[i] = static_cast<char>((i * 131 + seed * 17 + (i >> 9)) & 0xff);
        return s;
    }

    Result Run(const Args& args, const string& program = KERVALE_PACK_PATH) {
        Result r;
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
        pid_t pid;
        int status = 0;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
            waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            r.code = WEXITSTATUS(status);
        posix_spawn_file_actions_destroy(&actions);
        r.out = Read(out);
        r.err = Read(err);
        std::remove(out.c_str());
        std::remove(err.c_str());
        return r;
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
        {"Sample-Bold.otf", ""}};
    EXPECT_EQ(Read(package), ExpectedImage(Read(stub_), entries));

    Result verified = Run({"verify", package});
    EXPECT_EQ(verified.code, 0) << verified.err;
    EXPECT_EQ(verified.out.rfind("OK: ", 0), 0u) << verified.out;
    EXPECT_EQ(std::count(verified.out.begin(), verified.out.end(), '\n'), 1);

    Result listed = Run({"list", package});
    EXPECT_EQ(listed.code, 0) << listed.err;
    size_t at = 0;
    for (const char* row : {"descriptor  KERVALE.DAT", "readme      README.TXT",
                            "license     LICENSE.TXT", "font        Sample-Regular.ttf",
                            "font        Sample-Bold.otf", "\"https://example.com/sample/\""}) {
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
    EXPECT_EQ(Read(stub_).size(), 15u);
    EXPECT_EQ(Read(in_ + "Font.exe"), "x");
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
    Write(bin + "kervale-stub.exe", "MZ default stub");
    ASSERT_EQ(Run(args, bin + "kervale-pack").code, 0);
    EXPECT_EQ(Read(out_ + "S.exe").rfind("MZ default stub", 0), 0u);
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

}  // namespace
