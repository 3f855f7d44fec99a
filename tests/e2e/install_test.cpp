// The install run of the real installer, checked from Linux file by file and
// byte by byte: the fonts in the Fonts folder, the readme copy and the web
// shortcuts on the Desktop and in Favorites, the one outcome message, the
// installing window, the end of the program and what the clean-up leaves in
// Temp. One launch per test, many checks per launch.
#include <algorithm>
#include <memory>

#include "installer_test.h"
#include "wine_harness/piped_program.h"
#include "wine_harness/wizard_walk.h"

namespace e2e {
namespace {

constexpr const char kUnlistedName[] = "UNLISTED.TXT";
constexpr const char kUnlistedBody[] = "not from the package\r\n";

// The extras ticked: {readme copy, Favorites shortcut, desktop shortcut}.
constexpr Extras kNoExtras{};
constexpr Extras kDesktopShortcut{false, false, true};
constexpr Extras kBothShortcuts{false, true, true};
constexpr Extras kReadmeAndDesktopShortcut{true, false, true};
constexpr Extras kAllThree{true, true, true};

// The shortcut file as it must be, spelled out here rather than taken from
// the installer's own code.
std::string ShortcutFile(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Holds a file of the prefix open with no sharing, from a second Windows
// process, until it is destroyed: the way the system keeps an installed font
// in use.
class FileLock {
public:
    ~FileLock() { Release(); }

    bool Lock(WineSession& session, const std::string& windows_path, std::string& why) {
        std::string tool;
        if (!ReadWholeFile(std::string(KERVALE_WIN32_DIR) + "/tools/driver/e2e-lockfile.exe",
                           tool)) {
            why = "e2e-lockfile.exe is missing (run scripts/build.sh)";
            return false;
        }
        WriteWholeFile(session.DriveC() + "/e2e/e2e-lockfile.exe", tool);
        if (!holder_.Start(session, {"wine", "C:\\e2e\\e2e-lockfile.exe", windows_path},
                           session.work_dir() + "/logs/lockfile.log", why))
            return false;
        std::string answer;
        if (!holder_.ReadLine(answer, kLaunchTimeoutMs) || answer.rfind("locked", 0) != 0) {
            why = "e2e-lockfile could not lock " + windows_path + ": " + answer;
            return false;
        }
        return true;
    }

    // Ends the holder: it closes the file when its input ends.
    void Release() { holder_.Stop(kStepTimeoutMs); }

private:
    PipedProgram holder_;
};

class InstallRunTest : public InstallerTest {
protected:
    void SetUp() override {
        InstallerTest::SetUp();
        if (HasFatalFailure()) return;
        walk_ = std::make_unique<WizardWalk>(driver(), *run_);
        ASSERT_TRUE(WriteWholeFile(TempPath(kUnlistedName), kUnlistedBody));
    }

    void TearDown() override {
        walk_.reset();
        InstallerTest::TearDown();
    }

    std::string Desktop(const std::string& name) const {
        return session_->DesktopDir() + "/" + name;
    }
    std::string Favorites(const std::string& name) const {
        return session_->FavoritesDir() + "/" + name;
    }
    std::string Fonts(const std::string& name) const { return session_->FontsDir() + "/" + name; }

    // Both folders the extras write to; a new prefix has neither (the
    // guards remove them again).
    void MakeDesktopAndFavorites() {
        MakeFolders(session_->DesktopDir());
        MakeFolders(session_->FavoritesDir());
    }

    // Launches the package and walks to the options page.
    std::string OpenOptions(const std::vector<PackagedFile>& files, bool has_license) {
        if (!Launch(files)) return std::string();
        std::string options = walk_->ToOptionsPage(has_license);
        EXPECT_FALSE(options.empty()) << walk_->error();
        return options;
    }

    // Ticks the extras, presses Install and expects exactly this outcome
    // message: OK only, no icon. Returns the box, empty on failure.
    std::string InstallExpecting(const std::string& options, const Extras& extras,
                                 const std::string& title, const std::string& text) {
        if (!walk_->Install(options, extras)) {
            ADD_FAILURE() << walk_->error();
            return std::string();
        }
        std::string box = ExpectMessageBox(title, text, {"OK"}, /*stop_icon=*/false);
        if (!box.empty()) {
            // Nothing of the wizard comes back, and the box is the only one.
            EXPECT_NE(walk_->StateOf(kWelcomeCaption), WindowState::Visible)
                << "a wizard page is up";
            int boxes = 0;
            for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
                boxes += w.visible && w.class_name == "#32770";
            EXPECT_EQ(boxes, 1) << "the run shows exactly one message";
        }
        return box;
    }

    // The installing window behind the box: shown by the run, with its text.
    void ExpectInstallingWindow(WindowState expected) {
        EXPECT_EQ(walk_->StateOf(kInstallingCaption), expected)
            << "installing window: 0 missing, 1 hidden, 2 shown";
        for (const WindowInfo& w : driver().Windows(run_->windows_pid()))
            if (w.title == kInstallingCaption && w.class_name != "#32770")
                EXPECT_NE(FindControl(driver().Controls(w.hwnd), kInstallingText), nullptr);
    }

    // OK ends the program.
    void Finish(const std::string& box) {
        if (box.empty()) return;
        Answer(box, "OK");
        ExpectEnds();
    }

    void ExpectFile(const std::string& path, const std::string& expected) {
        std::string content;
        ASSERT_TRUE(ReadWholeFile(path, content)) << path << " is missing";
        EXPECT_EQ(content.size(), expected.size()) << path;
        EXPECT_TRUE(content == expected) << path << " differs";
    }

    // The clean-up deleted every listed file but the readme, and left the
    // readme and the unlisted file as they were.
    void ExpectCleanedUp(const std::vector<PackagedFile>& files, const std::string& readme) {
        for (const PackagedFile& file : files) {
            if (file.name == readme)
                ExpectFile(TempPath(file.name), file.body);
            else
                EXPECT_FALSE(PathExists(TempPath(file.name))) << file.name << " was left in Temp";
        }
        ExpectFile(TempPath(kUnlistedName), kUnlistedBody);
    }

    std::unique_ptr<WizardWalk> walk_;
};

// The road of a typical run: readme, license, one font; "I Agree"; the
// desktop shortcut; Install.
TEST_F(InstallRunTest, TypicalRunInstallsTheFontAndTheDesktopShortcut) {
    TypicalPackage package;
    const std::vector<PackagedFile> files = package.Files();
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, /*has_license=*/true);
    ASSERT_FALSE(options.empty());

    const std::string box =
        InstallExpecting(options, kDesktopShortcut, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectInstallingWindow(WindowState::Hidden);
    // Everything is in place before the user is told so.
    ExpectFile(Fonts(package.font_file), package.font);
    const std::string url_file = package.descriptor.link_name + ".url";
    ExpectFile(Desktop(url_file), ShortcutFile(package.descriptor.web_url));
    EXPECT_EQ(FileSize(Desktop(url_file)),
              26 + static_cast<int64_t>(package.descriptor.web_url.size()));
    EXPECT_EQ(desktop_guard_->AddedFiles(), std::vector<std::string>{url_file});
    EXPECT_TRUE(favorites_guard_->AddedFiles().empty()) << "a Favorites shortcut nobody asked for";
    EXPECT_EQ(fonts_guard_->AddedFiles(), std::vector<std::string>{package.font_file});

    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
    ExpectFile(Fonts(package.font_file), package.font);
    ExpectFile(Desktop(url_file), ShortcutFile(package.descriptor.web_url));
}

// All three extras, two fonts; a web address without a scheme, whose
// shortcuts point at it as the welcome page opens it, with characters that
// must not be quoted or escaped; a readme whose bytes a text copy would
// change; a packaged desktop.ini, which is no font and must not replace the
// Fonts folder's own.
TEST_F(InstallRunTest, AllThreeOptionsCopyTheReadmeAndWriteBothShortcuts) {
    TypicalPackage package;
    package.descriptor.web_url = "www.example.com/a?x=1&y=%20#top";
    const std::string opened = "http://" + package.descriptor.web_url;
    package.readme = "Sample Sans\r\nbare line feed\nlone return\rbyte \xE9\xFF\r\n";
    std::vector<PackagedFile> files = package.Files();
    const PackagedFile bold{"SAMPLEB.TTF", BinaryBody(50000, 2)};
    const PackagedFile not_a_font{"desktop.ini", "[.ShellClassInfo]\r\nCLSID={0}\r\n"};
    files.push_back(bold);
    files.push_back(not_a_font);
    const std::string fonts_own = "[.ShellClassInfo]\r\nCLSID={BD84B380-8CA2-1069-AB1D}\r\n";
    ASSERT_TRUE(WriteWholeFile(Fonts(not_a_font.name), fonts_own));
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());

    const std::string box = InstallExpecting(options, kAllThree, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectInstallingWindow(WindowState::Hidden);
    const std::string url_file = package.descriptor.link_name + ".url";
    ExpectFile(Desktop(package.descriptor.readme), package.readme);
    ExpectFile(Desktop(url_file), ShortcutFile(opened));
    ExpectFile(Favorites(url_file), ShortcutFile(opened));
    ExpectFile(Fonts(package.font_file), package.font);
    ExpectFile(Fonts(bold.name), bold.body);
    ExpectFile(Fonts(not_a_font.name), fonts_own);
    EXPECT_EQ(Sorted(desktop_guard_->AddedFiles()), Sorted({package.descriptor.readme, url_file}));
    EXPECT_EQ(favorites_guard_->AddedFiles(), std::vector<std::string>{url_file});
    // The Fonts folder's desktop.ini is the test's own, unchanged.
    EXPECT_EQ(Sorted(fonts_guard_->AddedFiles()),
              Sorted({package.font_file, bold.name, not_a_font.name}));

    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
    ExpectFile(Desktop(package.descriptor.readme), package.readme);  // the clean-up keeps the copy
    ExpectFile(Fonts(not_a_font.name), fonts_own);
}

TEST_F(InstallRunTest, NoOptionTickedCopiesOnlyTheFonts) {
    TypicalPackage package;
    const std::vector<PackagedFile> files = package.Files();
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());
    for (const char* caption : {kCopyReadmeCaption, kFavoritesCaption, kDesktopUrlCaption}) {
        const Control* box = FindControl(driver().Controls(options), caption);
        ASSERT_NE(box, nullptr) << caption;
        EXPECT_TRUE(box->visible && !box->checked) << caption << " should be offered, unticked";
    }

    const std::string box = InstallExpecting(options, kNoExtras, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectFile(Fonts(package.font_file), package.font);
    EXPECT_EQ(fonts_guard_->AddedFiles(), std::vector<std::string>{package.font_file});
    EXPECT_TRUE(desktop_guard_->AddedFiles().empty());
    EXPECT_TRUE(favorites_guard_->AddedFiles().empty());
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
}

// Neither readme, license nor web address: the page offers nothing, Install
// copies the fonts, and the clean-up deletes every listed file.
TEST_F(InstallRunTest, PackageWithNothingToOfferInstallsItsFontsAndLeavesNoListedFile) {
    TypicalPackage package;
    package.descriptor.readme = "NOREADME";
    package.descriptor.license = "NOLICENSE";
    package.descriptor.web_url = "";
    std::vector<PackagedFile> files = package.Files();
    const PackagedFile second{"SECOND.TTF", BinaryBody(30000, 3)};
    files.push_back(second);
    const std::string options = OpenOptions(files, /*has_license=*/false);
    ASSERT_FALSE(options.empty());
    const Control* frame = FindControl(driver().Controls(options), "Options");
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->visible);

    const std::string box = InstallExpecting(options, kNoExtras, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectFile(Fonts(package.font_file), package.font);
    ExpectFile(Fonts(second.name), second.body);
    EXPECT_EQ(Sorted(fonts_guard_->AddedFiles()), Sorted({package.font_file, second.name}));
    Finish(box);
    ExpectCleanedUp(files, /*readme=*/"");
    EXPECT_FALSE(IsDirectory(session_->DesktopDir())) << "the installer created the Desktop folder";
    EXPECT_FALSE(IsDirectory(session_->FavoritesDir()))
        << "the installer created the Favorites folder";
}

TEST_F(InstallRunTest, PackageWithoutFontsSucceedsWithNothingCopied) {
    TypicalPackage package;
    std::vector<PackagedFile> files = package.Files();
    files.pop_back();  // descriptor, readme and license only
    const std::vector<std::string> fonts_before = ListFolder(session_->FontsDir());
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());

    const std::string box =
        InstallExpecting(options, kDesktopShortcut, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectInstallingWindow(WindowState::Hidden);
    EXPECT_EQ(ListFolder(session_->FontsDir()), fonts_before);
    ExpectFile(Desktop(package.descriptor.link_name + ".url"),
               ShortcutFile(package.descriptor.web_url));
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
    EXPECT_EQ(ListFolder(session_->FontsDir()), fonts_before);
}

// The second of three fonts is in use in the Fonts folder: the first stays
// copied, the third is not attempted, the extras made before stay, and the
// font error is shown with the installing window still up behind it.
TEST_F(InstallRunTest, FontInUseStopsTheCopyWithTheFontError) {
    TypicalPackage package;
    std::vector<PackagedFile> files = package.Files();
    const PackagedFile second{"SECOND.TTF", BinaryBody(40000, 4)};
    const PackagedFile third{"THIRD.TTF", BinaryBody(20000, 5)};
    files.push_back(second);
    files.push_back(third);
    const std::string installed = "the font installed before\r\n";
    ASSERT_TRUE(WriteWholeFile(Fonts(second.name), installed));
    FileLock lock;
    std::string why;
    ASSERT_TRUE(lock.Lock(*session_, "C:\\windows\\Fonts\\" + second.name, why)) << why;
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());

    const std::string box =
        InstallExpecting(options, kReadmeAndDesktopShortcut, kApplicationTitle, kFontErrorText);
    ASSERT_FALSE(box.empty());
    ExpectInstallingWindow(WindowState::Visible);
    ExpectFile(Fonts(package.font_file), package.font);
    ExpectFile(Fonts(second.name), installed);
    EXPECT_FALSE(PathExists(Fonts(third.name))) << "the copy went on after the failure";
    ExpectFile(Desktop(package.descriptor.readme), package.readme);
    ExpectFile(Desktop(package.descriptor.link_name + ".url"),
               ShortcutFile(package.descriptor.web_url));
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
    lock.Release();
    ExpectFile(Fonts(second.name), installed);
}

// A Favorites shortcut that cannot be made: the fonts are still copied (so
// the message is true), the desktop shortcut is not attempted.
TEST_F(InstallRunTest, MissingFavoritesFolderGivesTheShortcutErrorAfterTheFonts) {
    TypicalPackage package;
    const std::vector<PackagedFile> files = package.Files();
    MakeFolders(session_->DesktopDir());
    ASSERT_FALSE(IsDirectory(session_->FavoritesDir()));
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());

