#include "designs.h"

#include "maker.h"
#include "resource.h"

namespace kv::design {

using namespace ui;

namespace {

constexpr uint16_t kNone = 0;

// Page geometry shared by the three wizard pages.
constexpr int kPageWidth = 5940;
constexpr int kContentLeft = 2040;  // right of the logo
constexpr int kHintTop = 3240;      // the "Please click ..." line
constexpr int kButtonTop = 3720;
constexpr int kButtonWidth = 975;
constexpr int kButtonHeight = 375;
constexpr int kNextLeft = 4800;
constexpr int kBackLeft = 3720;
constexpr int kCancelLeft = 2640;
constexpr int kTextHeight = 195;  // one line of the dialog font
constexpr int kSeparatorTop = 3600;
constexpr int kSeparatorRight = 5684;
constexpr int kOnePixel = 15;
constexpr int kCheckHeight = 255;  // a check box's line

// The tables are laid out by hand, one control a row.
// clang-format off
// The logo: a 117 x 226 pixel picture inside a 2 pixel sunken border.
constexpr ControlDesign kImage1 = {"Image1", Kind::Image, "", 120, 120, 1815, 3450, kNone,
                                   Font::Dialog, kSystemColour, kNoFrame, IDB_LOGO};
// The etched separator: a grey line with a white line just below it.
constexpr ControlDesign kLine1_1 = {"Line1(1)", Kind::Line, "", 120, kSeparatorTop,
                                    kSeparatorRight - 120, kOnePixel, kNone, Font::Dialog,
                                    kGrey, kNoFrame, 0};
constexpr ControlDesign kLine1_0 = {"Line1(0)", Kind::Line, "", 135, kSeparatorTop + kOnePixel,
                                    kSeparatorRight - 135, 2 * kOnePixel, kNone, Font::Dialog,
                                    kWhite, kNoFrame, 0};

constexpr ControlDesign kStartupControls[] = {
    {"lblInfo", Kind::Label,
     "Please wait while Kervale extracts the files which will be used to install the new font.",
     240, 360, 4215, 855, kNone, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"lstFiles", Kind::ListBox, "", 120, 1080, 1455, 450, kHidden, Font::Dialog, kSystemColour,
     kNoFrame, 0},
};
static_assert(sizeof kStartupControls / sizeof kStartupControls[0] ==
              frmStartupIds::kControlCount);

constexpr ControlDesign kOneControls[] = {
    {"lblWelcome", Kind::Label, "Welcome to  Kervale.", kContentLeft, 240, 1530, kTextHeight,
     kSizedToText, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"lblInstall", Kind::Label, "Kervale will install the font.", kContentLeft, 600, 2265,
     kTextHeight, kSizedToText, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdAbout", Kind::Button, "About", 240, kButtonTop, 1095, kButtonHeight, kNone, Font::Dialog,
     kSystemColour, kNoFrame, 0},
    {"Label1", Kind::Label, "Please click Next to continue.", kContentLeft, kHintTop, 2115,
     kTextHeight, kSizedToText, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdNext", Kind::Button, "&Next", kNextLeft, kButtonTop, kButtonWidth, kButtonHeight,
     kDefault, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdBack", Kind::Button, "<&Back", kBackLeft, kButtonTop, kButtonWidth, kButtonHeight,
     kDisabled, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdExit", Kind::Button, "&Cancel", kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight,
     kCancel, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"lblWeb", Kind::Label, "www.kervale.example", kContentLeft, 2880, 1515, kTextHeight,
     kSizedToText | kLink, Font::DialogUnderline, kBlue, kNoFrame, 0},
    {"txtReadme", Kind::TextBox, "", kContentLeft, 960, 3735, 1815,
     kMultiLine | kVScroll | kReadOnly, Font::Dialog, kSystemColour, kNoFrame, 0},
    kImage1,
    kLine1_1,
    kLine1_0,
};
static_assert(sizeof kOneControls / sizeof kOneControls[0] == frmOneIds::kControlCount);

constexpr ControlDesign kLicenseControls[] = {
    {"lblWelcome", Kind::Label, "License Agreement:", kContentLeft, 240, 1410, kTextHeight,
     kSizedToText, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"Label1", Kind::Label, "Please click Next to continue.", kContentLeft, kHintTop, 2115,
     kTextHeight, kSizedToText, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"chkLicense", Kind::CheckBox, "I Agree", kContentLeft, 2880, 2175, kCheckHeight, kNone,
     Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdNext", Kind::Button, "&Next", kNextLeft, kButtonTop, kButtonWidth, kButtonHeight,
     kDefault, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdBack", Kind::Button, "<&Back", kBackLeft, kButtonTop, kButtonWidth, kButtonHeight, kNone,
     Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdExit", Kind::Button, "&Cancel", kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight,
     kCancel, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"txtLicense", Kind::TextBox, "", kContentLeft, 600, 3735, 2175,
     kMultiLine | kVScroll | kReadOnly, Font::Dialog, kSystemColour, kNoFrame, 0},
    kImage1,
    kLine1_1,
    kLine1_0,
};
static_assert(sizeof kLicenseControls / sizeof kLicenseControls[0] ==
              frmLicenseIds::kControlCount);

namespace two = frmTwoIds;
constexpr ControlDesign kTwoControls[] = {
    {"lblWelcome", Kind::Label, "Kervale is now ready to install the font.", kContentLeft, 240,
     2715, kTextHeight, kSizedToText, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"Label1", Kind::Label, "Please click Install to finish.", kContentLeft, kHintTop, 1935,
     kTextHeight, kSizedToText, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdNext", Kind::Button, "I&nstall", kNextLeft, kButtonTop, kButtonWidth, kButtonHeight,
     kDefault, Font::Dialog, kSystemColour, kNoFrame, 0},
    {"cmdBack", Kind::Button, "<&Back", kBackLeft, kButtonTop, kButtonWidth, kButtonHeight, kNone,
     Font::Dialog, kSystemColour, kNoFrame, 0},
    {"fraOptions", Kind::Frame, "Options", kContentLeft, 840, 3495, 1935, kNone, Font::Dialog,
     kSystemColour, kNoFrame, 0},
    {"chkCopy", Kind::CheckBox, "Copy &Readme to Desktop", 120, 240, 2535, kCheckHeight, kNone,
     Font::Dialog, kSystemColour, two::fraOptions, 0},
    {"fraLink", Kind::Frame, "Web Link", 120, 720, 3255, 975, kHidden, Font::Dialog,
     kSystemColour, two::fraOptions, 0},
    {"chkDesktopURL", Kind::CheckBox, "Make &shortcut on desktop", 120, 240, 2535, kCheckHeight,
     kNone, Font::Dialog, kSystemColour, two::fraLink, 0},
    {"chkFav", Kind::CheckBox, "&Add to Favorites", 120, 600, 2415, kCheckHeight, kNone,
     Font::Dialog, kSystemColour, two::fraLink, 0},
    {"cmdExit", Kind::Button, "&Cancel", kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight,
     kCancel, Font::Dialog, kSystemColour, kNoFrame, 0},
    kImage1,
    kLine1_1,
    kLine1_0,
};
static_assert(sizeof kTwoControls / sizeof kTwoControls[0] == two::kControlCount);

// The maker's links: blue, underlined Arial 12 pt, sized to their text.
constexpr uint16_t kMakerLink = kSizedToText | kLink;
constexpr ControlDesign kAboutControls[] = {
    {"lblVelmarin", Kind::Label, kMakerHost, 480, 2160, 1920, 270, kMakerLink, Font::ArialLink,
     kBlue, kNoFrame, 0},
    {"lblAbout", Kind::Label, kAboutText, 120, 120, 2775, 1935, kNone, Font::Dialog,
     kSystemColour, kNoFrame, 0},
    // Neither default nor cancel: Enter and Escape do not close the box.
    {"cmdOK", Kind::Button, "OK", 960, 3600, kButtonWidth, kButtonHeight, kNone, Font::Dialog,
     kSystemColour, kNoFrame, 0},
    {"Label1", Kind::Label, kContactMail, 480, 2520, 1995, 270, kMakerLink, Font::ArialLink,
     kBlue, kNoFrame, 0},
    {"lblVersion", Kind::Label, "Label2", 240, 3000, 2295, 255, kNone, Font::Dialog,
     kSystemColour, kNoFrame, 0},
};
static_assert(sizeof kAboutControls / sizeof kAboutControls[0] == frmAboutIds::kControlCount);

constexpr ControlDesign kInstallControls[] = {
    {"lblInstalling", Kind::Label, "Please Wait while Kervale installs the font...", 240, 600,
     4215, 855, kNone, Font::Large, kSystemColour, kNoFrame, 0},
};
static_assert(sizeof kInstallControls / sizeof kInstallControls[0] ==
              frmInstallIds::kControlCount);

// clang-format on

}  // namespace

// A rights notice and three blanks; a note on code by others; 69 blanks that
// push the rest onto a line of its own in the word-wrapped label; then what
// the program is for.
const char kAboutText[] =
    "(C) Kervale.   "
    "This application may contain code developed by other developers."
    "                                                                     "
    "You may use Kervale free of charge to package your own fonts. "
    "Visit the link below for more information. "
    "Thanks for using Kervale";

// clang-format off
const FormDesign kStartupDesign = {
    "frmStartup", "Kervale", 4680, 1740, Border::Sizable, TitleButtons::None, true,
    Placement::CenterScreen, IDI_PROGRAM, kStartupControls, frmStartupIds::kControlCount};

const FormDesign kOneDesign = {
    "frmOne", "Kervale Self-Extractor", kPageWidth, 4290, Border::FixedSingle,
    TitleButtons::CloseOnly, false, Placement::CenterScreen, IDI_PROGRAM, kOneControls,
    frmOneIds::kControlCount};

const FormDesign kLicenseDesign = {
    "frmLicense", "Kervale Self-Extractor", kPageWidth, 4260, Border::FixedSingle,
    TitleButtons::CloseOnly, true, Placement::CenterScreen, IDI_PROGRAM, kLicenseControls,
    frmLicenseIds::kControlCount};

const FormDesign kTwoDesign = {
    "frmTwo", "Kervale Self-Extractor", kPageWidth, 4260, Border::FixedSingle,
    TitleButtons::CloseOnly, true, Placement::CenterScreen, IDI_PROGRAM, kTwoControls,
    two::kControlCount};

const FormDesign kAboutDesign = {
    "frmAbout", "About Kervale", 3105, 4305, Border::FixedToolWindow, TitleButtons::CloseOnly,
    false, Placement::SystemDefault, 0, kAboutControls, frmAboutIds::kControlCount};

const FormDesign kInstallDesign = {
    "frmInstall", "Installing", 4680, 2175, Border::FixedSingle, TitleButtons::None, true,
    Placement::CenterScreen, IDI_PROGRAM, kInstallControls, frmInstallIds::kControlCount};

// clang-format on

}  // namespace kv::design
