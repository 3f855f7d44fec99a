// What verify says about packages built in memory with the format core.
#include "package_reader.h"
#include "test_packages.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using std::string;
using testpkg::Files;  // name, body; entry 1 first

string Pack(const Files& files) { return testpkg::Pack("MZ stub", files); }

kvpack::PackageVerdict Judge(const string& package) {
    kv::MemorySource source(package.data(), package.size());
    return kvpack::JudgePackage(kvpack::ReadPackage(source));
}

const char kGood[] =
    "\"KERVALE DATAFILE 1\"\r\n\"README.TXT\"\r\n\"NOLICENSE\"\r\n\"F\"\r\n\"\"\r\n\"\"\r\n";

TEST(Verify, SoundPackagePasses) {
    auto v = Judge(Pack({{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"F.ttf", "font"}}));
    EXPECT_TRUE(v.ok()) << v.problem;
    EXPECT_TRUE(v.warnings.empty());
}

TEST(Verify, RejectionsCarryTheirReason) {
    const string five = "\"KERVALE DATAFILE 1\",\"NOREADME\",\"NOLICENSE\",\"F\",\"\"";
    const std::vector<std::pair<Files, string>> cases = {
        {{{"README.TXT", "hi"}, {"F.ttf", "x"}}, "no entry named KERVALE.DAT"},
        {{{"kervale.dat", kGood}, {"F.ttf", "x"}}, "\"kervale.dat\""},
        {{{"KERVALE.DAT", "\"KERVALE DATAFILE 1\",\"NOREADME\""}, {"F.ttf", "x"}}, "after 2"},
        {{{"KERVALE.DAT", five}, {"F.ttf", "x"}}, "only five fields"},
        {{{"KERVALE.DAT",
           "\"KERVALE DATAFILE 2\"\r\n\"NOREADME\"\r\n\"NOLICENSE\"\r\n\"F\"\r\n\"\"\r\n\"\"\r\n"},
          {"F.ttf", "x"}},
         "The kervale datafile is corrupted."},
        {{{"KERVALE.DAT", kGood}, {"readme.txt", "hi"}, {"F.ttf", "x"}}, "readme \"README.TXT\""},
        {{{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}}, "no font file"},
    };
    for (const auto& c : cases) {
        auto v = Judge(Pack(c.first));
        EXPECT_NE(v.problem.find(c.second), string::npos) << c.second << " / " << v.problem;
    }
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

TEST(Verify, DamagedTrailerNamesWhereAndWhat) {
    const string good = Pack({{"KERVALE.DAT", kGood}, {"README.TXT", "hi"}, {"F.ttf", "font"}});
    string bad_size = good;
    bad_size.replace(good.size() - 519 - 10, 10, "12x4567890");
    EXPECT_NE(Judge(bad_size).problem.find("at entry 1: a size field is not a number"),
              string::npos);
    const string cut = good.substr(0, good.size() - 1);
    EXPECT_NE(Judge(cut).problem.find("This file is damaged."), string::npos);
    EXPECT_NE(Judge("short").problem.find("at its count field"), string::npos);
}

}  // namespace