    const std::string box =
        InstallExpecting(options, kAllThree, kShortcutErrorTitle, kShortcutErrorText);
    ASSERT_FALSE(box.empty());
    ExpectInstallingWindow(WindowState::Visible);
    ExpectFile(Fonts(package.font_file), package.font);
    ExpectFile(Desktop(package.descriptor.readme), package.readme);
    EXPECT_EQ(desktop_guard_->AddedFiles(), std::vector<std::string>{package.descriptor.readme})
        << "the desktop shortcut was attempted after the Favorites one failed";
    Finish(box);
    EXPECT_FALSE(IsDirectory(session_->FavoritesDir()))
        << "the installer created the Favorites folder";
    ExpectCleanedUp(files, package.descriptor.readme);
}

// An earlier install left longer files of the same names everywhere: each
// is replaced whole, nothing of the old tail stays.
TEST_F(InstallRunTest, OlderLongerCopiesAreReplacedWhole) {
    TypicalPackage package;
    const std::vector<PackagedFile> files = package.Files();
    MakeDesktopAndFavorites();
    const std::string url_file = package.descriptor.link_name + ".url";
    const std::string old_shortcut =
        "[InternetShortcut]\r\nURL=http://old.example.com/a/much/longer/address/than/"
        "today\r\nIconIndex=1\r\n";
    ASSERT_TRUE(
        WriteWholeFile(Desktop(package.descriptor.readme), std::string(5000, 'o') + "\r\n"));
    ASSERT_TRUE(WriteWholeFile(Desktop(url_file), old_shortcut));
    ASSERT_TRUE(WriteWholeFile(Favorites(url_file), old_shortcut));
    ASSERT_TRUE(WriteWholeFile(Fonts(package.font_file), BinaryBody(package.font.size() * 2, 9)));
    const std::vector<std::string> desktop_before = ListFolder(session_->DesktopDir());
    const std::vector<std::string> favorites_before = ListFolder(session_->FavoritesDir());
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());

