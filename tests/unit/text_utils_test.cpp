#include "text_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::string;

TEST(StripCrLf, RemovesLineBreaksAnywhereAndKeepsEverythingElse) {
    string name = string("README.TXT\r\n") + string(28, '\0');
    EXPECT_EQ(kv::StripCrLf(name), string("README.TXT") + string(28, '\0'));
    EXPECT_EQ(name, string("README.TXT") + string(28, '\0'));  // changed in place too

    string ab = "A\r\nB";
    EXPECT_EQ(kv::StripCrLf(ab), "AB");
    string mixed = "\n\r x\n\n\ry \r";
    EXPECT_EQ(kv::StripCrLf(mixed), " xy ");
    string plain = "no breaks  \t";
    EXPECT_EQ(kv::StripCrLf(plain), "no breaks  \t");
    string empty;
    EXPECT_EQ(kv::StripCrLf(empty), "");
}

TEST(ReplaceText, ReplacesEveryOccurrence) {
    string text = "a\tb\t\tc";
    EXPECT_EQ(kv::ReplaceText(text, "\t", ""), "abc");
    EXPECT_EQ(text, "abc");
    string unchanged = "abc";
    EXPECT_EQ(kv::ReplaceText(unchanged, "x", "y"), "abc");
    string longer = "a-b-c";
    EXPECT_EQ(kv::ReplaceText(longer, "-", "+-+"), "a+-+b+-+c");
}

TEST(ReplaceText, FinishesForInputsThatWouldLoopForever) {
    // An empty find, a find inside its replacement, and a replacement that
    // joins a new occurrence before the search position.
    string a = "abc";
    EXPECT_EQ(kv::ReplaceText(a, "", "x"), "abc");
    string b = "aXa";
    EXPECT_EQ(kv::ReplaceText(b, "a", "aa"), "aaXaa");
    string c = "aabb";
    EXPECT_EQ(kv::ReplaceText(c, "ab", ""), "ab");
}

TEST(LeadingNumber, ReadsTheWayTheCountFieldIsRead) {
    auto n = [](const string& s) { return kv::LeadingNumber(s.data(), s.size()); };
    EXPECT_EQ(n("00002"), 2);
    EXPECT_EQ(n(string("2\0\0\0\0", 5)), 2);
    EXPECT_EQ(n("2    "), 2);
    EXPECT_EQ(n(" 1 2 "), 12);  // blanks are skipped wherever they stand
    EXPECT_EQ(n("\t-3x"), -3);
    EXPECT_EQ(n("2.5"), 2.5);
    EXPECT_EQ(n("1E3"), 1000);
    EXPECT_EQ(n("0E309"), 0);  // not 0 * infinity
    EXPECT_EQ(n("0.0D999"), 0);
    EXPECT_EQ(n("abc"), 0);
    EXPECT_EQ(n(string(5, '\0')), 0);
    EXPECT_EQ(n(""), 0);
    EXPECT_EQ(n("-"), 0);
    EXPECT_EQ(n("."), 0);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(kv::RoundHalfEven(2.5), 2);
    EXPECT_EQ(kv::RoundHalfEven(3.5), 4);
    EXPECT_EQ(kv::RoundHalfEven(-2.5), -2);
    EXPECT_EQ(kv::RoundHalfEven(2.4), 2);
    EXPECT_EQ(kv::RoundHalfEven(2.6), 3);
    EXPECT_EQ(kv::RoundHalfEven(32767.5), 32768);
}

TEST(FolderUnder, JoinsWithExactlyOneBackslash) {
    EXPECT_EQ(kv::FolderUnder("C:\\WINDOWS", "Temp"), "C:\\WINDOWS\\Temp\\");
    EXPECT_EQ(kv::FolderUnder("C:\\", "Temp"), "C:\\Temp\\");
    EXPECT_EQ(kv::FolderUnder("", "Temp"), "\\Temp\\");
    EXPECT_EQ(kv::FolderUnder("C:\\windows", "Fonts"), "C:\\windows\\Fonts\\");
}

TEST(LinesWithCrLf, EndsEveryLineWithCrLfWhateverItsOriginalEnd) {
    auto f = [](const string& s) { return kv::LinesWithCrLf(s.data(), s.size()); };
    EXPECT_EQ(f(""), "");
    EXPECT_EQ(f("one\r\ntwo\r\nthree"), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(f("one\r\ntwo\r\nthree\r\n"), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(f("unix\nlines\n"), "unix\r\nlines\r\n");
    EXPECT_EQ(f("old\rmac\r"), "old\r\nmac\r\n");
    EXPECT_EQ(f("\n\n"), "\r\n\r\n");
    EXPECT_EQ(f("a\r\rb"), "a\r\n\r\nb\r\n");
}

}  // namespace
