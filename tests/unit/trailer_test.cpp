#include "trailer.h"
#include "test_packages.h"
#include "describe.h"
#include "name_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using std::string;
using testpkg::Files;
using testpkg::Pack;

struct Listing {
    kv::TrailerError error = kv::TrailerError::None;
    Files files;  // name and body as read back
};

Listing Read(const string& package) {
    Listing result;
    kv::MemorySource source(package.data(), package.size());
    result.error = kv::WalkTrailer(source, [&](const kv::TrailerEntry& e) {
        string body(static_cast<size_t>(e.size), '\0');
        EXPECT_TRUE(source.read(e.body_offset, &body[0], body.size()));
        result.files.emplace_back(e.name, body);
        return true;
    });
    return result;
}

// A trailer tail: count field + filler.
string Tail(const string& count_field) { return count_field + string(kv::kFillerBytes, '\0'); }
string NameField(const string& name) { return name + string(40 - name.size(), '\0'); }

TEST(TrailerLayout, TwoFilePackageIsLaidOutByteForByte) {
    // A stub length that needs no alignment padding, so the entries follow it directly.
    const string stub = "MZ-stub-bytes!!";
    const string descriptor = "\"KERVALE DATAFILE 1\"\r\n";
    const string font(40000, 'F');
    const string package = Pack(stub, {{"KERVALE.DAT", descriptor}, {"Sans.ttf", font}});

    const size_t S = stub.size(), s1 = descriptor.size(), s2 = font.size();
    ASSERT_EQ(package.size(), S + s1 + s2 + 619);
    EXPECT_EQ(package.substr(0, S), stub);
    EXPECT_EQ(package.substr(S, s2), font);
    EXPECT_EQ(package.substr(S + s2, 40), NameField("Sans.ttf"));
    EXPECT_EQ(package.substr(S + s2 + 40, 10), "0000040000");
    EXPECT_EQ(package.substr(S + s2 + 50, s1), descriptor);
    EXPECT_EQ(package.substr(S + s1 + s2 + 50, 40), NameField("KERVALE.DAT"));
    EXPECT_EQ(package.substr(S + s1 + s2 + 90, 10), "0000000022");
    EXPECT_EQ(package.substr(S + s1 + s2 + 100, 5), "00002");
    // The filler starts with the integrity record; the rest is zero.
    EXPECT_EQ(package.substr(S + s1 + s2 + 105, 15), "KERVALE CHECK 1");
    EXPECT_EQ(package.substr(S + s1 + s2 + 105 + 32), string(514 - 32, '\0'));

    Listing back = Read(package);
    ASSERT_EQ(back.error, kv::TrailerError::None);
    EXPECT_EQ(back.files, (Files{{"KERVALE.DAT", descriptor}, {"Sans.ttf", font}}));
}

TEST(TrailerLayout, FilesAppendedInOrderAreListedInReverse) {
    // Appending A, B, C by hand lists C, B, A.
    string package = "stub";
    for (const char* name : {"A", "B", "C"}) {
        package += string("body of ") + name;
        package += NameField(name);
        package += "0000000009";
    }
    package += Tail("00003");
    Listing back = Read(package);
    ASSERT_EQ(back.error, kv::TrailerError::None);
    ASSERT_EQ(back.files.size(), 3u);
    EXPECT_EQ(back.files[0], (std::pair<string, string>{"C", "body of C"}));
    EXPECT_EQ(back.files[2], (std::pair<string, string>{"A", "body of A"}));
}

TEST(CountField, DecodesLikeTheInstaller) {
    auto count = [](const string& field5, int& out) {
        char f[5];
        std::memcpy(f, field5.data(), 5);
        return kv::DecodeCountField(f, out);
    };
    int n = -1;
    EXPECT_EQ(count("00002", n), kv::TrailerError::None);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(count(string("2\0\0\0\0", 5), n), kv::TrailerError::None);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(count("2    ", n), kv::TrailerError::None);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(count("\r\n1\r\n", n), kv::TrailerError::None);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(count(string(5, '\0'), n), kv::TrailerError::None);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(count("2.5  ", n), kv::TrailerError::None);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(count("3.5  ", n), kv::TrailerError::None);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(count("-9999", n), kv::TrailerError::None);
    EXPECT_EQ(n, -9999);
    EXPECT_EQ(count("32767", n), kv::TrailerError::None);
    EXPECT_EQ(n, 32767);
    EXPECT_EQ(count("32768", n), kv::TrailerError::CountOutOfRange);
    EXPECT_EQ(count("99999", n), kv::TrailerError::CountOutOfRange);
    EXPECT_EQ(count("1E9  ", n), kv::TrailerError::CountOutOfRange);
}

