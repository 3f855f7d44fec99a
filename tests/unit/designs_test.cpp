#include "designs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

using namespace kv::ui;
using kv::design::kAboutDesign;
using kv::design::kInstallDesign;
using kv::design::kLicenseDesign;
using kv::design::kOneDesign;
using kv::design::kStartupDesign;
using kv::design::kTwoDesign;

TEST(TwipsToPixels, FifteenTwipsPerPixelAtStandardDpiAndScalesWithIt) {
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(5940, 96), 396);
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);  // rounds to the nearest pixel
    EXPECT_EQ(TwipsToPixels(8, 96), 1);
    EXPECT_EQ(TwipsToPixels(1440, 120), 120);
    EXPECT_EQ(TwipsToPixels(1440, 144), 144);
    EXPECT_EQ(TwipsToPixels(-15, 96), -1);
    EXPECT_EQ(TwipsToPixels(2000000, 192), 266667);  // no overflow on large values
}

// Every length of a design (and past it) at the usual DPI settings rounds to
// the nearest pixel, halves away from zero, as std::round does the quotient.
TEST(TwipsToPixels, RoundsTheQuotientAtEveryDpi) {
    for (int dpi : {72, 96, 120, 144, 168, 192, 240, 288, 384, 480}) {
        for (int twips = -20000; twips <= 20000; ++twips) {
            const int expected = static_cast<int>(std::round(double(twips) * dpi / 1440));
            ASSERT_EQ(TwipsToPixels(twips, dpi), expected) << twips << " twips at " << dpi;
        }
    }
    EXPECT_EQ(TwipsToPixels(2147483647, 96), 143165576);
    EXPECT_EQ(TwipsToPixels(-2147483647 - 1, 96), -143165577);
}

// The named colours reach Windows as the layouts give them in red, green
// and blue; the system colour as "none" (all bits set).
TEST(Colours, ReachWindowsAsTheirRedGreenBlue) {
    const struct {
        Colour colour;
        uint32_t red, green, blue;
    } cases[] = {{kBlue, 0, 0, 255}, {kGrey, 128, 128, 128}, {kWhite, 255, 255, 255}};
    for (const auto& c : cases)
        EXPECT_EQ(ColourRef(c.colour), c.red | c.green << 8 | c.blue << 16)
            << static_cast<int>(c.colour);
    EXPECT_EQ(ColourRef(kSystemColour), 0xFFFFFFFFu);
}

// A window with a frame inside a frame, as the options page has.
constexpr ControlDesign kNested[] = {
    {"cmdGo", Kind::Button, "Go", 10, 20, 100, 30, kDisabled, Font::Dialog, kSystemColour, kNoFrame,
     0},
    {"fraOuter", Kind::Frame, "Outer", 100, 200, 500, 500, 0, Font::Dialog, kSystemColour, kNoFrame,
     0},
    {"chkA", Kind::CheckBox, "A", 5, 6, 50, 10, 0, Font::Dialog, kSystemColour, 1, 0},
    {"fraInner", Kind::Frame, "Inner", 30, 40, 200, 200, kHidden, Font::Dialog, kSystemColour, 1,
     0},
    {"chkB", Kind::CheckBox, "B", 7, 8, 50, 10, 0, Font::Dialog, kSystemColour, 3, 0},
};
constexpr FormDesign kNestedForm = {"frmTest",
                                    "Test",
                                    1000,
                                    1000,
                                    Border::FixedSingle,
                                    TitleButtons::CloseOnly,
                                    true,
                                    Placement::CenterScreen,
                                    0,
                                    kNested,
                                    5};

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
    ExpectControlsFitAndRolesAreUnique(kLicenseDesign, 1, 1);
    ExpectControlsFitAndRolesAreUnique(kTwoDesign, 1, 1);
    ExpectControlsFitAndRolesAreUnique(kAboutDesign, 0, 0);  // OK is neither
    ExpectControlsFitAndRolesAreUnique(kInstallDesign, 0, 0);
}

// One row of a window's design as the layouts are drawn: name, kind, text and
// geometry in twips (left/top relative to the frame that holds the control).
struct Row {
    const char* name;
    Kind kind;
    const char* text;  // nullptr: filled in by code, not checked here
    int left, top, width, height;
};

