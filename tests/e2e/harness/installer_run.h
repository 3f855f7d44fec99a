// One run of the real installer under Wine, and the test fixture that every
// end-to-end test builds on: it brings up the session and the driver, guards
// the folders the installer may touch, and never leaves an installer behind.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/driver_client.h"
#include "harness/files.h"
#include "harness/packages.h"
#include "harness/wine_session.h"

namespace e2e {

// Generous limits: the tests are not timed, and Wine may run emulated.
constexpr int kLaunchTimeoutMs = 240000;  // launch to first window
constexpr int kStepTimeoutMs = 120000;    // a reaction to one user action
constexpr int kEndTimeoutMs = 180000;     // from the last action to the process's end

// The installer's own texts.
constexpr const char kWelcomeCaption[] = "Kervale Self-Extractor";
constexpr const char kStartupCaption[] = "Kervale";
constexpr const char kDamagedText[] = "This file is damaged. Try downloading the file again.";
constexpr const char kCorruptedText[] = "The kervale datafile is corrupted.";
constexpr const char kApplicationTitle[] = "KervaleExtractor";
constexpr const char kExitQuestion[] =
    "Kervale has not finished installing the font. Are you sure you want to exit?";
constexpr const char kExitTitle[] = "Kervale";

class InstallerRun {
public:
    InstallerRun(WineSession& session, DriverClient& driver) : session_(session), driver_(driver) {}
    ~InstallerRun();
    InstallerRun(const InstallerRun&) = delete;
    InstallerRun& operator=(const InstallerRun&) = delete;

    // Writes the package to C:\pkg\<exe_name> and starts it with wine; true
    // once the driver sees its Windows process.
    bool Launch(const std::string& exe_name, const std::string& package, std::string& why);
    pid_t unix_pid() const { return pid_; }
    unsigned windows_pid() const { return windows_pid_; }
    // True while the wine process has not ended.
    bool Running();
    // Waits for the end; true and the exit code when the process ended.
    bool WaitEnd(int timeout_ms, int* exit_code = nullptr);
    // Kills the process group; the last resort is "wineserver -k".
    void Kill();
    std::string PackagePath() const { return session_.DriveC() + "/pkg/" + exe_name_; }

private:
    WineSession& session_;
    DriverClient& driver_;
    std::string exe_name_;
    pid_t pid_ = -1;
    unsigned windows_pid_ = 0;
    bool ended_ = false;
    int exit_code_ = -1;
};

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds a package from `files` on the current stub and launches it under
    // a name made from the test's name. Fails the test when it cannot.
    bool Launch(const std::vector<PackagedFile>& files);
    bool LaunchPackage(const std::string& package);

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
    // The visible control of `window` whose text is `text`.
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
