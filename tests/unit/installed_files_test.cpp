#include "installed_files.h"

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

TEST(CanWriteShortcut, OnlyTwoLinesInAFileInsideItsFolder) {
    EXPECT_TRUE(kv::CanWriteShortcut("http://www.example.org/", "Sample Home"));
    EXPECT_TRUE(kv::CanWriteShortcut("http://www.example.org/", ""));  // ".url"
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/\r\nIconFile=\\\\host\\i.ico", "Home"));
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/\n", "Home"));
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/", "Home\r\nIconFile=x"));
    EXPECT_FALSE(kv::CanWriteShortcut("http://x/", "..\\Startup\\evil"));
}

}  // namespace
