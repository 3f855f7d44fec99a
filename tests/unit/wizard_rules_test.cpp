#include "wizard_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "version.h"

namespace {

using kv::LayOutOptions;
using kv::OptionsLayout;

TEST(TrimSpaces, RemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(kv::TrimSpaces("  Sample Home  "), "Sample Home");
    EXPECT_EQ(kv::TrimSpaces("a  b"), "a  b");
    EXPECT_EQ(kv::TrimSpaces("   "), "");
    EXPECT_EQ(kv::TrimSpaces(""), "");
    EXPECT_EQ(kv::TrimSpaces("\tx\t"), "\tx\t");  // only blanks are trimmed
}

// The four kinds of package, and what the options page offers for each.
TEST(LayOutOptions, FourPackageKinds) {
    OptionsLayout both = LayOutOptions("README.TXT", "http://x.example/", "Home");
    EXPECT_TRUE(both.options_frame);
    EXPECT_TRUE(both.copy_readme);
    EXPECT_TRUE(both.link_frame);
    EXPECT_EQ(both.link_caption, "Shortcut to Home");

    OptionsLayout readme_only = LayOutOptions("README.TXT", "", "Home");
    EXPECT_TRUE(readme_only.options_frame);
    EXPECT_TRUE(readme_only.copy_readme);
    EXPECT_FALSE(readme_only.link_frame);

    OptionsLayout link_only = LayOutOptions("NOREADME", "http://x.example/", "Home");
    EXPECT_TRUE(link_only.options_frame);
    EXPECT_FALSE(link_only.copy_readme);
    EXPECT_TRUE(link_only.link_frame);
    EXPECT_EQ(link_only.link_caption, "Shortcut to Home");

    OptionsLayout neither = LayOutOptions("NOREADME", "", "Home");
    EXPECT_FALSE(neither.options_frame);
    EXPECT_FALSE(neither.copy_readme);
    EXPECT_FALSE(neither.link_frame);
}

TEST(LayOutOptions, MarkerIsExactAndTheLinkTitleIsTrimmedForTheCaptionOnly) {
    EXPECT_TRUE(LayOutOptions("noreadme", "", "").copy_readme);
    EXPECT_TRUE(LayOutOptions("noreadme", "", "").options_frame);
    const char* url = "http://x.example/";
    EXPECT_EQ(LayOutOptions("R", url, "  Sample Home ").link_caption, "Shortcut to Sample Home");
    EXPECT_EQ(LayOutOptions("R", url, "").link_caption, "Shortcut to ");
    EXPECT_EQ(LayOutOptions("R", url, "   ").link_caption, "Shortcut to ");
}

// Shortcuts are offered only to what the welcome page would open: a
// program's path or a share would become a shortcut that starts it.
TEST(LayOutOptions, ShortcutsOnlyToAnAddressTheWelcomePageOpens) {
    for (const char* url : {"https://x.example/", "www.example.com/fonts", "mailto:f@x.example"}) {
        const OptionsLayout layout = LayOutOptions("NOREADME", url, "Home");
        EXPECT_TRUE(layout.link_frame && layout.options_frame) << url;
    }
    for (const char* url : {"\\\\host\\share\\update.exe", "file:///C:/Windows/notepad.exe",
                            "notepad.exe", "http://x.example/\r\nIconFile=x", "www."}) {
        const OptionsLayout layout = LayOutOptions("NOREADME", url, "Home");
        EXPECT_FALSE(layout.link_frame || layout.options_frame) << url;
        EXPECT_TRUE(LayOutOptions("README.TXT", url, "Home").options_frame) << url;
    }
}

// The resource's text form and the About box's line say what the numbers say.
TEST(VersionTexts, MatchTheNumbers) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d.%02d.%04d", KV_VERSION_MAJOR, KV_VERSION_MINOR,
                  KV_VERSION_REVISION);
    EXPECT_STREQ(KV_VERSION_TEXT, expected);
    std::snprintf(expected, sizeof expected, "Program Version: %d.%d.%d", KV_VERSION_MAJOR,
                  KV_VERSION_MINOR, KV_VERSION_REVISION);
    EXPECT_STREQ(KV_VERSION_CAPTION, expected);
}

}  // namespace
