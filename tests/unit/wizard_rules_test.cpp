#include "wizard_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "version.h"

namespace {

using kv::LayOutOptions;
using kv::OptionsLayout;

TEST(HasLicensePage, OnlyTheExactMarkerSkipsThePage) {
    EXPECT_FALSE(kv::HasLicensePage("NOLICENSE"));
    EXPECT_TRUE(kv::HasLicensePage("LICENSE.TXT"));
    EXPECT_TRUE(kv::HasLicensePage("nolicense"));  // another spelling is a file name
    EXPECT_TRUE(kv::HasLicensePage("NOLICENSE "));
    EXPECT_TRUE(kv::HasLicensePage(""));
}

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
    EXPECT_EQ(LayOutOptions("R", "u", "  Sample Home ").link_caption, "Shortcut to Sample Home");
    EXPECT_EQ(LayOutOptions("R", "u", "").link_caption, "Shortcut to ");
    EXPECT_EQ(LayOutOptions("R", "u", "   ").link_caption, "Shortcut to ");
}

TEST(VersionCaption, PlainDecimalNumbers) {
    EXPECT_EQ(kv::VersionCaption(KV_VERSION_MAJOR, KV_VERSION_MINOR, KV_VERSION_REVISION),
              "Program Version: 1.0.12");
    EXPECT_EQ(kv::VersionCaption(0, 0, 0), "Program Version: 0.0.0");
    EXPECT_EQ(kv::VersionCaption(10, 205, 32767), "Program Version: 10.205.32767");
}

// The resource's text form must say what the numbers say.
TEST(VersionText, MatchesTheNumbers) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d.%02d.%04d", KV_VERSION_MAJOR, KV_VERSION_MINOR,
                  KV_VERSION_REVISION);
    EXPECT_STREQ(KV_VERSION_TEXT, expected);
}

}  // namespace
