#include "navigation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kv::Page;

TEST(HasLicensePage, OnlyTheExactMarkerSkipsThePage) {
    EXPECT_FALSE(kv::HasLicensePage("NOLICENSE"));
    EXPECT_TRUE(kv::HasLicensePage("LICENSE.TXT"));
    EXPECT_TRUE(kv::HasLicensePage("nolicense"));  // another spelling is a file name
    EXPECT_TRUE(kv::HasLicensePage("NOLICENSE "));
    EXPECT_TRUE(kv::HasLicensePage(""));
}

// Every Next and Back of the wizard, as the page designs lay out the way:
// welcome -> license -> options, the license page only with a license.
TEST(PageNavigation, NextAndBackWithAndWithoutALicense) {
    struct Move {
        const char* license;
        Page from, next, back;
    };
    const Move moves[] = {
        {"LICENSE.TXT", Page::Welcome, Page::License, Page::Welcome},
        {"LICENSE.TXT", Page::License, Page::Options, Page::Welcome},
        {"LICENSE.TXT", Page::Options, Page::Options, Page::License},
        {"NOLICENSE", Page::Welcome, Page::Options, Page::Welcome},
        {"NOLICENSE", Page::Options, Page::Options, Page::Welcome},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(std::string(m.license) + " from page " + std::to_string(int(m.from)));
        EXPECT_EQ(kv::PageAfter(m.from, m.license), m.next);
        EXPECT_EQ(kv::PageBefore(m.from, m.license), m.back);
    }
}

}  // namespace