    const std::string box = InstallExpecting(options, kAllThree, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectFile(Desktop(package.descriptor.readme), package.readme);
    ExpectFile(Desktop(url_file), ShortcutFile(package.descriptor.web_url));
    ExpectFile(Favorites(url_file), ShortcutFile(package.descriptor.web_url));
    ExpectFile(Fonts(package.font_file), package.font);
    EXPECT_EQ(ListFolder(session_->DesktopDir()), desktop_before);
    EXPECT_EQ(ListFolder(session_->FavoritesDir()), favorites_before);
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
}

// The title goes into the file name as stored, blanks and all (only the
// page's caption is trimmed); a 30-character address gives 56 bytes.
TEST_F(InstallRunTest, LinkTitleKeepsItsBlanksInTheFileName) {
    TypicalPackage package;
    package.descriptor.link_name = "  Sample Home  ";
    package.descriptor.web_url = "http://www.example.com/abcdefg";
    ASSERT_EQ(package.descriptor.web_url.size(), 30u);
    const std::vector<PackagedFile> files = package.Files();
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());
    EXPECT_NE(FindControl(driver().Controls(options), "Shortcut to Sample Home"), nullptr);

    const std::string box =
        InstallExpecting(options, kBothShortcuts, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    const std::string url_file = "  Sample Home  .url";
    ExpectFile(Desktop(url_file), ShortcutFile(package.descriptor.web_url));
    ExpectFile(Favorites(url_file), ShortcutFile(package.descriptor.web_url));
    EXPECT_EQ(FileSize(Desktop(url_file)), 56);
    EXPECT_EQ(FileSize(Favorites(url_file)), 56);
    EXPECT_EQ(desktop_guard_->AddedFiles(), std::vector<std::string>{url_file});
    EXPECT_EQ(favorites_guard_->AddedFiles(), std::vector<std::string>{url_file});
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
}

TEST_F(InstallRunTest, EmptyLinkTitleGivesAFileNamedDotUrl) {
    TypicalPackage package;
    package.descriptor.link_name = "";
    const std::vector<PackagedFile> files = package.Files();
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());
    EXPECT_NE(FindControl(driver().Controls(options), "Shortcut to "), nullptr);