void ExpectRows(const FormDesign& form, std::initializer_list<Row> rows) {
    SCOPED_TRACE(form.name);
    ASSERT_EQ(static_cast<size_t>(form.control_count), rows.size());
    int i = 0;
    for (const Row& row : rows) {
        const ControlDesign& c = form.controls[i++];
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(c.name, row.name);
        EXPECT_EQ(c.kind, row.kind);
        if (row.text) EXPECT_STREQ(c.text, row.text);
        EXPECT_EQ(c.left, row.left);
        EXPECT_EQ(c.top, row.top);
        EXPECT_EQ(c.width, row.width);
        EXPECT_EQ(c.height, row.height);
    }
}

struct Window {
    const char* caption;
    int width, height;  // client area, twips
    Border border;
    TitleButtons buttons;
    bool taskbar;
    Placement placement;
    bool icon;
};

void ExpectWindow(const FormDesign& form, const Window& w) {
    SCOPED_TRACE(form.name);
    EXPECT_STREQ(form.caption, w.caption);
    EXPECT_EQ(form.client_width, w.width);
    EXPECT_EQ(form.client_height, w.height);
    EXPECT_EQ(form.border, w.border);
    EXPECT_EQ(form.buttons, w.buttons);
    EXPECT_EQ(form.taskbar_button, w.taskbar);
    EXPECT_EQ(form.placement, w.placement);
    EXPECT_EQ(form.icon != 0, w.icon);
}

TEST(WindowDesigns, EveryWindowsFrame) {
    ExpectWindow(kStartupDesign, {"Kervale", 4680, 1740, Border::Sizable, TitleButtons::None, true,
                                  Placement::CenterScreen, true});
    ExpectWindow(kOneDesign, {"Kervale Self-Extractor", 5940, 4290, Border::FixedSingle,
                              TitleButtons::CloseOnly, false, Placement::CenterScreen, true});
    ExpectWindow(kLicenseDesign, {"Kervale Self-Extractor", 5940, 4260, Border::FixedSingle,
                                  TitleButtons::CloseOnly, true, Placement::CenterScreen, true});
    ExpectWindow(kTwoDesign, {"Kervale Self-Extractor", 5940, 4260, Border::FixedSingle,
                              TitleButtons::CloseOnly, true, Placement::CenterScreen, true});
    ExpectWindow(kAboutDesign, {"About Kervale", 3105, 4305, Border::FixedToolWindow,
                                TitleButtons::CloseOnly, false, Placement::SystemDefault, false});
    ExpectWindow(kInstallDesign, {"Installing", 4680, 2175, Border::FixedSingle, TitleButtons::None,
                                  true, Placement::CenterScreen, true});
    // The pages and the installing window share one program icon.
    for (const FormDesign* f : {&kOneDesign, &kLicenseDesign, &kTwoDesign, &kInstallDesign})
        EXPECT_EQ(f->icon, kStartupDesign.icon) << f->name;
}

// The logo and the etched separator are the same on the three pages.
void ExpectSharedPageElements(const FormDesign& form, int image) {
    SCOPED_TRACE(form.name);
    const ControlDesign& logo = form.controls[image];
    EXPECT_STREQ(logo.name, "Image1");
    EXPECT_EQ(logo.kind, Kind::Image);
    EXPECT_NE(logo.picture, 0);
    EXPECT_EQ(logo.left, 120);
    EXPECT_EQ(logo.top, 120);
    EXPECT_EQ(TwipsToPixels(logo.width, 96), 117 + 4);
    EXPECT_EQ(TwipsToPixels(logo.height, 96), 226 + 4);

    const ControlDesign& grey = form.controls[image + 1];
    EXPECT_EQ(grey.kind, Kind::Line);
    EXPECT_EQ(grey.colour, kGrey);
    EXPECT_EQ(grey.left, 120);
    EXPECT_EQ(grey.top, 3600);
    EXPECT_EQ(grey.left + grey.width, 5684);
    EXPECT_EQ(grey.height, 15);
    const ControlDesign& white = form.controls[image + 2];
    EXPECT_EQ(white.kind, Kind::Line);
    EXPECT_EQ(white.colour, kWhite);
    EXPECT_EQ(white.left, 135);
    EXPECT_EQ(white.top, 3615);
    EXPECT_EQ(white.left + white.width, 5684);
    EXPECT_EQ(white.height, 30);
}

