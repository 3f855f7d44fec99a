#include "installed_files.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace {

TEST(IsFontFile, FontsByTheirEndingButReadmeLicenseAndDescriptor) {
    EXPECT_TRUE(kv::IsFontFile("Sans.ttf", "README.TXT", "LICENSE.TXT"));
    EXPECT_FALSE(kv::IsFontFile("README.TXT", "README.TXT", "LICENSE.TXT"));
    EXPECT_FALSE(kv::IsFontFile("LICENSE.TXT", "README.TXT", "LICENSE.TXT"));
    EXPECT_FALSE(kv::IsFontFile("KERVALE.DAT", "NOREADME", "NOLICENSE"));
    // Case matters: a file named like the readme in another case is no readme.
    EXPECT_TRUE(kv::IsFontFile("sans.ttf", "SANS.TTF", "NOLICENSE"));
    EXPECT_FALSE(kv::IsFontFile("SANS.TTF", "SANS.TTF", "NOLICENSE"));
    // The markers exclude only a file that bears exactly that name.
    EXPECT_FALSE(kv::IsFontFile("NOREADME", "NOREADME", "NOLICENSE"));
    // What is no font by its name never goes into the Fonts folder.
    for (const char* name :
         {"desktop.ini", "readme.txt", "kervale.dat", "Sans.woff", "Sans.woff2", "Sans.pfa",
          "Sans.ttf.txt", "Sans.ttf2", "Sansttf", "ttf", "Sans.tt", "Sans.ttf "})
        EXPECT_FALSE(kv::IsFontFile(name, "NOREADME", "NOLICENSE")) << name;
    for (const char* name : {"Sans.TTF", "Sans.Otc", "a.fon", "B.FNT", "c.fot", "d.PFM", "e.pfb",
                             "Sans Bold.otf", "Both.ttc", ".ttf"})
        EXPECT_TRUE(kv::IsFontFile(name, "NOREADME", "NOLICENSE")) << name;
}

// Every three-letter ending in every letter case: exactly the listed ones
// are fonts.
TEST(HasFontExtension, ExactlyTheListedEndingsInAnyCase) {
    std::set<std::string> listed;
    std::istringstream words(kv::kFontExtensions);
    for (std::string word; words >> word;) listed.insert(word.substr(1));
    ASSERT_EQ(listed.size(), 9u);
    int accepted = 0;
    for (char a = 'a'; a <= 'z'; ++a)
        for (char b = 'a'; b <= 'z'; ++b)
            for (char c = 'a'; c <= 'z'; ++c) {
                const std::string ending{a, b, c};
                const bool font = listed.count(ending) != 0;
                accepted += kv::HasFontExtension("x." + ending);
                EXPECT_EQ(kv::HasFontExtension("x." + ending), font) << ending;
                std::string upper = ending;
                upper[1] = static_cast<char>(upper[1] - 32);
                EXPECT_EQ(kv::HasFontExtension("X." + upper), font) << upper;
            }
    EXPECT_EQ(accepted, 9);
    // Bytes next to the letters in the ASCII table are no letters.
    for (const char* name : {"x.tt@", "x.tt\x60", "x.[tf", "x.ttf\xC6", "x.\xD4tf", "x.t\xD4\xC6"})
        EXPECT_FALSE(kv::HasFontExtension(name)) << name;
}

TEST(InternetShortcutText, TwoCrLfLinesWithTheAddressAsOpened) {
    const std::string url = "http://www.example.org/fonts/x";  // 30 bytes
    const kv::String text = kv::InternetShortcutText(url);
    EXPECT_EQ(text, "[InternetShortcut]\r\nURL=http://www.example.org/fonts/x\r\n");
    EXPECT_EQ(text.size(), 56u);
    EXPECT_EQ(kv::InternetShortcutText(""), "[InternetShortcut]\r\nURL=\r\n");
    EXPECT_EQ(kv::InternetShortcutText("www.example.org/fonts"),
              "[InternetShortcut]\r\nURL=http://www.example.org/fonts\r\n");
    EXPECT_EQ(kv::InternetShortcutText("mailto:fonts@example.org"),
              "[InternetShortcut]\r\nURL=mailto:fonts@example.org\r\n");
}

TEST(CanWriteShortcut, OnlyTwoLinesInAFileInsideItsFolderToWhatTheWelcomePageOpens) {
    EXPECT_TRUE(kv::CanWriteShortcut("http://www.example.org/", "Sample Home"));
    EXPECT_TRUE(kv::CanWriteShortcut("http://www.example.org/", ""));  // ".url"
    EXPECT_TRUE(kv::CanWriteShortcut("www.example.org/fonts", "Sample Home"));
    EXPECT_TRUE(kv::CanWriteShortcut("mailto:fonts@example.org", "Write to us"));
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/\r\nIconFile=\\\\host\\i.ico", "Home"));
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/\n", "Home"));
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/", "Home\r\nIconFile=x"));
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/", "..\\Startup\\evil"));
    EXPECT_FALSE(kv::CanWriteShortcut("\\\\host\\share\\update.exe", "Home"));
    EXPECT_FALSE(kv::CanWriteShortcut("file:///C:/Windows/notepad.exe", "Home"));
    EXPECT_FALSE(kv::CanWriteShortcut("C:\\Windows\\notepad.exe", "Home"));
    EXPECT_FALSE(kv::CanWriteShortcut("", "Home"));
}

}  // namespace
