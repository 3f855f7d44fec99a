#include "wine_harness/wine_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include "wine_harness/files.h"

namespace e2e {
namespace {

constexpr const char kSearchPath[] = "/usr/local/bin:/usr/bin:/bin";
constexpr const char kMarker[] = "/.kervale-e2e-ready";
// A new prefix takes about 20 s natively and many minutes under emulation.
constexpr int kBootTimeoutS = 1800;

WineSession* g_session = nullptr;
std::string g_work_dir = E2E_WORK_DIR;
std::string g_display;  // empty: start Xvfb
bool g_failed = false;
std::string g_failure;

std::string Resolve(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    std::string dirs = kSearchPath;
    for (size_t start = 0;;) {
        size_t colon = dirs.find(':', start);
        std::string candidate = dirs.substr(start, colon - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string::npos) return program;
        start = colon + 1;
    }
}

std::string Tail(const std::string& path) {
    std::string content;
    ReadWholeFile(path, content);
    if (content.size() > 2000) content = "..." + content.substr(content.size() - 2000);
    return content;
}

}  // namespace

bool WaitChild(pid_t pid, int timeout_ms, int* status) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int st = 0;
        pid_t done = ::waitpid(pid, &st, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            if (status) *status = st;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void KillChildGroup(pid_t pid) {
    if (pid <= 0) return;
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    WaitChild(pid, 10000);
}

void WineSession::Configure(const std::string& work_dir, const std::string& display) {
    if (!work_dir.empty()) g_work_dir = work_dir;
    g_display = display;
}

WineSession* WineSession::Get() {
    if (g_session) return g_session;
    if (g_failed) return nullptr;
    auto* session = new WineSession();
    std::string why;
    if (!session->Start(why)) {
        session->Stop();
        delete session;
        g_failed = true;
        g_failure = why;
        return nullptr;
    }
    g_session = session;
    return g_session;
}

const std::string& WineSession::SetUpError() { return g_failure; }

void WineSession::Shutdown() {
    if (!g_session) return;
    g_session->Stop();
    delete g_session;
    g_session = nullptr;
}

bool WineSession::Start(std::string& why) {
    work_dir_ = g_work_dir;
    prefix_ = work_dir_ + "/prefix";
    MakeFolders(work_dir_ + "/home");
    MakeFolders(work_dir_ + "/logs");
    if (!g_display.empty())
        display_ = g_display;
    else if (!StartXvfb(why))
        return false;
    env_ = {
        std::string("PATH=") + kSearchPath,
        "HOME=" + work_dir_ + "/home",
        "WINEPREFIX=" + prefix_,
        "WINEARCH=win32",
        "WINEDEBUG=-all",
        // No Mono or Gecko: they are not installed and would ask for a download.
        "WINEDLLOVERRIDES=mscoree,mshtml=",
        "DISPLAY=" + display_,
        "LC_ALL=C",
    };
    // A display of the user's session may want its X authority; HOME is ours.
    if (!g_display.empty()) {
        const char* authority = std::getenv("XAUTHORITY");
        const char* home = std::getenv("HOME");
        if (authority)
            env_.push_back(std::string("XAUTHORITY=") + authority);
        else if (home && PathExists(std::string(home) + "/.Xauthority"))
            env_.push_back(std::string("XAUTHORITY=") + home + "/.Xauthority");
    }
    int version = Run({"wine", "--version"}, work_dir_ + "/logs/wine-version.log", 120);
    if (version != 0) {
        why =
            "\"wine --version\" failed (is wine32:i386 installed and can this machine run "
            "32-bit programs?): " +
            Tail(work_dir_ + "/logs/wine-version.log");
        return false;
    }
    // A server left over from an aborted run would hold stale state.
    Run({"wineserver", "-k"}, work_dir_ + "/logs/wineserver-kill.log", 60);
    if (!EnsurePrefix(why)) return false;
    if (!EnsureWindowsFonts(why)) return false;
    // A persistent server keeps Wine's own background processes alive between
    // the programs of a run, so each launch starts only itself.
    if (Run({"wineserver", "-p"}, work_dir_ + "/logs/wineserver.log", 60) != 0) {
        why = "the wineserver did not start: " + Tail(work_dir_ + "/logs/wineserver.log");
        return false;
    }
    return true;
}

bool WineSession::StartXvfb(std::string& why) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        why = "pipe failed";
        return false;
    }
    std::string log = work_dir_ + "/logs/xvfb.log";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::dup2(fds[1], 3);  // dup2 clears close-on-exec
        std::string xvfb = Resolve("Xvfb");
        ::execl(xvfb.c_str(), "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0",
                "1024x768x24", "-nolisten", "unix-abstract", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        why = "fork failed";
        return false;
    }
    xvfb_pid_ = pid;
    std::string number;
    pollfd pfd{fds[0], POLLIN, 0};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (::poll(&pfd, 1, 200) <= 0) continue;
        char buf[32];
        ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        number.append(buf, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        why = "Xvfb did not report a display: " + Tail(log);
        return false;
    }
    number.resize(number.find('\n'));
    display_ = ":" + number;
    return true;
}