TEST(WindowDesigns, PagesShareLogoAndSeparator) {
    ExpectSharedPageElements(kOneDesign, kv::design::frmOneIds::Image1);
    ExpectSharedPageElements(kLicenseDesign, kv::design::frmLicenseIds::Image1);
    ExpectSharedPageElements(kTwoDesign, kv::design::frmTwoIds::Image1);
}

TEST(WindowDesigns, LicensePage) {
    using namespace kv::design::frmLicenseIds;
    ExpectRows(kLicenseDesign,
               {{"lblWelcome", Kind::Label, "License Agreement:", 2040, 240, 1410, 195},
                {"Label1", Kind::Label, "Please click Next to continue.", 2040, 3240, 2115, 195},
                {"chkLicense", Kind::CheckBox, "I Agree", 2040, 2880, 2175, 255},
                {"cmdNext", Kind::Button, "&Next", 4800, 3720, 975, 375},
                {"cmdBack", Kind::Button, "<&Back", 3720, 3720, 975, 375},
                {"cmdExit", Kind::Button, "&Cancel", 2640, 3720, 975, 375},
                {"txtLicense", Kind::TextBox, "", 2040, 600, 3735, 2175},
                {"Image1", Kind::Image, nullptr, 120, 120, 1815, 3450},
                {"Line1(1)", Kind::Line, nullptr, 120, 3600, 5564, 15},
                {"Line1(0)", Kind::Line, nullptr, 135, 3615, 5549, 30}});
    const ControlDesign* c = kLicenseDesign.controls;
    EXPECT_TRUE(c[lblWelcome].flags & kSizedToText);
    EXPECT_TRUE(c[Label1].flags & kSizedToText);
    EXPECT_EQ(c[cmdNext].flags, kDefault);
    EXPECT_EQ(c[cmdBack].flags, 0);  // enabled here
    EXPECT_EQ(c[cmdExit].flags, kCancel);
    EXPECT_EQ(c[txtLicense].flags, kMultiLine | kVScroll | kReadOnly);
    // The acceptance box takes the focus first, so Enter there means Next.
    EXPECT_EQ(FirstFocus(kLicenseDesign), chkLicense);
}

TEST(WindowDesigns, OptionsPage) {
    using namespace kv::design::frmTwoIds;
    ExpectRows(kTwoDesign,
               {{"lblWelcome", Kind::Label, "Kervale is now ready to install the font.", 2040, 240,
                 2715, 195},
                {"Label1", Kind::Label, "Please click Install to finish.", 2040, 3240, 1935, 195},
                {"cmdNext", Kind::Button, "I&nstall", 4800, 3720, 975, 375},
                {"cmdBack", Kind::Button, "<&Back", 3720, 3720, 975, 375},
                {"fraOptions", Kind::Frame, "Options", 2040, 840, 3495, 1935},
                {"chkCopy", Kind::CheckBox, "Copy &Readme to Desktop", 120, 240, 2535, 255},
                {"fraLink", Kind::Frame, "Web Link", 120, 720, 3255, 975},
                {"chkDesktopURL", Kind::CheckBox, "Make &shortcut on desktop", 120, 240, 2535, 255},
                {"chkFav", Kind::CheckBox, "&Add to Favorites", 120, 600, 2415, 255},
                {"cmdExit", Kind::Button, "&Cancel", 2640, 3720, 975, 375},
                {"Image1", Kind::Image, nullptr, 120, 120, 1815, 3450},
                {"Line1(1)", Kind::Line, nullptr, 120, 3600, 5564, 15},
                {"Line1(0)", Kind::Line, nullptr, 135, 3615, 5549, 30}});
    const FormDesign& d = kTwoDesign;
    EXPECT_EQ(d.controls[fraOptions].frame, kNoFrame);
    EXPECT_EQ(d.controls[chkCopy].frame, fraOptions);
    EXPECT_EQ(d.controls[fraLink].frame, fraOptions);
    EXPECT_EQ(d.controls[chkDesktopURL].frame, fraLink);
    EXPECT_EQ(d.controls[chkFav].frame, fraLink);
    // The web link and its check boxes stay hidden until the page asks for them.
    EXPECT_TRUE(d.controls[fraLink].flags & kHidden);
    EXPECT_TRUE(InitiallyVisible(d, chkCopy));
    EXPECT_FALSE(InitiallyVisible(d, chkDesktopURL));
    EXPECT_FALSE(InitiallyVisible(d, chkFav));
    int left = 0, top = 0;
    AbsolutePosition(d, chkFav, left, top);
    EXPECT_EQ(left, 2040 + 120 + 120);
    EXPECT_EQ(top, 840 + 720 + 600);
    EXPECT_EQ(d.controls[cmdNext].flags, kDefault);
    EXPECT_EQ(d.controls[cmdExit].flags, kCancel);
    // Enter on the page as it opens starts the install.
    EXPECT_EQ(FirstFocus(d), cmdNext);
}

