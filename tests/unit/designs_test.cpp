#include "designs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace kv::ui;
using kv::design::kOneDesign;
using kv::design::kStartupDesign;

TEST(TwipsToPixels, FifteenTwipsPerPixelAtStandardDpiAndScalesWithIt) {
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(5940, 96), 396);
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);   // rounds to the nearest pixel
    EXPECT_EQ(TwipsToPixels(8, 96), 1);
    EXPECT_EQ(TwipsToPixels(1440, 120), 120);
    EXPECT_EQ(TwipsToPixels(1440, 144), 144);
    EXPECT_EQ(TwipsToPixels(-15, 96), -1);
    EXPECT_EQ(TwipsToPixels(2000000, 192), 266667);  // no overflow on large values
}

// A window with a frame inside a frame, as the options page has.
constexpr ControlDesign kNested[] = {
    {"cmdGo", Kind::Button, "Go", 10, 20, 100, 30, kDisabled, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"fraOuter", Kind::Frame, "Outer", 100, 200, 500, 500, 0, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"chkA", Kind::CheckBox, "A", 5, 6, 50, 10, 0, Font::Dialog, kSystemColour, 1, 0},
    {"fraInner", Kind::Frame, "Inner", 30, 40, 200, 200, kHidden, Font::Dialog, kSystemColour, 1, 0},
    {"chkB", Kind::CheckBox, "B", 7, 8, 50, 10, 0, Font::Dialog, kSystemColour, 3, 0},
};
constexpr FormDesign kNestedForm = {"frmTest", "Test", 1000, 1000, Border::FixedSingle,
                                    TitleButtons::CloseOnly, true, Placement::CenterScreen, 0,
                                    kNested, 5};

TEST(FormDesign, FramesOffsetAndHideWhatTheyHold) {
    int left = 0, top = 0;
    AbsolutePosition(kNestedForm, 0, left, top);
    EXPECT_EQ(left, 10);
    EXPECT_EQ(top, 20);
    AbsolutePosition(kNestedForm, 2, left, top);
    EXPECT_EQ(left, 105);
    EXPECT_EQ(top, 206);
    AbsolutePosition(kNestedForm, 4, left, top);
    EXPECT_EQ(left, 137);
    EXPECT_EQ(top, 248);

    EXPECT_TRUE(InitiallyVisible(kNestedForm, 2));
    EXPECT_FALSE(InitiallyVisible(kNestedForm, 3));
    EXPECT_FALSE(InitiallyVisible(kNestedForm, 4));  // inside the hidden frame
}

TEST(FormDesign, FirstFocusSkipsDisabledHiddenAndUnfocusableControls) {
    EXPECT_EQ(FirstFocus(kNestedForm), 2);  // not the disabled button, not a frame
    EXPECT_EQ(FirstFocus(kOneDesign), kv::design::frmOneIds::cmdAbout);
    EXPECT_EQ(FirstFocus(kStartupDesign), -1);  // its only focusable control is hidden
}

// The control enums must name the rows of the tables they index.
TEST(WindowDesigns, EnumsMatchTheTableRows) {
    using namespace kv::design;
    const char* const startup[] = {"lblInfo", "lstFiles"};
    ASSERT_EQ(kStartupDesign.control_count, frmStartupIds::kControlCount);
    for (int i = 0; i < kStartupDesign.control_count; ++i)
        EXPECT_STREQ(kStartupDesign.controls[i].name, startup[i]);

    const char* const one[] = {"lblWelcome", "lblInstall", "cmdAbout", "Label1",
                               "cmdNext",    "cmdBack",    "cmdExit",  "lblWeb",
                               "txtReadme",  "Image1",     "Line1(1)", "Line1(0)"};
    ASSERT_EQ(kOneDesign.control_count, frmOneIds::kControlCount);
    for (int i = 0; i < kOneDesign.control_count; ++i)
        EXPECT_STREQ(kOneDesign.controls[i].name, one[i]);
}

