// The wizard as a user walks it: every page transition, the license skip,
// values kept across Back and Next, the refusal message, the About box's
// life, the exit question from every page, the options the page offers for
// each kind of package, and the windows' layout at 96 DPI. Each launch walks
// through many steps, since a launch under Wine costs far more than a step.
// Screenshots of every window go to build/screenshots/.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "wine_harness/controls.h"
#include "installer_test.h"
#include "wine_harness/screenshot.h"
#include "wine_harness/wizard_walk.h"
#include "version.h"

namespace e2e {
namespace {

constexpr const char kRefusal[] =
    "You must agree to the license agreement to continue.\r\n"
    "If you do not agree to the license agreement, click Cancel to close Kervale.";

// Saves the mapped window titled `title` as build/screenshots/<file>.png.
// Pictures for people: a failure here is logged, not a test failure.
void Screenshot(WineSession& session, const std::string& title, const std::string& file) {
    if (!SaveWindowScreenshot(session, title,
                              std::string(E2E_SCREENSHOT_DIR) + "/" + file + ".png"))
        std::fprintf(stderr, "no screenshot of \"%s\": no mapped X window of that name\n",
                     title.c_str());
}

class WizardTest : public InstallerTest {
protected:
    // The visible wizard page that shows `marker`.
    std::string WaitPage(const char* marker, int timeout_ms = kStepTimeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        do {
            for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
                if (w.visible && w.title == kWelcomeCaption &&
                    !driver().FindByText(w.hwnd, marker).empty())
                    return w.hwnd;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < deadline && run_->Running());
        ADD_FAILURE() << "no page showing \"" << marker << "\"";
        return std::string();
    }

    // Presses a button of `window` by its caption.
    void Press(const std::string& window, const std::string& caption) {
        std::string button = driver().FindByText(window, caption);
        ASSERT_FALSE(button.empty()) << caption << ": " << driver().last_error();
        ASSERT_TRUE(driver().Click(button)) << driver().last_error();
    }

    // Moves from `from` to the page that shows `marker` by pressing `caption`;
    // the old page must be hidden, not destroyed.
    std::string Go(const std::string& from, const std::string& caption, const char* marker) {
        Press(from, caption);
        EXPECT_TRUE(driver().WaitHidden(from, kStepTimeoutMs)) << caption << " left the page up";
        std::string to = WaitPage(marker);
        EXPECT_TRUE(IsWindowAlive(from)) << "a page was destroyed by " << caption;
        return to;
    }

    bool StillVisible(const std::string& hwnd) {
        for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
            if (w.hwnd == hwnd) return w.visible;
        return false;
    }

    bool IsWindowAlive(const std::string& hwnd) {
        for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
            if (w.hwnd == hwnd) return true;
        return false;
    }

    // Toggles a check box and waits until it shows `checked`.
    void SetCheck(const std::string& window, const std::string& caption, bool checked) {
        std::string box = driver().FindByText(window, caption);
        ASSERT_FALSE(box.empty()) << caption;
        ASSERT_TRUE(driver().Click(box));
        EXPECT_TRUE(WaitChecked(window, caption, checked)) << caption;
    }

