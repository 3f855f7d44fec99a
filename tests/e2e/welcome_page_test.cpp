// What the user sees on the start-up window and the welcome page.

#include "wine_harness/controls.h"
#include "wine_harness/installer_texts.h"
#include "wine_harness/wizard_walk.h"
#include "installer_test.h"

namespace e2e {
namespace {

// Visible texts of labels (not buttons or text boxes), as a user reads them.
std::vector<std::string> VisibleLabels(const std::vector<Control>& controls) {
    std::vector<std::string> texts;
    for (const Control& c : controls)
        if (IsClass(c, "Static") && c.visible && !c.text.empty()) texts.push_back(c.text);
    return texts;
}

class WelcomePageTest : public InstallerTest {
protected:
    // Launches the package and returns the welcome page, or empty.
    std::string Open(const TypicalPackage& package) {
        if (!Launch(package.Files())) return std::string();
        return WaitWindow(kWelcomeCaption, kLaunchTimeoutMs);
    }
};

TEST_F(WelcomePageTest, NamesTheFontShowsTheReadmeAndTheWebAddress) {
    TypicalPackage package;
    std::string page = Open(package);
    ASSERT_FALSE(page.empty());
    std::vector<Control> controls = driver().Controls(page);

    EXPECT_NE(FindControl(controls, "Welcome to  Kervale."), nullptr);
    EXPECT_NE(FindControl(controls, "Kervale will install the Sample Sans font."), nullptr);
    EXPECT_NE(FindControl(controls, "Please click Next to continue."), nullptr);
    const Control* readme = FindByClass(controls, "Edit");
    ASSERT_NE(readme, nullptr);
    EXPECT_TRUE(readme->visible);
    EXPECT_EQ(readme->text, package.readme);
    const Control* link = FindControl(controls, package.descriptor.web_url);
    ASSERT_NE(link, nullptr) << "lblWeb does not show the web address";
    EXPECT_TRUE(link->visible);

    const Control* back = FindControl(controls, "<&Back");
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->enabled) << "Back must be greyed on the welcome page";
    for (const char* caption : {"&Next", "&Cancel", "About"}) {
        const Control* button = FindControl(controls, caption);
        ASSERT_NE(button, nullptr) << caption;
        EXPECT_TRUE(button->visible && button->enabled) << caption;
    }
    std::string focus_text;
    driver().Focus(page, nullptr, &focus_text);
    EXPECT_EQ(focus_text, "About") << "the first control to take the focus";

