// Every fixed caption fits its control, measured in the control's font
// under the prefix's Windows-compatible fonts (Liberation Sans for Arial,
// Wine's MS Sans Serif and Tahoma), against the geometry of the design
// tables. A caption that needs more room than the design gives shows cut
// off on a user's screen.
#include <algorithm>
#include <string>
#include <vector>

#include "designs.h"
#include "wine_harness/controls.h"
#include "installer_test.h"
#include "wine_harness/wizard_walk.h"

namespace e2e {
namespace {

namespace ui = kv::ui;

// The forms number their controls in tab order from here.
constexpr int kFirstControlId = 100;
// What Windows draws around a caption, in pixels at 96 DPI: a push button's
// edge and padding, a check box's box and gap, a frame's inset of its title.
constexpr int kButtonChrome = 2 * 4;
constexpr int kCheckBoxChrome = 13 + 4;
constexpr int kFrameChrome = 2 * 8;
// A label that sizes itself to its text keeps the window's margin (the
// logo's and the buttons' distance from the edge) to the right.
constexpr int kMarginTwips = 120;

// A control's font as the designs describe it: MS Sans Serif 8.25 pt unless
// the table names Arial 12 pt or MS Sans Serif 12 pt.
struct FontSpec {
    const char* face;
    int hundredths;  // of a point
    bool underline;
};
FontSpec SpecOf(ui::Font font) {
    switch (font) {
    case ui::Font::Dialog: return {"MS Sans Serif", 825, false};
    case ui::Font::DialogUnderline: return {"MS Sans Serif", 825, true};
    case ui::Font::ArialLink: return {"Arial", 1200, true};
    case ui::Font::Large: return {"MS Sans Serif", 1200, false};
    }
    return {"MS Sans Serif", 825, false};
}

class LayoutTest : public InstallerTest {
protected:
    // Checks the captions of `window`, built from `form`; `varying` names
    // the controls whose captions come from the package.
    void ExpectCaptionsFit(const ui::FormDesign& form, const std::string& window,
                           std::vector<std::string> varying = {}) {
        SCOPED_TRACE(form.name);
        ASSERT_FALSE(window.empty());
        int client_width = 0, client_height = 0;
        ASSERT_TRUE(driver().ClientSize(window, client_width, client_height));
        int checked = 0;
        for (const Control& c : driver().Controls(window)) {
            const int index = c.id - kFirstControlId;
            if (index < 0 || index >= form.control_count) continue;
            const ui::ControlDesign& d = form.controls[index];
            if (d.kind == ui::Kind::Image || d.kind == ui::Kind::Line ||
                d.kind == ui::Kind::TextBox || d.kind == ui::Kind::ListBox ||
                std::find(varying.begin(), varying.end(), std::string(d.name)) != varying.end())
                continue;
            SCOPED_TRACE(std::string(d.name) + " \"" + c.text + "\"");
            const int width = Px(d.width), height = Px(d.height);
            const bool wraps = d.kind == ui::Kind::Label && !(d.flags & ui::kSizedToText);
            const FontSpec font = SpecOf(d.font);
            int text_width = 0, text_height = 0;
            ASSERT_TRUE(driver().TextExtent(c.hwnd, wraps ? width : 0, font.face, font.hundredths,
                                            font.underline, text_width, text_height))
                << driver().last_error();
            ++checked;
            switch (d.kind) {
            case ui::Kind::Label:
                if (wraps) {
                    EXPECT_LE(text_width, width) << "a word is wider than the label";
                    EXPECT_LE(text_height, height) << "the wrapped text has more lines than fit";
                } else {
                    // The label sized itself with its own font: the same
                    // width tells that the measure used that font too.
                    const int slack = Px(ui::kSizedLabelSlackTwips);
                    EXPECT_NEAR(c.right - c.left, text_width + slack, 1)
                        << "measured in another font";
                    int left = 0, top = 0;
                    ui::AbsolutePosition(form, index, left, top);
                    EXPECT_LE(Px(left) + text_width + slack, client_width - Px(kMarginTwips))
                        << "runs into the window's right margin";
                    EXPECT_LE(text_height, height);
                }
                break;
            case ui::Kind::Button:
                EXPECT_LE(text_width + kButtonChrome, width);
                EXPECT_LE(text_height, height);
                break;
            case ui::Kind::CheckBox:
                EXPECT_LE(text_width + kCheckBoxChrome, width);
                EXPECT_LE(text_height, height);
                break;
            case ui::Kind::Frame: EXPECT_LE(text_width + kFrameChrome, width); break;
            default: break;
            }
        }
        EXPECT_GT(checked, 0) << "no control of the design found";
    }
};

// One run through every window: the start-up window (hidden, but alive for
// the whole run), the three pages, the About box, and the installing
// window, which stays up behind the message when the Favorites folder is
// missing.
TEST_F(LayoutTest, EveryFixedCaptionFitsItsControl) {
    const std::vector<PackagedFile> files = TypicalPackage().Files();
    ASSERT_TRUE(Launch(files));
    WizardWalk walk(driver(), *run_);
    const std::string welcome = walk.WaitPage(kWelcomeMarker, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty()) << walk.error();

    std::string startup;
    for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
        if (w.title == kStartupCaption && w.class_name != "#32770") startup = w.hwnd;
    ExpectCaptionsFit(kv::design::kStartupDesign, startup);
    ExpectCaptionsFit(kv::design::kOneDesign, welcome, {"lblInstall", "lblWeb"});

    ASSERT_TRUE(walk.Press(welcome, "About")) << walk.error();
    const std::string about = WaitWindow(kAboutCaption);
    ExpectCaptionsFit(kv::design::kAboutDesign, about);
    ASSERT_TRUE(walk.Press(about, "OK")) << walk.error();

    const std::string license = walk.Go(welcome, kNextCaption, kLicenseMarker);
    ExpectCaptionsFit(kv::design::kLicenseDesign, license);
    ASSERT_TRUE(walk.SetCheck(license, kAgreeCaption, true)) << walk.error();
    const std::string options = walk.Go(license, kNextCaption, kOptionsMarker);
    ExpectCaptionsFit(kv::design::kTwoDesign, options, {"fraLink"});

    RemoveTree(session_->FavoritesDir());  // the fixture puts it back
    ASSERT_TRUE(walk.SetCheck(options, kFavoritesCaption, true)) << walk.error();
    ASSERT_TRUE(walk.Press(options, kInstallCaption)) << walk.error();
    const std::string box =
        ExpectMessageBox(kShortcutErrorTitle, kShortcutErrorText, {"OK"}, false);
    ExpectCaptionsFit(kv::design::kInstallDesign, WaitWindow(kInstallingCaption));
    if (!box.empty()) Answer(box, "OK");
    ExpectEnds();
}

}  // namespace
}  // namespace e2e
