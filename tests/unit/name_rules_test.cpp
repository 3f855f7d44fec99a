#include "name_rules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <cwctype>
#include <iconv.h>
#include <string>

#include "describe.h"

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
        {"COM", NameFault::None},
        {"COM.ttf", NameFault::None},
        {"COMX\xB9.ttf", NameFault::None},   // an ASCII byte first: no device
        {"LPT\xB4", NameFault::DeviceName},  // any non-ASCII byte after COM or LPT
        {"com\xA9\xF6.ttf", NameFault::DeviceName},
        {"LPT\xC2\xB9", NameFault::DeviceName},
        {"COM\xE9t\xE9.ttf", NameFault::DeviceName},
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

// The superscript digits as each ANSI code page Windows may run with spells
// them, by iconv: every spelling after COM or LPT is refused, however many
// bytes it takes.
TEST(CheckFileName, SuperscriptDigitsInEveryAnsiCodePageAreDevices) {
    int multi_byte = 0;
    for (const char* code_page : {"WINDOWS-1250", "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1257",
                                  "CP949", "CP936", "CP950", "CP932", "UTF-8"}) {
        iconv_t convert = iconv_open(code_page, "UTF-8");
        ASSERT_NE(convert, reinterpret_cast<iconv_t>(-1)) << code_page;
        for (const char* digit : {"\u00B9", "\u00B2", "\u00B3"}) {
            char in[8], out[8];
            std::strcpy(in, digit);
            char *in_p = in, *out_p = out;
            size_t in_left = std::strlen(in), out_left = sizeof out;
            if (iconv(convert, &in_p, &in_left, &out_p, &out_left) == static_cast<size_t>(-1))
                continue;  // the code page has no such character
            const string bytes(out, out_p);
            multi_byte += bytes.size() > 1;
            for (const char* stem : {"COM", "lpt"})
                for (const char* tail : {"", ".ttf"}) {
                    const string name = stem + bytes + tail;
                    EXPECT_EQ(kv::CheckFileName(name), NameFault::DeviceName)
                        << code_page << " " << name;
                }
        }
        iconv_close(convert);
    }
    EXPECT_GE(multi_byte, 6);  // Korean and UTF-8 spell each in two bytes
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

TEST(WebAddress, OnlyWebPagesAndMailLinksReachTheShell) {
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
        {"mailto:a@b.example", F::None},
        {"MailTo:fonts@example.org?subject=Sample", F::None},
        {"www.example.com/fonts", F::None},
        {"WWW.Example.com", F::None},
        {"wwwexample.com", F::NotWeb},
        {"example.com/www.", F::NotWeb},
        {"mailto", F::NotWeb},
        {" http://example.org/", F::NotWeb},
        {" www.example.com", F::NotWeb},
        {"http:/example.org", F::NotWeb},
        {"https://", F::NoSite},
        {"www.", F::NoSite},
        {"mailto:", F::NoSite},
        {"www.example.com/a b", F::BlankOrControl},
        {"mailto:a@b.example\r\nIconFile=x", F::BlankOrControl},
        {"http://example.org/a b", F::BlankOrControl},
        {"http://example.org/\r\nIconFile=x", F::BlankOrControl},
        {"http://example.org/\t", F::BlankOrControl},
        {"http://example.org/\x7F", F::BlankOrControl},
        {"http://example.org/\x1B[2K", F::BlankOrControl},
    };
    for (const auto& c : cases) EXPECT_EQ(kv::CheckWebAddress(c.url), c.fault) << c.url;
}

// What the welcome page opens and the shortcut files hold: never a bare
// www. address, which the shell would take for a program's name first.
TEST(WebAddress, TheAddressOpenedHasItsScheme) {
    const struct {
        string url, opened;
    } cases[] = {
        {"http://example.org/", "http://example.org/"},
        {"HTTPS://Example.org/a?b=c", "HTTPS://Example.org/a?b=c"},
        {"www.example.com/fonts", "http://www.example.com/fonts"},
        {"Www.Example.com", "http://Www.Example.com"},
        {"mailto:fonts@example.org", "mailto:fonts@example.org"},
        {"www.", ""},
        {"", ""},
        {"example.com", ""},
        {"file:///C:/Windows/notepad.exe", ""},
        {"\\\\host\\share\\update.exe", ""},
        {"www.example.com/\r\nIconFile=x", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kv::AddressToOpen(c.url), c.opened) << c.url;
        EXPECT_EQ(kv::IsWebAddress(c.url), !c.opened.empty()) << c.url;
    }
}

}  // namespace
