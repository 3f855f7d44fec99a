#include "designs.h"

#include "resource.h"

namespace kv::design {

using namespace ui;

namespace {

constexpr uint16_t kNone = 0;

// Page geometry shared by the three wizard pages.
constexpr int kPageWidth = 5940;
constexpr int kContentLeft = 2040;   // right of the logo
constexpr int kHintTop = 3240;       // the "Please click ..." line
constexpr int kButtonTop = 3720;
constexpr int kButtonWidth = 975;
constexpr int kButtonHeight = 375;
constexpr int kNextLeft = 4800;
constexpr int kBackLeft = 3720;
constexpr int kCancelLeft = 2640;
constexpr int kTextHeight = 195;     // one line of the dialog font
constexpr int kSeparatorTop = 3600;
constexpr int kSeparatorRight = 5684;
constexpr int kOnePixel = 15;

// The logo: a 117 x 226 pixel picture inside a 2 pixel sunken border.
constexpr ControlDesign kImage1 = {"Image1", Kind::Image, "", 120, 120, 1815, 3450, kNone,
                                   Font::Dialog, kSystemColour, kNoFrame, 0};
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

}  // namespace

const FormDesign kStartupDesign = {
    "frmStartup", "Kervale", 4680, 1740, Border::Sizable, TitleButtons::None, true,
    Placement::CenterScreen, IDI_PROGRAM, kStartupControls, frmStartupIds::kControlCount};

const FormDesign kOneDesign = {
    "frmOne", "Kervale Self-Extractor", kPageWidth, 4290, Border::FixedSingle,
    TitleButtons::CloseOnly, false, Placement::CenterScreen, IDI_PROGRAM, kOneControls,
    frmOneIds::kControlCount};

}  // namespace kv::design
