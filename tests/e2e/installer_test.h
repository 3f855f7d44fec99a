// The test fixture that every end-to-end test builds on: it brings up the
// Wine session and the driver, guards the folders the installer may touch,
// and never leaves an installer behind. The harness below it reports
// failures as values; this turns them into test failures.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wine_harness/controls.h"
#include "wine_harness/driver_client.h"
#include "wine_harness/files.h"
#include "wine_harness/installer_run.h"
#include "wine_harness/packages.h"
#include "wine_harness/wine_session.h"

namespace e2e {

// The control lies where the design puts it, in twips, within a pixel;
// a width or height of 0 is not checked (labels that fit their text).
inline void ExpectRect(const Control* c, const char* name, int left, int top, int width,
                       int height) {
    ASSERT_NE(c, nullptr) << name << " is missing";
    EXPECT_NEAR(c->left, Px(left), 1) << name;
    EXPECT_NEAR(c->top, Px(top), 1) << name;
    if (width > 0) EXPECT_NEAR(c->right - c->left, Px(width), 1) << name;
    if (height > 0) EXPECT_NEAR(c->bottom - c->top, Px(height), 1) << name;
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds a package from `files` on the current stub and launches it under
    // a name made from the test's name. Fails the test when it cannot.
    bool Launch(const std::vector<PackagedFile>& files);
    bool LaunchPackage(const std::string& package);
    // The same as C:\pkg\<folder>\<exe_name>; the names are UTF-8.
    bool LaunchPackageAs(const std::string& package, const std::string& folder,
                         const std::string& exe_name);

    // The visible top-level window of the installer with this title; fails
    // the test on a timeout.
    std::string WaitWindow(const std::string& title, int timeout_ms = kStepTimeoutMs);
    // Waits for a message box of the installer, checks its text, buttons and
    // icon, and returns its handle (empty on failure).
    std::string ExpectMessageBox(const std::string& title, const std::string& text,
                                 const std::vector<std::string>& buttons, bool stop_icon,
                                 int timeout_ms = kStepTimeoutMs);
    // Presses a message-box button and checks that the box goes away.
    void Answer(const std::string& box, const std::string& caption);
    // The process ends within the end timeout.
    void ExpectEnds();
    // A running installer must always show at least one window.
    void ExpectVisibleWindow(const char* when);
    // The control whose text is `text`, shown or hidden (the tests that
    // check an option is not offered look at its flag); null when none.
    const Control* FindControl(const std::vector<Control>& controls, const std::string& text);

    std::string TempPath(const std::string& name) const { return session_->TempDir() + "/" + name; }
    // Every `files` entry is in the Temp folder, byte for byte.
    void ExpectExtracted(const std::vector<PackagedFile>& files);

    WineSession* session_ = nullptr;
    static DriverClient& driver();
    std::unique_ptr<InstallerRun> run_;
    std::unique_ptr<FolderGuard> temp_guard_, fonts_guard_, desktop_guard_, favorites_guard_;
    std::string stub_;
};

// Ends the shared driver and the Wine session at the end of the run.
class WineEnvironment : public ::testing::Environment {
public:
    void TearDown() override;
};

}  // namespace e2e
