#include "installer_test.h"

#include <algorithm>
#include <cctype>

namespace e2e {
namespace {

DriverClient* g_driver = nullptr;

// A Windows file name made from the running test's name.
std::string ExeNameForTest() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string raw = info ? std::string(info->test_suite_name()) + "_" + info->name() : "e2e";
    std::string name;
    for (char c : raw) name += (isalnum(static_cast<unsigned char>(c)) ? c : '_');
    if (name.size() > 60) name.resize(60);
    return name + ".exe";
}

}  // namespace

DriverClient& InstallerTest::driver() {
    if (!g_driver) g_driver = new DriverClient();
    return *g_driver;
}

void InstallerTest::SetUp() {
    session_ = WineSession::Get();
    ASSERT_NE(session_, nullptr) << "the Wine session could not be set up: "
                                 << WineSession::SetUpError();
    stub_ = StubBytes();
    ASSERT_FALSE(stub_.empty()) << "missing " << KERVALE_WIN32_DIR << "/kervale-stub.exe";
    if (!driver().running() || !driver().Request({"ping"}, 30000).ok) {
        driver().Stop();
        std::string why;
        ASSERT_TRUE(driver().Start(*session_, why)) << why;
    }
    temp_guard_ = std::make_unique<FolderGuard>(session_->TempDir());
    fonts_guard_ = std::make_unique<FolderGuard>(session_->FontsDir());
    desktop_guard_ = std::make_unique<FolderGuard>(session_->DesktopDir());
    favorites_guard_ = std::make_unique<FolderGuard>(session_->FavoritesDir());
    run_ = std::make_unique<InstallerRun>(*session_, driver());
}

void InstallerTest::TearDown() {
    if (run_ && run_->Running()) {
        ADD_FAILURE() << "the installer was still running at the end of the test; killed";
        run_->Kill();
    }
    run_.reset();
    // The installer is gone; now the folders can be put back.
    temp_guard_.reset();
    fonts_guard_.reset();
    desktop_guard_.reset();
    favorites_guard_.reset();
}

bool InstallerTest::Launch(const std::vector<PackagedFile>& files) {
    return LaunchPackage(BuildPackage(stub_, files));
}

bool InstallerTest::LaunchPackage(const std::string& package) {
    return LaunchPackageAs(package, std::string(), ExeNameForTest());
}

bool InstallerTest::LaunchPackageAs(const std::string& package, const std::string& folder,
                                    const std::string& exe_name) {
    std::string why;
    bool ok = run_->Launch(exe_name, package, why, folder);
    EXPECT_TRUE(ok) << why;
    return ok;
}

std::string InstallerTest::WaitWindow(const std::string& title, int timeout_ms) {
    std::string hwnd = driver().WaitWindow(run_->windows_pid(), title, timeout_ms);
    EXPECT_FALSE(hwnd.empty()) << "no window \"" << title << "\": " << driver().last_error();
    return hwnd;
}

std::string InstallerTest::ExpectMessageBox(const std::string& title, const std::string& text,
                                            const std::vector<std::string>& buttons, bool stop_icon,
                                            int timeout_ms) {
    MessageBoxInfo box;
    if (!driver().WaitMessageBox(run_->windows_pid(), title, timeout_ms, box)) {
        ADD_FAILURE() << "no message box \"" << title << "\": " << driver().last_error();
        return std::string();
    }
    EXPECT_EQ(box.text, text) << "in the message box \"" << title << "\"";
    EXPECT_EQ(box.buttons, buttons) << "in the message box \"" << title << "\"";
    EXPECT_EQ(box.has_icon, stop_icon) << "icon of the message box \"" << title << "\"";
    return box.hwnd;
}

void InstallerTest::Answer(const std::string& box, const std::string& caption) {
    ASSERT_TRUE(driver().Answer(box, caption)) << driver().last_error();
    EXPECT_TRUE(driver().WaitHidden(box, kStepTimeoutMs) || !run_->Running())
        << "the message box stayed after " << caption;
}

void InstallerTest::ExpectEnds() {
    EXPECT_TRUE(run_->WaitEnd(kEndTimeoutMs)) << "the installer did not end";
}

void InstallerTest::ExpectVisibleWindow(const char* when) {
    if (!run_->Running()) return;
    std::vector<WindowInfo> windows = driver().Windows(run_->windows_pid());
    bool any =
        std::any_of(windows.begin(), windows.end(), [](const WindowInfo& w) { return w.visible; });
    // It may have ended between the two looks.
    EXPECT_TRUE(any || !run_->Running()) << "the installer runs without a visible window " << when;
}

const Control* InstallerTest::FindControl(const std::vector<Control>& controls,
                                          const std::string& text) {
    for (const Control& c : controls)
        if (c.text == text) return &c;
    return nullptr;
}

void InstallerTest::ExpectExtracted(const std::vector<PackagedFile>& files) {
    for (const PackagedFile& file : files) {
        std::string content;
        if (!ReadWholeFile(TempPath(file.name), content)) {
            ADD_FAILURE() << file.name << " was not extracted";
            continue;
        }
        EXPECT_EQ(content.size(), file.body.size()) << file.name;
        EXPECT_TRUE(content == file.body) << file.name << " differs from the packaged body";
    }
}

void WineEnvironment::TearDown() {
    if (g_driver) {
        g_driver->Stop();
        delete g_driver;
        g_driver = nullptr;
    }
    WineSession::Shutdown();
}

}  // namespace e2e