    const std::string box =
        InstallExpecting(options, kBothShortcuts, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectFile(Desktop(".url"), ShortcutFile(package.descriptor.web_url));
    ExpectFile(Favorites(".url"), ShortcutFile(package.descriptor.web_url));
    EXPECT_EQ(desktop_guard_->AddedFiles(), std::vector<std::string>{".url"});
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
}

// A title that is no file name must not become a path: "..\" in it would put
// the shortcut in another folder. The writer fails, nothing is written, and
// the fonts are installed all the same.
TEST_F(InstallRunTest, LinkTitleThatIsNoFileNameWritesNoShortcut) {
    TypicalPackage package;
    package.descriptor.link_name = "..\\Temp\\Sample";
    const std::vector<PackagedFile> files = package.Files();
    MakeDesktopAndFavorites();
    const std::vector<std::string> windows_before = ListFolder(session_->WindowsDir());
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());

    const std::string box =
        InstallExpecting(options, kDesktopShortcut, kShortcutErrorTitle, kShortcutErrorText);
    ASSERT_FALSE(box.empty());
    ExpectInstallingWindow(WindowState::Visible);
    ExpectFile(Fonts(package.font_file), package.font);
    EXPECT_TRUE(desktop_guard_->AddedFiles().empty());
    EXPECT_FALSE(PathExists(TempPath("Sample.url")))
        << "the title led the shortcut out of the Desktop";
    EXPECT_EQ(ListFolder(session_->WindowsDir()), windows_before);
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
}

