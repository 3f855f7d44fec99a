// The Wine world of one end-to-end test run: a scratch 32-bit prefix under the
// build tree (made once, reused while its marker file is there), an Xvfb of
// our own on a free display, a persistent wineserver, and the environment
// every Wine process of the run gets. Nothing comes from the user's session.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

class WineSession {
public:
    // The session of this run, set up on first use; null when Wine or Xvfb
    // cannot be brought up, and SetUpError() says why.
    static WineSession* Get();
    static const std::string& SetUpError();
    // Before the first Get(), for programs other than the test suite: the
    // work folder (the prefix goes below it) and an X display to use instead
    // of an Xvfb of our own; empty keeps the suite's choice.
    static void Configure(const std::string& work_dir, const std::string& display);
    // Ends Xvfb and the wineserver; called once at the end of the run.
    static void Shutdown();

    const std::string& prefix() const { return prefix_; }
    std::string DriveC() const { return prefix_ + "/drive_c"; }
    std::string WindowsDir() const { return DriveC() + "/windows"; }
    std::string TempDir() const { return WindowsDir() + "/temp"; }
    std::string FontsDir() const { return WindowsDir() + "/Fonts"; }
    std::string DesktopDir() const { return WindowsDir() + "/Desktop"; }
    std::string FavoritesDir() const { return WindowsDir() + "/Favorites"; }
    const std::string& display() const { return display_; }
    const std::string& work_dir() const { return work_dir_; }

    // Starts `argv` (argv[0] is looked up in PATH) in a process group of its
    // own with the session's environment, each of `env` ("NAME=value")
    // replacing the session's value. stdin/stdout become the given
    // descriptors when they are not -1; output not captured goes to `log`.
    pid_t Spawn(const std::vector<std::string>& argv, const std::string& log, int stdin_fd = -1,
                int stdout_fd = -1, const std::vector<std::string>& env = {}) const;
    // Runs a command to its end; its exit status, or -1 when it timed out
    // (it is then killed).
    int Run(const std::vector<std::string>& argv, const std::string& log, int timeout_s) const;

private:
    WineSession() = default;
    bool Start(std::string& why);
    bool StartXvfb(std::string& why);
    bool EnsurePrefix(std::string& why);
    bool EnsureWindowsFonts(std::string& why);
    void Stop();

    std::string work_dir_;
    std::string prefix_;
    std::string display_;
    pid_t xvfb_pid_ = -1;
    std::vector<std::string> env_;
};

// Waits up to `timeout_ms` for a child to end; true and its status when it did.
bool WaitChild(pid_t pid, int timeout_ms, int* status = nullptr);
// Kills a child's whole process group and reaps it.
void KillChildGroup(pid_t pid);

}  // namespace e2e
