#include "install_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsFontFile, EverythingButReadmeLicenseAndDescriptor) {
    EXPECT_TRUE(kv::IsFontFile("Sans.ttf", "README.TXT", "LICENSE.TXT"));
    EXPECT_FALSE(kv::IsFontFile("README.TXT", "README.TXT", "LICENSE.TXT"));
    EXPECT_FALSE(kv::IsFontFile("LICENSE.TXT", "README.TXT", "LICENSE.TXT"));
    EXPECT_FALSE(kv::IsFontFile("KERVALE.DAT", "NOREADME", "NOLICENSE"));
    // Case matters: a readme named in another case is taken as a font.
    EXPECT_TRUE(kv::IsFontFile("readme.txt", "README.TXT", "NOLICENSE"));
    EXPECT_TRUE(kv::IsFontFile("kervale.dat", "NOREADME", "NOLICENSE"));
    // The markers exclude only a file that bears exactly that name.
    EXPECT_FALSE(kv::IsFontFile("NOREADME", "NOREADME", "NOLICENSE"));
}

TEST(InternetShortcutText, TwoCrLfLinesOf26PlusNBytes) {
    const std::string url = "http://www.example.org/fonts/x";  // 30 bytes
    const std::string text = kv::InternetShortcutText(url);
    EXPECT_EQ(text, "[InternetShortcut]\r\nURL=http://www.example.org/fonts/x\r\n");
    EXPECT_EQ(text.size(), 56u);
    EXPECT_EQ(kv::InternetShortcutText(""), "[InternetShortcut]\r\nURL=\r\n");
}

TEST(IsUsableLinkTitle, BlanksKeptUnsafeNamesRefused) {
    EXPECT_TRUE(kv::IsUsableLinkTitle(""));  // gives ".url"
    EXPECT_TRUE(kv::IsUsableLinkTitle("  Sample Sans Home  "));
    EXPECT_TRUE(kv::IsUsableLinkTitle(std::string(100, 'a')));
    EXPECT_FALSE(kv::IsUsableLinkTitle("..\\Startup\\evil"));
    EXPECT_FALSE(kv::IsUsableLinkTitle("a/b"));
    EXPECT_FALSE(kv::IsUsableLinkTitle("What?"));
    EXPECT_FALSE(kv::IsUsableLinkTitle("CON"));
    EXPECT_FALSE(kv::IsUsableLinkTitle(std::string(300, 'a')));
}

}  // namespace