    bool WaitChecked(const std::string& window, const std::string& caption, bool checked) {
        for (int i = 0; i < 200; ++i) {
            const Control* c = FindControl(controls_ = driver().Controls(window), caption);
            if (c && c->checked == checked) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    int CountWindows(const std::string& title) {
        int n = 0;
        for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
            if (w.title == title && w.class_name != "#32770") ++n;
        return n;
    }

    std::string FocusText(const std::string& window) {
        WaitFocusIn(window);
        std::string text;
        driver().Focus(window, nullptr, &text);
        return text;
    }

    // Keys go to the focused control; after a message box the page gets the
    // focus back only once it is active again, so wait for that first.
    bool WaitFocusIn(const std::string& window) {
        for (int i = 0; i < 400; ++i) {
            const std::string focus = driver().Focus(window);
            for (const Control& c : driver().Controls(window))
                if (!focus.empty() && c.hwnd == focus) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    void Key(const std::string& window, const char* key) {
        EXPECT_TRUE(WaitFocusIn(window)) << "no control of the window has the focus for " << key;
        ASSERT_TRUE(driver().Key(window, key));
    }

    // Asks the exit question by `how` (Escape, the close box or Cancel) and
    // gives `answer`.
    void AskExitQuestion(const std::string& page, const std::string& how, const char* answer) {
        if (how == "escape")
            Key(page, "escape");
        else if (how == "close")
            ASSERT_TRUE(driver().Close(page));
        else
            Press(page, "&Cancel");
        std::string box = ExpectMessageBox(kExitTitle, kExitQuestion, {"Yes", "No"}, false);
        ASSERT_FALSE(box.empty()) << how;
        Answer(box, answer);
    }

    // Asks the exit question by `how` and answers No; the page must stay as it was.
    void AskAndStay(const std::string& page, const std::string& how) {
        const std::vector<std::string> before = Looks(driver().Controls(page));
        ASSERT_NO_FATAL_FAILURE(AskExitQuestion(page, how, "No"));
        EXPECT_TRUE(run_->Running()) << "No after " << how << " ended the program";
        EXPECT_FALSE(
            driver().WaitWindow(run_->windows_pid(), kWelcomeCaption, kStepTimeoutMs).empty());
        EXPECT_EQ(Looks(driver().Controls(page)), before)
            << "No after " << how << " changed the page";
    }

    // Asks the exit question by `how` and answers Yes: every listed file goes
    // and the program ends.
    void AskAndLeave(const std::string& page, const std::string& how,
                     const std::vector<PackagedFile>& files) {
        ASSERT_NO_FATAL_FAILURE(AskExitQuestion(page, how, "Yes"));
        ExpectEnds();
        for (const PackagedFile& file : files)
            EXPECT_FALSE(PathExists(TempPath(file.name))) << file.name << " was left behind";
    }

    // The logo, the separator and the three buttons, as every page has them.
    void ExpectPageFrame(const std::vector<Control>& controls, int client_height,
                         const std::string& page) {
        int width = 0, height = 0;
        ASSERT_TRUE(driver().ClientSize(page, width, height));
        EXPECT_EQ(width, Px(5940));
        EXPECT_EQ(height, Px(client_height));
        // The logo: 117 x 226 pixels inside a two-pixel border.
        const Control* logo = nullptr;
        for (const Control& c : controls)
            if (IsClass(c, "Static") && c.right - c.left > 100 && c.bottom - c.top > 200) logo = &c;
        ExpectRect(logo, "Image1", 120, 120, 1815, 3450);
        ExpectRect(FindControl(controls, "&Cancel"), "cmdExit", 2640, 3720, 975, 375);
        ExpectRect(FindControl(controls, "<&Back"), "cmdBack", 3720, 3720, 975, 375);
    }

    std::vector<Control> controls_;
};

TypicalPackage PackageWith(const std::string& readme, const std::string& license,
                           const std::string& url) {
    TypicalPackage package;
    package.descriptor.readme = readme;
    package.descriptor.license = license;
    package.descriptor.web_url = url;
    return package;
}

// Leaves out the readme or license file when the descriptor names none.
std::vector<PackagedFile> FilesOf(const TypicalPackage& package) {
    std::vector<PackagedFile> files;
    for (const PackagedFile& f : package.Files()) {
        if (f.name == "README.TXT" && package.descriptor.readme == "NOREADME") continue;
        if (f.name == "LICENSE.TXT" && package.descriptor.license == "NOLICENSE") continue;
        files.push_back(f);
    }
    return files;
}

// A package with a readme, a license and a web address: every page, forward
// and back, the refusal, the values kept, the exit question on each page.
TEST_F(WizardTest, WalksEveryPageForwardAndBackKeepingWhatTheUserDid) {
    TypicalPackage package;
    package.descriptor.link_name = "  Sample Sans Home ";
    package.license = "License line one.\r\nLicense line two.";
    std::vector<PackagedFile> files = package.Files();
    // Many small files keep the start-up window up for a while; it paints
    // between them.
    for (int i = 0; i < 400; ++i)
        files.push_back({"EXTRA" + std::to_string(i) + ".TTF", BinaryBody(1024, 100 + i)});
    ASSERT_TRUE(Launch(files));

    std::string startup =
        driver().WaitWindow(run_->windows_pid(), kStartupCaption, kLaunchTimeoutMs);
    // Pictures of the start-up window while it stays up; the last one taken
    // with the window up both before and after is kept.
    while (!startup.empty() && StillVisible(startup)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let it paint
        Screenshot(*session_, kStartupCaption, "startup-next");
        const std::string dir = E2E_SCREENSHOT_DIR;
        if (StillVisible(startup))
            ::rename((dir + "/startup-next.png").c_str(), (dir + "/startup.png").c_str());
        else
            ::unlink((dir + "/startup-next.png").c_str());
    }

    // Welcome page.
    std::string welcome = WaitPage(kWelcomeMarker, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty());
    std::vector<Control> controls = driver().Controls(welcome);
    ASSERT_NE(FindByClass(controls, "Edit"), nullptr);
    const std::string readme_before = FindByClass(controls, "Edit")->text;
    EXPECT_EQ(readme_before, package.readme);
    EXPECT_EQ(FocusText(welcome), "About");
    const Control* back = FindControl(controls, "<&Back");
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->enabled);
    ExpectPageFrame(controls, 4290, welcome);
    Screenshot(*session_, kWelcomeCaption, "welcome");

    // License page: the text once, the focus on "I Agree", the refusal.
    std::string license = Go(welcome, "&Next", kLicenseMarker);
    ASSERT_FALSE(license.empty());
    controls = driver().Controls(license);
    const Control* text = FindByClass(controls, "Edit");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->visible);
    EXPECT_EQ(text->text, "License line one.\r\nLicense line two.\r\n");
    EXPECT_EQ(FocusText(license), "I Agree");
    const Control* license_back = FindControl(controls, "<&Back");
    ASSERT_NE(license_back, nullptr);
    EXPECT_TRUE(license_back->enabled);
    ExpectPageFrame(controls, 4260, license);
    ExpectRect(FindControl(controls, kLicenseMarker), "lblWelcome", 2040, 240, 0, 0);
    ExpectRect(FindControl(controls, "Please click Next to continue."), "Label1", 2040, 3240, 0, 0);
    ExpectRect(FindControl(controls, "I Agree"), "chkLicense", 2040, 2880, 2175, 255);
    ExpectRect(FindControl(controls, "&Next"), "cmdNext", 4800, 3720, 975, 375);
    ExpectRect(text, "txtLicense", 2040, 600, 3735, 2175);
    Screenshot(*session_, kWelcomeCaption, "license");

    Press(license, "&Next");
    std::string box = ExpectMessageBox(kApplicationTitle, kRefusal, {"OK"}, false);
    ASSERT_FALSE(box.empty());
    Screenshot(*session_, kApplicationTitle, "license-refusal");
    Answer(box, "OK");
    // Enter on the acceptance box means Next: the same refusal.
    Key(license, "enter");
    box = ExpectMessageBox(kApplicationTitle, kRefusal, {"OK"}, false);
    ASSERT_FALSE(box.empty());
    Answer(box, "OK");
    EXPECT_TRUE(WaitChecked(license, "I Agree", false)) << "the refusal changed the box";
    AskAndStay(license, "escape");

    // Agree, go back and forward: the same windows, the box still ticked,
    // neither text loaded twice.
    SetCheck(license, "I Agree", true);
    std::string welcome_again = Go(license, "<&Back", kWelcomeMarker);
    EXPECT_EQ(welcome_again, welcome) << "the welcome page was made anew";
    EXPECT_EQ(FindByClass(driver().Controls(welcome), "Edit")->text, readme_before);
    std::string license_again = Go(welcome, "&Next", kLicenseMarker);
    EXPECT_EQ(license_again, license) << "the license page was made anew";
    controls = driver().Controls(license);
    EXPECT_TRUE(FindControl(controls, "I Agree")->checked);
    EXPECT_EQ(FindByClass(controls, "Edit")->text, "License line one.\r\nLicense line two.\r\n");

    // Options page: everything offered, the link title trimmed.
    std::string options = Go(license, "&Next", kOptionsMarker);
    ASSERT_FALSE(options.empty());
    controls = driver().Controls(options);
    EXPECT_EQ(FocusText(options), "I&nstall");
    ExpectPageFrame(controls, 4260, options);
    ExpectRect(FindControl(controls, kOptionsMarker), "lblWelcome", 2040, 240, 0, 0);
    ExpectRect(FindControl(controls, "Please click Install to finish."), "Label1", 2040, 3240, 0,
               0);
    ExpectRect(FindControl(controls, "I&nstall"), "cmdNext", 4800, 3720, 975, 375);
    ExpectRect(FindControl(controls, "Options"), "fraOptions", 2040, 840, 3495, 1935);
    ExpectRect(FindControl(controls, "Copy &Readme to Desktop"), "chkCopy", 2160, 1080, 2535, 255);
    ExpectRect(FindControl(controls, "Shortcut to Sample Sans Home"), "fraLink", 2160, 1560, 3255,
               975);
    ExpectRect(FindControl(controls, "Make &shortcut on desktop"), "chkDesktopURL", 2280, 1800,
               2535, 255);
    ExpectRect(FindControl(controls, "&Add to Favorites"), "chkFav", 2280, 2160, 2415, 255);
    for (const char* caption :
         {"Options", "Copy &Readme to Desktop", "Shortcut to Sample Sans Home",
          "Make &shortcut on desktop", "&Add to Favorites"}) {
        const Control* c = FindControl(controls, caption);
        EXPECT_TRUE(c && c->visible) << caption << " is not shown";
    }
    Screenshot(*session_, kWelcomeCaption, "options");

    SetCheck(options, "Copy &Readme to Desktop", true);
    SetCheck(options, "&Add to Favorites", true);
    EXPECT_EQ(Go(options, "<&Back", kLicenseMarker), license);
    EXPECT_EQ(Go(license, "&Next", kOptionsMarker), options) << "the options page was made anew";
    controls = driver().Controls(options);
    EXPECT_TRUE(FindControl(controls, "Copy &Readme to Desktop")->checked);
    EXPECT_TRUE(FindControl(controls, "&Add to Favorites")->checked);
    EXPECT_FALSE(FindControl(controls, "Make &shortcut on desktop")->checked);
    EXPECT_EQ(CountWindows(kWelcomeCaption), 3) << "one window for each page";

    AskAndStay(options, "escape");
    AskAndStay(options, "close");
    AskAndStay(options, "cancel");
    Screenshot(*session_, kWelcomeCaption, "options-ticked");
    AskAndLeave(options, "cancel", files);
}

// No license: the license page is never made, going forward or back; a
// package without a web address gets no web link options.
TEST_F(WizardTest, WithoutLicenseTheLicensePageIsSkippedBothWays) {
    TypicalPackage package = PackageWith("README.TXT", "NOLICENSE", "");
    const std::vector<PackagedFile> files = FilesOf(package);
    ASSERT_TRUE(Launch(files));
    std::string welcome = WaitPage(kWelcomeMarker, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty());
    AskAndStay(welcome, "close");

    std::string options = Go(welcome, "&Next", kOptionsMarker);
    ASSERT_FALSE(options.empty());
    std::vector<Control> controls = driver().Controls(options);
    EXPECT_TRUE(FindControl(controls, "Options")->visible);
    EXPECT_TRUE(FindControl(controls, "Copy &Readme to Desktop")->visible);
    for (const char* caption : {"Web Link", "Make &shortcut on desktop", "&Add to Favorites"}) {
        const Control* c = FindControl(controls, caption);
        EXPECT_TRUE(c && !c->visible) << caption << " is shown without a web address";
    }
    Screenshot(*session_, kWelcomeCaption, "options-readme-only");
    SetCheck(options, "Copy &Readme to Desktop", true);

    EXPECT_EQ(Go(options, "<&Back", kWelcomeMarker), welcome);
    EXPECT_EQ(Go(welcome, "&Next", kOptionsMarker), options);
    EXPECT_TRUE(FindControl(driver().Controls(options), "Copy &Readme to Desktop")->checked);
    EXPECT_EQ(CountWindows(kWelcomeCaption), 2) << "the license page was made";

    AskAndStay(options, "close");
    AskAndLeave(options, "close", files);
}

// The About box: opened beside the welcome page, shown again rather than
// made twice, destroyed by OK and by its close box, left open across Next.
// The package has neither readme nor web address, so the options page
// offers nothing; Enter there starts the install run.
TEST_F(WizardTest, AboutBoxLivesBesideTheWizardAndEnterInstalls) {
    TypicalPackage package = PackageWith("NOREADME", "LICENSE.TXT", "");
    const std::vector<PackagedFile> files = FilesOf(package);
    ASSERT_TRUE(Launch(files));
    std::string welcome = WaitPage(kWelcomeMarker, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty());

    // The focus starts on About, so Enter opens the box.
    Key(welcome, "enter");
    std::string about = WaitWindow(kAboutCaption);
    ASSERT_FALSE(about.empty());
    std::vector<Control> controls = driver().Controls(about);
    int width = 0, height = 0;
    ASSERT_TRUE(driver().ClientSize(about, width, height));
    EXPECT_EQ(width, Px(3105));
    EXPECT_EQ(height, Px(4305));
    ExpectRect(FindControl(controls, KV_VERSION_CAPTION), "lblVersion", 240, 3000, 2295, 255);
    ExpectRect(FindControl(controls, "www.kervale.example"), "lblVelmarin", 480, 2160, 0, 0);
    ExpectRect(FindControl(controls, "help@kervale.example"), "Label1", 480, 2520, 0, 0);
    ExpectRect(FindControl(controls, "OK"), "cmdOK", 960, 3600, 975, 375);
    const Control* text = FindByClass(controls, "Static", 1);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(text->text.find("free of charge"), std::string::npos) << text->text;
    ExpectRect(text, "lblAbout", 120, 120, 2775, 1935);
    EXPECT_EQ(FocusText(about), "OK");
    Screenshot(*session_, kAboutCaption, "about");

    // A second About click shows the same box.
    Press(welcome, "About");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(WaitWindow(kAboutCaption), about);
    EXPECT_EQ(CountWindows(kAboutCaption), 1);

    // OK destroys it; the next About makes a new one; its close box destroys
    // that one without a question.
    Press(about, "OK");
    EXPECT_TRUE(driver().WaitHidden(about, kStepTimeoutMs));
    for (int i = 0; i < 100 && CountWindows(kAboutCaption) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(CountWindows(kAboutCaption), 0) << "OK did not destroy the About box";
    Press(welcome, "About");
    about = WaitWindow(kAboutCaption);
    ASSERT_FALSE(about.empty());
    EXPECT_FALSE(driver().FindByText(about, KV_VERSION_CAPTION).empty());
    ASSERT_TRUE(driver().Close(about));
    EXPECT_TRUE(driver().WaitHidden(about, kStepTimeoutMs));
    for (int i = 0; i < 100 && CountWindows(kAboutCaption) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(CountWindows(kAboutCaption), 0) << "the close box did not destroy the About box";
    for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
        EXPECT_FALSE(w.visible && w.class_name == "#32770")
            << "closing the About box asked " << w.title;

    // Open across Next, and still there on the license and options pages.
    Press(welcome, "About");
    about = WaitWindow(kAboutCaption);
    std::string license = Go(welcome, "&Next", kLicenseMarker);
    ASSERT_FALSE(license.empty());
    SetCheck(license, "I Agree", true);
    std::string options = Go(license, "&Next", kOptionsMarker);
    ASSERT_FALSE(options.empty());
    EXPECT_EQ(WaitWindow(kAboutCaption), about) << "the About box went with the page change";

    // Neither readme nor web address: no options at all.
    controls = driver().Controls(options);
    for (const Control& c : controls)
        if (IsClass(c, "Button") && c.text != "I&nstall" && c.text != "<&Back" &&
            c.text != "&Cancel")
            EXPECT_FALSE(c.visible) << c.text << " is shown for a package with nothing to offer";
    Screenshot(*session_, kWelcomeCaption, "options-nothing");
    AskAndStay(options, "escape");

    // Enter: Install has the focus. Whatever the run reports, the page goes
    // and the program ends once the message is answered.
    EXPECT_EQ(FocusText(options), "I&nstall");
    Key(options, "enter");
    EXPECT_TRUE(driver().WaitHidden(options, kStepTimeoutMs)) << "Install left the options page up";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndTimeoutMs);
    while (run_->Running() && std::chrono::steady_clock::now() < deadline) {
        for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
            if (w.visible && w.class_name == "#32770") driver().Answer(w.hwnd, "OK");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ExpectEnds();
}

// No readme, but a web address: the readme option is hidden, the web link
// offered. A Favorites shortcut that cannot be written (the folder is
// missing) ends the run with the installing window still up behind the
// message.
TEST_F(WizardTest, WebLinkWithoutReadmeAndTheInstallingWindow) {
    TypicalPackage package = PackageWith("NOREADME", "NOLICENSE", "http://www.example.com/x");
    package.descriptor.link_name = "";
    std::vector<PackagedFile> files = FilesOf(package);
    // Many fonts keep the installing window up alone for a moment.
    for (int i = 0; i < 300; ++i)
        files.push_back({"FONT" + std::to_string(i) + ".TTF", BinaryBody(512, 500 + i)});
    RemoveTree(session_->FavoritesDir());  // the guard puts it back
    ASSERT_TRUE(Launch(files));
    std::string welcome = WaitPage(kWelcomeMarker, kLaunchTimeoutMs);
    ASSERT_FALSE(welcome.empty());
    std::string options = Go(welcome, "&Next", kOptionsMarker);
    ASSERT_FALSE(options.empty());
    std::vector<Control> controls = driver().Controls(options);
    EXPECT_TRUE(FindControl(controls, "Options")->visible);
    EXPECT_FALSE(FindControl(controls, "Copy &Readme to Desktop")->visible);
    const Control* link = FindControl(controls, "Shortcut to ");  // an empty title keeps the blank
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->visible);
    EXPECT_TRUE(FindControl(controls, "&Add to Favorites")->visible);
    EXPECT_TRUE(FindControl(controls, "Make &shortcut on desktop")->visible);
    Screenshot(*session_, kWelcomeCaption, "options-link-only");

    SetCheck(options, "&Add to Favorites", true);
    Press(options, "I&nstall");
    EXPECT_TRUE(driver().WaitHidden(options, kStepTimeoutMs));
    std::string installing =
        driver().WaitWindow(run_->windows_pid(), kInstallingCaption, kStepTimeoutMs);
    EXPECT_FALSE(installing.empty()) << "no installing window during the run";
    if (!installing.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let it paint
        Screenshot(*session_, kInstallingCaption, "installing");
    }
    std::string box = ExpectMessageBox(
        "Error", "The font was installed, but the Web shortcut could not be created.", {"OK"},
        false);
    EXPECT_EQ(driver().WaitWindow(run_->windows_pid(), kInstallingCaption, 1000), installing)
        << "the installing window is not up behind the message";
    if (!installing.empty()) {
        int width = 0, height = 0;
        ASSERT_TRUE(driver().ClientSize(installing, width, height));
        EXPECT_EQ(width, Px(4680));
        EXPECT_EQ(height, Px(2175));
        controls = driver().Controls(installing);
        ExpectRect(FindControl(controls, "Please Wait while Kervale installs the font..."),
                   "lblInstalling", 240, 600, 4215, 855);
    }
    if (!box.empty()) Answer(box, "OK");
    ExpectEnds();
}

}  // namespace
}  // namespace e2e
