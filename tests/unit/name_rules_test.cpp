#include "name_rules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>
#include <iconv.h>
#include <string>

namespace {

using kv::NameFault;
using std::string;

TEST(CheckFileName, EachRuleWithItsFault) {
    const struct {
        string name;
        NameFault fault;
    } cases[] = {
        {"KERVALE.DAT", NameFault::None},
        {"Sample Sans Bold.ttf", NameFault::None},
        {string(40, 'a'), NameFault::None},
        {"console.ttf", NameFault::None},
        {"COM10", NameFault::None},
        {"LPT\xB4", NameFault::None},  // acute accent: no device
        {"A~B.TTF", NameFault::None},
        {"ABCDEFG~1.TTF", NameFault::None},  // nine before the dot: no 8.3 name
        {"FONT~1.WOFF", NameFault::None},    // four after the dot
        {"~1.TTF", NameFault::None},
        {"", NameFault::Empty},
        {string(41, 'a'), NameFault::TooLong},
        {".", NameFault::DotName},
        {"..", NameFault::DotName},
        {"a\tb", NameFault::ControlByte},
        {"a\x1f", NameFault::ControlByte},
        {"..\\evil.ttf", NameFault::ReservedCharacter},
        {"C:evil.ttf", NameFault::ReservedCharacter},
        {"a.ttf.", NameFault::TrailingDotOrSpace},
        {"a.ttf ", NameFault::TrailingDotOrSpace},
        {"...", NameFault::TrailingDotOrSpace},
        {" ", NameFault::TrailingDotOrSpace},
        {"CON", NameFault::DeviceName},
        {"nul.txt", NameFault::DeviceName},
        {"AUX .dat", NameFault::DeviceName},
        {"conin$", NameFault::DeviceName},
        {"CONOUT$.log", NameFault::DeviceName},
        {"KERVAL~1.DAT", NameFault::ShortAlias},
        {"a~12", NameFault::ShortAlias},
        {"KE1A2B~1.TTF", NameFault::ShortAlias},
    };
    for (const auto& c : cases) EXPECT_EQ(kv::CheckFileName(c.name), c.fault) << c.name;
    for (char bad : string("\\/:*?\"<>|")) {
        const string name = string("a") + bad + "b";
        EXPECT_EQ(kv::CheckFileName(name), NameFault::ReservedCharacter) << name;
        EXPECT_NE(kv::Describe(NameFault::ReservedCharacter, name).find(bad), string::npos);
    }
}

TEST(CheckFileName, EveryDeviceSpellingWithAndWithoutExtension) {
    // Windows opens these as devices in every folder: COM and LPT take the
    // digits 0-9 and the superscripts 1-3 of the ANSI code pages.
    string digits = "0123456789\xB9\xB2\xB3";
    for (const char* stem : {"COM", "LPT", "com", "Lpt"})
        for (char d : digits)
            for (const char* tail : {"", ".ttf", " .ttf", ".", ".a.b"}) {
                const string name = stem + string(1, d) + tail;
                EXPECT_FALSE(kv::IsBareFileName(name)) << name;
            }
}

// Windows-1252 to Unicode and the C library's upper case: an oracle apart
// from the fold table.
wint_t UpperOfAnsi(unsigned char byte) {
    static iconv_t convert = iconv_open("WCHAR_T", "WINDOWS-1252");
    char in[1] = {static_cast<char>(byte)};
    wchar_t out[2] = {};
    char* in_p = in;
    char* out_p = reinterpret_cast<char*>(out);
    size_t in_left = 1, out_left = sizeof out;
    iconv(convert, nullptr, nullptr, nullptr, nullptr);
    if (iconv(convert, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1))
        return 0x10000 + byte;  // undefined in the code page: only equal to itself
    return std::towupper(static_cast<wint_t>(out[0]));
}

TEST(FoldCase, TwoBytesAreOneNameExactlyWhenTheirUpperCaseIs) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    for (int a = 1; a < 256; ++a)
        for (int b = 1; b < 256; ++b) {
            const bool expected = UpperOfAnsi(static_cast<unsigned char>(a)) ==
                                  UpperOfAnsi(static_cast<unsigned char>(b));
            EXPECT_EQ(kv::SameWindowsName(string(1, static_cast<char>(a)),
                                          string(1, static_cast<char>(b))),
                      expected)
                << a << " " << b;
        }
    EXPECT_TRUE(kv::SameWindowsName("\xE9.ttf", "\xC9.TTF"));  // é and É
    EXPECT_FALSE(kv::SameWindowsName("a.ttf", "a.ttf "));
}

TEST(LinkTitle, TheInstallerTakesAnEmptyTitleTheToolDoesNot) {
    EXPECT_TRUE(kv::IsUsableLinkTitle(""));
    EXPECT_EQ(kv::CheckLinkTitle(""), NameFault::Empty);
    EXPECT_TRUE(kv::IsUsableLinkTitle("  Sample Sans Home  "));
    EXPECT_TRUE(kv::IsUsableLinkTitle(string(100, 'a')));
    for (const string& bad :
         {string("..\\Startup\\evil"), string("a/b"), string("What?"), string("CON"),
          string("COM\xB9"), string("LPT0"), string("A\r\nB"), string("LINK~1"), string(300, 'a')})
        EXPECT_FALSE(kv::IsUsableLinkTitle(bad)) << bad;
}

TEST(WebAddress, OnlyWebPagesReachTheShell) {
    using F = kv::WebAddressFault;
    const struct {
        string url;
        F fault;
    } cases[] = {
        {"http://example.org/", F::None},
        {"HTTPS://Example.org/a?b=c", F::None},
        {"hTtP://x", F::None},
        {"C:\\Windows\\System32\\calc.exe", F::NotWeb},
        {"file:///C:/Windows/calc.exe", F::NotWeb},
        {"\\\\host\\share\\x.exe", F::NotWeb},
        {"mailto:a@b.example", F::NotWeb},
        {" http://example.org/", F::NotWeb},
        {"http:/example.org", F::NotWeb},
        {"https://", F::NoSite},
        {"http://example.org/a b", F::BlankOrControl},
        {"http://example.org/\r\nIconFile=x", F::BlankOrControl},
        {"http://example.org/\t", F::BlankOrControl},
        {"http://example.org/\x7F", F::BlankOrControl},
        {"http://example.org/\x1B[2K", F::BlankOrControl},
    };
    for (const auto& c : cases) EXPECT_EQ(kv::CheckWebAddress(c.url), c.fault) << c.url;
}

}  // namespace