bool WineSession::EnsurePrefix(std::string& why) {
    if (PathExists(prefix_ + kMarker)) return true;
    RemoveTree(prefix_);
    std::string log = work_dir_ + "/logs/wineboot.log";
    int status = Run({"wineboot", "-i"}, log, kBootTimeoutS);
    // wineboot returns before the server has written the registry to disk.
    Run({"wineserver", "-w"}, work_dir_ + "/logs/wineserver-wait.log", 300);
    if (status != 0 || !IsDirectory(prefix_ + "/drive_c/windows/temp")) {
        why = "wineboot failed (status " + std::to_string(status) + "): " + Tail(log);
        return false;
    }
    // Without a window manager, Wine's managed windows stall for seconds on
    // every show and hide; unmanaged ones do not. The server is down now, so
    // the registry file can be extended directly (cheaper than "wine reg add").
    std::string user_reg;
    ReadWholeFile(prefix_ + "/user.reg", user_reg);
    user_reg += "\n[Software\\\\Wine\\\\X11 Driver] " + std::to_string(std::time(nullptr)) +
                "\n\"Managed\"=\"N\"\n";
    if (!WriteWholeFile(prefix_ + "/user.reg", user_reg)) {
        why = "cannot write " + prefix_ + "/user.reg";
        return false;
    }
    MakeFolders(DriveC() + "/pkg");
    MakeFolders(DriveC() + "/e2e");
    return WriteWholeFile(prefix_ + kMarker, "made by the end-to-end tests\n");
}

// Text should measure as on Windows, so the pictures and the layout checks
// show what users see: Arial becomes Liberation Sans (fonts-liberation, the
// same widths), and Wine's own Tahoma (dialog and message font) and Marlett
// (the caption buttons' symbols) from fonts-wine, which Wine does not load
// from where Debian puts them unless the registry names them. The files stay
// where they are: the tests watch the prefix's Fonts folder. Done once per
// prefix, also for prefixes made before, while the server is down.
bool WineSession::EnsureWindowsFonts(std::string& why) {
    const std::string marker = prefix_ + "/.kervale-windows-fonts";
    if (PathExists(marker)) return true;
    const std::string stamp = " " + std::to_string(std::time(nullptr)) + "\n";
    const std::string wine_fonts = "Z:\\\\usr\\\\share\\\\wine\\\\fonts\\\\";
    std::string system_reg, user_reg;
    ReadWholeFile(prefix_ + "/system.reg", system_reg);
    ReadWholeFile(prefix_ + "/user.reg", user_reg);
    system_reg += "\n[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Fonts]" + stamp +
                  "\"Marlett (TrueType)\"=\"" + wine_fonts + "marlett.ttf\"\n" +
                  "\"Tahoma (TrueType)\"=\"" + wine_fonts + "tahoma.ttf\"\n" +
                  "\"Tahoma Bold (TrueType)\"=\"" + wine_fonts + "tahomabd.ttf\"\n";
    user_reg +=
        "\n[Software\\\\Wine\\\\Fonts\\\\Replacements]" + stamp + "\"Arial\"=\"Liberation Sans\"\n";
    if (!WriteWholeFile(prefix_ + "/system.reg", system_reg) ||
        !WriteWholeFile(prefix_ + "/user.reg", user_reg)) {
        why = "cannot write the registry files of " + prefix_;
        return false;
    }
    return WriteWholeFile(marker, "Windows fonts named in the registry\n");
}

void WineSession::Stop() {
    if (!env_.empty()) Run({"wineserver", "-k"}, work_dir_ + "/logs/wineserver-kill.log", 60);
    if (xvfb_pid_ > 0) {
        ::kill(xvfb_pid_, SIGTERM);
        if (!WaitChild(xvfb_pid_, 5000)) KillChildGroup(xvfb_pid_);
        xvfb_pid_ = -1;
    }
}

pid_t WineSession::Spawn(const std::vector<std::string>& argv, const std::string& log, int stdin_fd,
                         int stdout_fd, const std::vector<std::string>& env) const {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    for (const std::string& e : env_) {
        const std::string name = e.substr(0, e.find('=') + 1);
        bool replaced = false;
        for (const std::string& mine : env) replaced = replaced || mine.rfind(name, 0) == 0;
        if (!replaced) envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);
    std::string program = Resolve(argv[0]);
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::setpgid(0, 0);
    int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    int null_in = ::open("/dev/null", O_RDONLY);
    ::dup2(stdin_fd >= 0 ? stdin_fd : null_in, 0);
    if (stdout_fd >= 0)
        ::dup2(stdout_fd, 1);
    else if (out >= 0)
        ::dup2(out, 1);
    if (out >= 0) ::dup2(out, 2);
    ::execve(program.c_str(), args.data(), envp.data());
    ::_exit(127);
}

int WineSession::Run(const std::vector<std::string>& argv, const std::string& log,
                     int timeout_s) const {
    pid_t pid = Spawn(argv, log);
    if (pid < 0) return -1;
    int status = 0;
    if (!WaitChild(pid, timeout_s * 1000, &status)) {
        KillChildGroup(pid);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace e2e