// An exponent scales the number by a power of ten; each field's count is its
// decimal value taken to the nearest whole number, a half to the even one.
TEST(CountField, ScalesByTheExponent) {
    constexpr int kOut = -99999;  // not a count: the field is out of range
    const struct {
        const char* field;
        int count;
    } cases[] = {
        {"25E-1", 2},    {"35E-1", 4},     {"-5E-1", 0},     {"15D-1", 2},      {"75E-2", 1},
        {"125E1", 1250}, {"32E3 ", 32000}, {"1E4  ", 10000}, {"-3E4 ", -30000}, {"33E3 ", kOut},
        {"-4E4 ", kOut}, {"1E22 ", kOut},  {"9E999", kOut},  {"1E-22", 0},      {"1E-99", 0},
        {"9E-9 ", 0},    {"0E999", 0},     {"65E-1", 6},     {"45D-1", 4},      {".65E1", 6},
        {".35E1", 4},    {"0.5  ", 0},     {"1.5  ", 2},     {".125D", 0},      {"4.5E0", 4},
    };
    for (const auto& c : cases) {
        char f[5];
        std::memcpy(f, c.field, 5);
        int n = -12345;
        const kv::TrailerError error = kv::DecodeCountField(f, n);
        if (c.count == kOut) {
            EXPECT_EQ(error, kv::TrailerError::CountOutOfRange) << c.field;
        } else {
            EXPECT_EQ(error, kv::TrailerError::None) << c.field;
            EXPECT_EQ(n, c.count) << c.field;
        }
    }
}

TEST(SizeField, AcceptsOneNumberWithSpacesAround) {
    auto size = [](const string& field10, int64_t& out) {
        char f[10];
        std::memcpy(f, field10.data(), 10);
        return kv::DecodeSizeField(f, out);
    };
    int64_t s = -1;
    EXPECT_EQ(size("0000000000", s), kv::TrailerError::None);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(size("  1234    ", s), kv::TrailerError::None);
    EXPECT_EQ(s, 1234);
    EXPECT_EQ(size("2147483647", s), kv::TrailerError::None);
    EXPECT_EQ(s, 2147483647);
    EXPECT_EQ(size("2147483648", s), kv::TrailerError::SizeTooLarge);
    EXPECT_EQ(size("-000000001", s), kv::TrailerError::SizeNegative);
    EXPECT_EQ(size(string(10, '\0'), s), kv::TrailerError::SizeNotNumber);
    EXPECT_EQ(size(string("1234\0\0\0\0\0\0", 10), s), kv::TrailerError::SizeNotNumber);
    EXPECT_EQ(size("          ", s), kv::TrailerError::SizeNotNumber);
    EXPECT_EQ(size("12 34     ", s), kv::TrailerError::SizeNotNumber);
    EXPECT_EQ(size("1234\r\n    ", s), kv::TrailerError::SizeNotNumber);
    EXPECT_EQ(size("abcdefghij", s), kv::TrailerError::SizeNotNumber);
}

TEST(NameField, CutsAtNulAndDropsLineBreaks) {
    auto name = [](const string& field40) {
        char f[40];
        std::memcpy(f, field40.data(), 40);
        return kv::DecodeNameField(f);
    };
    EXPECT_EQ(name(string("README.TXT\r\n") + string(28, '\0')), "README.TXT");
    EXPECT_EQ(name(string(40, 'x')), string(40, 'x'));
    EXPECT_EQ(name(string("a b ") + string(36, '\0')), "a b ");
    EXPECT_EQ(name(string("ab\0cd", 5) + string(35, 'z')), "ab");
}

TEST(TrailerWalk, ReadsAtLeastOneEntryWhateverTheCount) {
    for (const string& count : {string("00000"), string(5, '\0'), string("-0005")}) {
        string package = "stub" + string("hello") + NameField("one.ttf") + "0000000005" +
                         string("world") + NameField("two.ttf") + "0000000005" + Tail(count);
        Listing back = Read(package);
        ASSERT_EQ(back.error, kv::TrailerError::None);
        ASSERT_EQ(back.files.size(), 1u);
        EXPECT_EQ(back.files[0].first, "two.ttf");
    }
}