    // The start-up window is hidden, not gone.
    for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
        if (w.title == kStartupCaption)
            EXPECT_FALSE(w.visible) << "the start-up window is still up";
    ExpectVisibleWindow("on the welcome page");
    run_->Kill();
}

TEST_F(WelcomePageTest, ReadmeWithBareLineFeedsIsShownInCrLfLinesAndNoUrlHidesTheLink) {
    TypicalPackage package;
    package.readme = "first line\nsecond line\n\nlast line without end";
    package.descriptor.web_url = "";
    package.descriptor.font_name = "";
    std::string page = Open(package);
    ASSERT_FALSE(page.empty());
    std::vector<Control> controls = driver().Controls(page);

    const Control* readme = FindByClass(controls, "Edit");
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(readme->text, "first line\r\nsecond line\r\n\r\nlast line without end\r\n");
    // Only the fixed labels and the install line remain; an empty font name
    // leaves two blanks.
    EXPECT_EQ(VisibleLabels(controls),
              (std::vector<std::string>{"Welcome to  Kervale.", "Kervale will install the  font.",
                                        "Please click Next to continue."}));
    run_->Kill();
}

// UTF-16 little-endian after its byte-order mark, as editors on Windows save it.
std::string Utf16WithMark(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// What a font maker writes on Linux reaches the pages as written: the
// readme in UTF-8 with LF line ends, the license in UTF-16 with lone CRs,
// the font name typed in UTF-8, all packed by kervale-pack. Read back from
// the windows as UTF-16, so no code page stands between the test and what
// the user sees.
TEST_F(WelcomePageTest, TextsPackedFromUtf8ShowAsTheFontMakerWroteThem) {
    char folder_template[] = "/tmp/kervale-e2e-texts-XXXXXX";
    ASSERT_NE(mkdtemp(folder_template), nullptr);
    const std::string folder = folder_template;
    ASSERT_TRUE(WriteWholeFile(folder + "/README.md",
                               "Caf\xC3\xA9 Sans \xC2\xA9 2024\nna\xC3\xAFve \xE2\x80\x93 "
                               "\xE2\x80\x9Cquoted\xE2\x80\x9D\n\nlast"));
    ASSERT_TRUE(WriteWholeFile(folder + "/OFL.txt",
                               Utf16WithMark(u"Copyright \u00A9 \u00C9ditions\rSIL Open Font "
                                             u"License \u20AC\r")));
    const std::string package = folder + "/Cafe.exe";
    const int status = session_->Run(
        {KERVALE_PACK_PATH, "build", "-o", package, "--stub", KERVALE_WIN32_DIR "/kervale-stub.exe",
         "--font-name", "Caf\xC3\xA9 Sans", "--readme", folder + "/README.md", "--license",
         folder + "/OFL.txt", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"},
        folder + "/pack.log", 60);
    std::string log, bytes;
    ReadWholeFile(folder + "/pack.log", log);
    ASSERT_EQ(status, 0) << log;
    ASSERT_TRUE(ReadWholeFile(package, bytes));
    RemoveTree(folder);
    ASSERT_TRUE(LaunchPackage(bytes));
    const std::string page = WaitWindow(kWelcomeCaption, kLaunchTimeoutMs);
    ASSERT_FALSE(page.empty());

    std::vector<Control> controls = driver().Controls(page);
    bool named = false;
    for (const Control& c : controls)
        if (IsClass(c, "Static") &&
            driver().TextUtf8(c.hwnd) == "Kervale will install the Caf\xC3\xA9 Sans font.")
            named = c.visible;
    EXPECT_TRUE(named) << "the font name is not shown as typed";
    const Control* readme = FindByClass(controls, "Edit");
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(driver().TextUtf8(readme->hwnd),
              "Caf\xC3\xA9 Sans \xC2\xA9 2024\r\nna\xC3\xAFve \xE2\x80\x93 "
              "\xE2\x80\x9Cquoted\xE2\x80\x9D\r\n\r\nlast\r\n");

    WizardWalk walk(driver(), *run_);
    const std::string license_page = walk.Go(page, kNextCaption, kLicenseMarker);
    ASSERT_FALSE(license_page.empty()) << "no license page: " << walk.error();
    const std::vector<Control> license_controls = driver().Controls(license_page);
    const Control* license = FindByClass(license_controls, "Edit");
    ASSERT_NE(license, nullptr);
    EXPECT_EQ(driver().TextUtf8(license->hwnd),
              "Copyright \xC2\xA9 \xC3\x89"
              "ditions\r\nSIL Open Font License \xE2\x82\xAC\r\n");
    run_->Kill();
}

TEST_F(WelcomePageTest, NoReadmeHidesTheReadmeBox) {
    TypicalPackage package;
    package.descriptor.readme = "NOREADME";
    std::string page = Open(package);
    ASSERT_FALSE(page.empty());
    std::vector<Control> controls = driver().Controls(page);
    const Control* readme = FindByClass(controls, "Edit");
    if (readme) EXPECT_FALSE(readme->visible) << "the readme box shows for NOREADME";
    EXPECT_NE(FindControl(controls, "Kervale will install the Sample Sans font."), nullptr);
    ExpectVisibleWindow("on the welcome page without readme");
    run_->Kill();
}

TEST_F(WelcomePageTest, LayoutFollowsTheDesign) {
    TypicalPackage package;
    std::string page = Open(package);
    ASSERT_FALSE(page.empty());
    int width = 0, height = 0;
    ASSERT_TRUE(driver().ClientSize(page, width, height));
    EXPECT_EQ(width, Px(5940));
    EXPECT_EQ(height, Px(4290));

    std::vector<Control> controls = driver().Controls(page);
    ExpectRect(FindControl(controls, "Welcome to  Kervale."), "lblWelcome", 2040, 240, 0, 0);
    ExpectRect(FindControl(controls, "Kervale will install the Sample Sans font."), "lblInstall",
               2040, 600, 0, 0);
    ExpectRect(FindControl(controls, "About"), "cmdAbout", 240, 3720, 1095, 375);
    ExpectRect(FindControl(controls, "Please click Next to continue."), "Label1", 2040, 3240, 0, 0);
    ExpectRect(FindControl(controls, "&Next"), "cmdNext", 4800, 3720, 975, 375);
    ExpectRect(FindControl(controls, "<&Back"), "cmdBack", 3720, 3720, 975, 375);
    ExpectRect(FindControl(controls, "&Cancel"), "cmdExit", 2640, 3720, 975, 375);
    ExpectRect(FindControl(controls, package.descriptor.web_url), "lblWeb", 2040, 2880, 0, 0);
    ExpectRect(FindByClass(controls, "Edit"), "txtReadme", 2040, 960, 3735, 1815);
    run_->Kill();
}

using StartupWindowTest = InstallerTest;

TEST_F(StartupWindowTest, ShowsPleaseWaitWhileExtractingAndKeepsItsListHidden) {
    TypicalPackage package;
    // Large enough that the window is up for a while. On a fast machine the
    // extraction may be over before the driver first looks, and a window
    // found while it is being built may not have its controls yet; so the
    // window is looked at once the welcome page is up: hidden then, never
    // destroyed, and complete.
    package.font = BinaryBody(64u << 20, 11);
    ASSERT_TRUE(Launch(package.Files()));
    EXPECT_FALSE(WaitWindow(kWelcomeCaption, kLaunchTimeoutMs).empty());
    std::string startup =
        driver().WaitWindow(run_->windows_pid(), kStartupCaption, kStepTimeoutMs, true);
    ASSERT_FALSE(startup.empty()) << driver().last_error();
    int width = 0, height = 0;
    ASSERT_TRUE(driver().ClientSize(startup, width, height));
    EXPECT_EQ(width, Px(4680));
    EXPECT_EQ(height, Px(1740));
    std::vector<Control> controls = driver().Controls(startup);
    const Control* info = FindControl(
        controls,
        "Please wait while Kervale extracts the files which will be used to install the new font.");
    ExpectRect(info, "lblInfo", 240, 360, 4215, 855);
    const Control* list = FindByClass(controls, "ListBox");
    ASSERT_NE(list, nullptr) << "lstFiles is missing";
    EXPECT_FALSE(list->visible);

    ExpectVisibleWindow("after the extraction");
    run_->Kill();
}

}  // namespace
}  // namespace e2e
