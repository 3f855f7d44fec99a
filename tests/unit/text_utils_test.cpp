#include "text_utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

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
    EXPECT_EQ(kv::FolderUnder("", "Temp"), "");  // never a folder at the current drive's root
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

// A text file of any length, without the bytes behind it: byte i is a
// function of i, and the largest read asked for is kept.
class HugeText final : public kv::ByteSource {
public:
    explicit HugeText(int64_t size, bool readable = true) : size_(size), readable_(readable) {}
    static char At(int64_t i) { return static_cast<char>('a' + i % 23); }
    int64_t size() override { return size_; }
    bool read(int64_t offset, void* out, size_t n) override {
        largest_read = std::max(largest_read, n);
        if (!readable_ || offset + static_cast<int64_t>(n) > size_) return false;
        for (size_t i = 0; i < n; ++i)
            static_cast<char*>(out)[i] = At(offset + static_cast<int64_t>(i));
        return true;
    }
    size_t largest_read = 0;

private:
    int64_t size_;
    bool readable_;
};

// Any readme shows its start, and no size makes the installer ask for more
// than a few MiB; one of ordinary size is read whole.
TEST(ReadTextStart, OrdinaryTextsWholeHugeOnesOnlyTheirStart) {
    constexpr int64_t kMiB = int64_t{1} << 20;
    for (int64_t size :
         {int64_t{0}, int64_t{5000}, kMiB, 3 * kMiB, (int64_t{1} << 31) - 1, int64_t{1} << 40}) {
        HugeText file(size);
        kv::String text("left over");
        ASSERT_TRUE(kv::ReadTextStart(file, text)) << size;
        EXPECT_LE(file.largest_read, static_cast<size_t>(16 * kMiB)) << size;
        const int64_t shown = static_cast<int64_t>(text.size());
        EXPECT_TRUE(size <= kMiB ? shown == size : shown >= kMiB && shown <= size) << size;
        size_t wrong = 0;
        for (int64_t i = 0; i < shown; ++i)
            wrong += text[static_cast<size_t>(i)] != HugeText::At(i);
        EXPECT_EQ(wrong, 0u) << size;
    }
    HugeText unreadable(100, false);
    kv::String text("left over");
    EXPECT_FALSE(kv::ReadTextStart(unreadable, text));
    EXPECT_EQ(text, "");
}

// The installer's own string type against std::string as the oracle: a
// repeatable walk of appends (of literals, NULs and parts of itself),
// assignments (of parts of itself too), resizes, copies and moves, checked
// after every step, the NUL behind the bytes included.
TEST(String, HoldsWhatStdStringHoldsThroughEveryChange) {
    kv::String text;
    string oracle;
    uint32_t state = 12345;
    auto next = [&](uint32_t n) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % n;
    };
    for (int step = 0; step < 5000; ++step) {
        const size_t size = oracle.size();
        const size_t from = size ? next(static_cast<uint32_t>(size)) : 0;
        const size_t count = next(static_cast<uint32_t>(size - from + 1));
        switch (next(9)) {
        case 0:
            text += "abc";
            oracle += "abc";
            break;
        case 1:
            text += '\0';
            oracle += '\0';
            break;
        case 2:  // a part of itself, which may move while it is appended
            text.append(text.data() + from, count);
            oracle.append(oracle, from, count);
            break;
        case 3:
            text = std::string_view(text).substr(from, count);
            oracle = oracle.substr(from, count);
            break;
        case 4: {
            const size_t n = next(64) + (size > 32 ? size - 32 : 0);
            text.resize(n);
            oracle.resize(n);
            break;
        }
        case 5: {
            kv::String copy(text);
            text = copy;
            break;
        }
        case 6: {
            kv::String moved(std::move(text));
            EXPECT_TRUE(text.empty());
            text = std::move(moved);
            break;
        }
        case 7:
            text = kv::Concat({"<", text, ">"});
            oracle = "<" + oracle + ">";
            break;
        default:
            if (next(8) == 0) {
                text.clear();
                oracle.clear();
            }
        }
        ASSERT_EQ(string(text), oracle) << "step " << step;
        ASSERT_EQ(text.c_str()[text.size()], '\0') << "step " << step;
    }
}

// A size past the end of memory is asked for as the impossible: the
// allocation fails as running out of memory does, and nothing is written.
TEST(String, ASizeBeyondMemoryFailsAsRunningOutDoes) {
    kv::String text("abc");
    EXPECT_THROW(text.append("x", SIZE_MAX), std::bad_alloc);
    EXPECT_EQ(text, "abc");
    EXPECT_THROW(text.reserve(SIZE_MAX), std::bad_alloc);
    EXPECT_EQ(text, "abc");
}

}  // namespace
