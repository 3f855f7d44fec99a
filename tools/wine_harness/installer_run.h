// One run of the real installer under Wine: launched from a package written
// into the prefix, watched through the driver, killed when it must.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "wine_harness/driver_client.h"
#include "wine_harness/installer_texts.h"
#include "wine_harness/wine_session.h"

namespace e2e {

// Generous limits: the tests are not timed, and Wine may run emulated.
constexpr int kLaunchTimeoutMs = 240000;  // launch to first window
constexpr int kStepTimeoutMs = 120000;    // a reaction to one user action
constexpr int kEndTimeoutMs = 180000;     // from the last action to the process's end

class InstallerRun {
public:
    InstallerRun(WineSession& session, DriverClient& driver) : session_(session), driver_(driver) {}
    ~InstallerRun();
    InstallerRun(const InstallerRun&) = delete;
    InstallerRun& operator=(const InstallerRun&) = delete;

    // Writes the package to C:\pkg\<exe_name>, or C:\pkg\<folder>\<exe_name>,
    // and starts it with wine; true once the driver sees its Windows process.
    // The names are UTF-8; the process finds its path in any letters.
    bool Launch(const std::string& exe_name, const std::string& package, std::string& why,
                const std::string& folder = std::string());
    pid_t unix_pid() const { return pid_; }
    unsigned windows_pid() const { return windows_pid_; }
    // True while the wine process has not ended.
    bool Running();
    // Waits for the end; true and the exit code when the process ended.
    bool WaitEnd(int timeout_ms, int* exit_code = nullptr);
    // Kills the process group; the last resort is "wineserver -k".
    void Kill();
    std::string PackagePath() const { return session_.DriveC() + "/pkg/" + relative_path_; }

private:
    WineSession& session_;
    DriverClient& driver_;
    std::string exe_name_;
    std::string relative_path_;  // below C:\pkg, with "/"
    pid_t pid_ = -1;
    unsigned windows_pid_ = 0;
    bool ended_ = false;
    int exit_code_ = -1;
};

}  // namespace e2e