TEST(TrailerWalk, RejectsDamage) {
    const string good_entry = string("body") + NameField("a.ttf") + "0000000004";
    struct Case {
        string package;
        kv::TrailerError error;
        size_t listed_before;
    };
    const Case cases[] = {
        // A stub without trailer: count 0, then no number where entry 1's size would be.
        {string(2000, '\0'), kv::TrailerError::SizeNotNumber, 0},
        {string(100, 'M'), kv::TrailerError::PositionBeforeStart, 0},
        // Count 3, but the third entry's size field is not a number.
        {string("stub") + "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx" +
             good_entry + good_entry + Tail("00003"),
         kv::TrailerError::SizeNotNumber, 2},
        // More entries counted than there are bytes for.
        {good_entry + Tail("00002"), kv::TrailerError::PositionBeforeStart, 1},
        // A body that would begin before the file's start.
        {string("tiny") + NameField("a.ttf") + "0000099999" + Tail("00001"),
         kv::TrailerError::BodyBeforeStart, 0},
        {string("tiny") + NameField("a.ttf") + "-000000001" + Tail("00001"),
         kv::TrailerError::SizeNegative, 0},
        {string("body") + NameField("..\\evil.ttf") + "0000000004" + Tail("00001"),
         kv::TrailerError::NameNotBare, 0},
        {string("body") + NameField("a/b") + "0000000004" + Tail("00001"),
         kv::TrailerError::NameNotBare, 0},
        {string("body") + string(40, '\0') + "0000000004" + Tail("00001"),
         kv::TrailerError::NameNotBare, 0},
        {good_entry + Tail("40000"), kv::TrailerError::CountOutOfRange, 0},
    };
    for (const Case& c : cases) {
        Listing back = Read(c.package);
        EXPECT_EQ(back.error, c.error) << kv::Describe(back.error);
        EXPECT_EQ(back.files.size(), c.listed_before);
    }
}

TEST(TrailerWalk, EmptyBodyAndFortyByteName) {
    const string long_name(40, 'N');
    string package = Pack("stub", {{"KERVALE.DAT", "x"}, {long_name, ""}});
    Listing back = Read(package);
    ASSERT_EQ(back.error, kv::TrailerError::None);
    EXPECT_EQ(back.files, (Files{{"KERVALE.DAT", "x"}, {long_name, ""}}));
}

TEST(TrailerWalk, RandomPackagesRoundTrip) {
    std::mt19937 rng(12345);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const string alphabet = "abcXYZ019 .-_~()";
    for (int round = 0; round < 300; ++round) {
        Files files;
        const int n = pick(1, 12);
        for (int i = 0; i < n; ++i) {
            string name;
            do {
                name.clear();
                for (int c = pick(1, 40); c > 0; --c)
                    name += alphabet[pick(0, alphabet.size() - 1)];
            } while (!kv::IsBareFileName(name));
            string body(pick(0, 3000), '\0');
            for (char& b : body) b = static_cast<char>(pick(0, 255));
            files.emplace_back(name, body);
        }
        string stub(pick(0, 600), 'S');
        Listing back = Read(Pack(stub, files));
        ASSERT_EQ(back.error, kv::TrailerError::None);
        ASSERT_EQ(back.files, files);
    }
}

// Every truncation and every single-byte change of a small package reads as
// an error or as a listing of bare names inside the file; never a crash.
TEST(TrailerWalk, TruncationsAndByteFlipsNeverEscape) {
    const Files files{{"KERVALE.DAT", "\"KERVALE DATAFILE 1\"\r\n\"NOREADME\"\r\n"},
                      {"Sans.ttf", string(300, 'f')}};
    const string package = Pack(string(64, 'S'), files);

    for (size_t len = 0; len < package.size(); ++len) {
        Listing back = Read(package.substr(0, len));
        if (back.error == kv::TrailerError::None)
            for (const auto& f : back.files) EXPECT_TRUE(kv::IsBareFileName(f.first));
    }
    for (size_t at = 0; at < package.size(); ++at) {
        string changed = package;
        for (int value : {0x00, 0x0A, 0x2F, 0x35, 0xFF}) {
            changed[at] = static_cast<char>(value);
            Listing back = Read(changed);
            if (back.error != kv::TrailerError::None) continue;
            for (const auto& f : back.files) EXPECT_TRUE(kv::IsBareFileName(f.first));
        }
    }
    EXPECT_EQ(Read(package).files, files);
}

}  // namespace