TEST(WindowDesigns, AboutBox) {
    using namespace kv::design::frmAboutIds;
    ExpectRows(kAboutDesign,
               {{"lblVelmarin", Kind::Label, "www.kervale.example", 480, 2160, 1920, 270},
                {"lblAbout", Kind::Label, nullptr, 120, 120, 2775, 1935},
                {"cmdOK", Kind::Button, "OK", 960, 3600, 975, 375},
                {"Label1", Kind::Label, "help@kervale.example", 480, 2520, 1995, 270},
                {"lblVersion", Kind::Label, "Label2", 240, 3000, 2295, 255}});
    const ControlDesign* c = kAboutDesign.controls;
    for (int link : {lblVelmarin, Label1}) {
        EXPECT_EQ(c[link].flags, kSizedToText | kLink) << c[link].name;
        EXPECT_EQ(c[link].font, Font::ArialLink) << c[link].name;
        EXPECT_EQ(c[link].colour, kBlue) << c[link].name;
    }
    EXPECT_EQ(c[lblAbout].flags & kSizedToText, 0);  // wraps within its box
    EXPECT_EQ(c[cmdOK].flags, 0);
    EXPECT_EQ(FirstFocus(kAboutDesign), cmdOK);
}

// The About text's shape: a rights notice and three blanks, the sentence on
// code by others, 69 blanks, then three sentences, the last without a stop.
TEST(WindowDesigns, AboutTextShape) {
    const std::string text =
        kv::design::kAboutDesign.controls[kv::design::frmAboutIds::lblAbout].text;
    EXPECT_EQ(text, kv::design::kAboutText);
    const std::string by_others =
        "This application may contain code developed by other developers.";
    const size_t others = text.find(by_others);
    ASSERT_NE(others, std::string::npos);
    ASSERT_GE(others, 4u);
    EXPECT_EQ(text.substr(others - 4, 4), ".   ");
    EXPECT_EQ(text.compare(0, 4, "(C) "), 0) << "the rights notice comes first";
    const size_t blanks = others + by_others.size();
    EXPECT_EQ(text.substr(blanks, 69), std::string(69, ' '));
    EXPECT_NE(text[blanks + 69], ' ');
    const std::string rest = text.substr(blanks + 69);
    EXPECT_NE(rest.find("free of charge"), std::string::npos);
    EXPECT_NE(rest.find("your own fonts."), std::string::npos);
    EXPECT_NE(rest.find("link below for more information."), std::string::npos);
    EXPECT_EQ(rest.substr(rest.size() - 24), "Thanks for using Kervale");
}

TEST(WindowDesigns, InstallingWindow) {
    ExpectRows(kInstallDesign,
               {{"lblInstalling", Kind::Label, "Please Wait while Kervale installs the font...",
                 240, 600, 4215, 855}});
    EXPECT_EQ(kInstallDesign.controls[0].font, Font::Large);
    EXPECT_EQ(FirstFocus(kInstallDesign), -1);
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
    EXPECT_EQ(readme.flags & (kMultiLine | kVScroll | kReadOnly),
              kMultiLine | kVScroll | kReadOnly);
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