// A line break in the address would give the shortcut file lines of the
// package's choosing (an IconFile= key, say): the welcome page would not
// open such an address, so the options page offers no shortcut to it, and
// the run writes none.
TEST_F(InstallRunTest, AddressWithALineBreakGetsNoShortcut) {
    TypicalPackage package;
    package.descriptor.web_url = "http://www.example.com/\r\nIconFile=\\\\host\\share\\x.ico";
    const std::vector<PackagedFile> files = package.Files();
    MakeDesktopAndFavorites();
    const std::string options = OpenOptions(files, true);
    ASSERT_FALSE(options.empty());
    const std::vector<Control> controls = driver().Controls(options);
    for (const char* caption : {kFavoritesCaption, kDesktopUrlCaption}) {
        const Control* box = FindControl(controls, caption);
        EXPECT_TRUE(box && !box->visible) << caption << " is offered";
    }

    const std::string box = InstallExpecting(options, kNoExtras, kApplicationTitle, kSuccessText);
    ASSERT_FALSE(box.empty());
    ExpectFile(Fonts(package.font_file), package.font);
    EXPECT_TRUE(desktop_guard_->AddedFiles().empty()) << "a shortcut was written";
    EXPECT_TRUE(favorites_guard_->AddedFiles().empty()) << "a shortcut was written";
    Finish(box);
    ExpectCleanedUp(files, package.descriptor.readme);
}

}  // namespace
}  // namespace e2e