void ExpectControlsFitAndRolesAreUnique(const FormDesign& form, int defaults, int cancels) {
    SCOPED_TRACE(form.name);
    ASSERT_LE(form.control_count, kMaxControls);
    int default_count = 0, cancel_count = 0;
    for (int i = 0; i < form.control_count; ++i) {
        const ControlDesign& c = form.controls[i];
        SCOPED_TRACE(c.name);
        int left = 0, top = 0;
        AbsolutePosition(form, i, left, top);
        EXPECT_GE(left, 0);
        EXPECT_GE(top, 0);
        EXPECT_LE(left + c.width, form.client_width);
        EXPECT_LE(top + c.height, form.client_height);
        EXPECT_LT(c.frame, i);  // a frame comes before what it holds
        if (c.flags & kDefault) ++default_count;
        if (c.flags & kCancel) ++cancel_count;
        if (c.flags & (kDefault | kCancel)) EXPECT_EQ(c.kind, Kind::Button);
    }
    EXPECT_EQ(default_count, defaults);
    EXPECT_EQ(cancel_count, cancels);
}

TEST(WindowDesigns, ControlsLieInsideTheirWindowAndButtonRolesAreUnique) {
    ExpectControlsFitAndRolesAreUnique(kStartupDesign, 0, 0);
    ExpectControlsFitAndRolesAreUnique(kOneDesign, 1, 1);
}

TEST(WindowDesigns, StartupWindow) {
    using namespace kv::design::frmStartupIds;
    EXPECT_STREQ(kStartupDesign.caption, "Kervale");
    EXPECT_EQ(kStartupDesign.buttons, TitleButtons::None);  // cannot be closed
    EXPECT_STREQ(kStartupDesign.controls[lblInfo].text,
                 "Please wait while Kervale extracts the files which will be used to install the "
                 "new font.");
    EXPECT_EQ(kStartupDesign.controls[lstFiles].kind, Kind::ListBox);
    EXPECT_TRUE(kStartupDesign.controls[lstFiles].flags & kHidden);
}

TEST(WindowDesigns, WelcomePage) {
    using namespace kv::design::frmOneIds;
    const FormDesign& d = kOneDesign;
    EXPECT_STREQ(d.caption, "Kervale Self-Extractor");
    EXPECT_EQ(TwipsToPixels(d.client_width, 96), 396);
    EXPECT_EQ(TwipsToPixels(d.client_height, 96), 286);
    EXPECT_FALSE(d.taskbar_button);
    EXPECT_EQ(d.buttons, TitleButtons::CloseOnly);
    EXPECT_NE(d.icon, 0);

    EXPECT_STREQ(d.controls[lblWelcome].text, "Welcome to  Kervale.");
    EXPECT_STREQ(d.controls[Label1].text, "Please click Next to continue.");
    EXPECT_STREQ(d.controls[cmdNext].text, "&Next");
    EXPECT_STREQ(d.controls[cmdBack].text, "<&Back");
    EXPECT_STREQ(d.controls[cmdExit].text, "&Cancel");
    EXPECT_TRUE(d.controls[cmdNext].flags & kDefault);
    EXPECT_TRUE(d.controls[cmdExit].flags & kCancel);
    EXPECT_TRUE(d.controls[cmdBack].flags & kDisabled);

    const ControlDesign& web = d.controls[lblWeb];
    EXPECT_TRUE(web.flags & kLink);
    EXPECT_TRUE(web.flags & kSizedToText);
    EXPECT_EQ(web.colour, kBlue);
    EXPECT_EQ(web.font, Font::DialogUnderline);

    const ControlDesign& readme = d.controls[txtReadme];
    EXPECT_EQ(readme.kind, Kind::TextBox);
    EXPECT_EQ(readme.flags & (kMultiLine | kVScroll | kReadOnly), kMultiLine | kVScroll | kReadOnly);
    EXPECT_STREQ(readme.text, "");

    // The logo: 117 x 226 pixels plus a two-pixel border on each side.
    EXPECT_EQ(TwipsToPixels(d.controls[Image1].width, 96), 117 + 4);
    EXPECT_EQ(TwipsToPixels(d.controls[Image1].height, 96), 226 + 4);

    // The separator: grey one pixel line, white two pixel line just below.
    EXPECT_EQ(d.controls[Line1_1].colour, kGrey);
    EXPECT_EQ(TwipsToPixels(d.controls[Line1_1].height, 96), 1);
    EXPECT_EQ(d.controls[Line1_0].colour, kWhite);
    EXPECT_EQ(TwipsToPixels(d.controls[Line1_0].height, 96), 2);
    EXPECT_EQ(d.controls[Line1_0].top, d.controls[Line1_1].top + 15);
}

}  // namespace
