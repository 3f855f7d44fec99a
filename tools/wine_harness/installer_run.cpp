#include "wine_harness/installer_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "wine_harness/files.h"

namespace e2e {

InstallerRun::~InstallerRun() {
    if (pid_ > 0 && !ended_) Kill();
    if (!exe_name_.empty()) ::unlink(PackagePath().c_str());
}

bool InstallerRun::Launch(const std::string& exe_name, const std::string& package, std::string& why,
                          const std::string& folder) {
    exe_name_ = exe_name;
    relative_path_ = folder.empty() ? exe_name : folder + "/" + exe_name;
    MakeFolders(session_.DriveC() + "/pkg" + (folder.empty() ? "" : "/" + folder));
    if (!WriteWholeFile(PackagePath(), package)) {
        why = "cannot write " + PackagePath();
        return false;
    }
    const std::string windows_path =
        "C:\\pkg\\" + (folder.empty() ? exe_name : folder + "\\" + exe_name);
    // Wine reads a path in its command line, and the names on disk, in the
    // locale's character set: UTF-8 for a folder's name beyond ASCII. The
    // program's ANSI code page stays 1252 either way.
    std::vector<std::string> env;
    if (!folder.empty()) env.push_back("LC_ALL=C.UTF-8");
    pid_ = session_.Spawn({"wine", windows_path}, session_.work_dir() + "/logs/installer.log", -1,
                          -1, env);
    if (pid_ < 0) {
        why = "fork failed";
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLaunchTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (driver_.FindProcess(exe_name, windows_pid_)) return true;
        if (!Running()) {
            why = "the installer ended before it could be seen (exit code " +
                  std::to_string(exit_code_) + ")";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    why = "the installer's process did not appear";
    return false;
}

bool InstallerRun::Running() {
    if (pid_ <= 0 || ended_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

bool InstallerRun::WaitEnd(int timeout_ms, int* exit_code) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (exit_code) *exit_code = exit_code_;
    return true;
}

void InstallerRun::Kill() {
    if (pid_ <= 0 || ended_) return;
    KillChildGroup(pid_);
    ended_ = true;
    // The Windows side normally dies with its Unix process; if not, end all
    // of this prefix's processes and bring the server back.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (windows_pid_ && driver_.running() && driver_.Alive(windows_pid_)) {
        driver_.Stop();
        session_.Run({"wineserver", "-k"}, session_.work_dir() + "/logs/wineserver-kill.log", 60);
        session_.Run({"wineserver", "-p"}, session_.work_dir() + "/logs/wineserver.log", 60);
    }
}

}  // namespace e2e
