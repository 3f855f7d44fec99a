// What the benchmark programs share: the end-to-end harness's Wine session
// and driver, the stub, and small helpers for timing. A benchmark prints
// figures ("bench: ..." lines) and checks nothing; a step that fails prints
// "bench: FAILED: ..." and the program exits with status 1.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "wine_harness/driver_client.h"
#include "wine_harness/files.h"
#include "wine_harness/installer_run.h"
#include "wine_harness/packages.h"
#include "wine_harness/wine_session.h"

namespace e2e {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline bool Emulated() { return PathExists("/proc/sys/fs/binfmt_misc/qemu-i386"); }

// The session, the driver and the stub of one benchmark program.
class Bench {
public:
    ~Bench() {
        run_.reset();
        driver_.Stop();
        WineSession::Shutdown();
    }

    // Brings up the Wine session and the driver; false after saying why.
    bool Start() {
        session_ = WineSession::Get();
        if (!session_)
            return Fail("the Wine session could not be set up: " + WineSession::SetUpError());
        stub_ = StubBytes();
        if (stub_.empty())
            return Fail("missing " + std::string(KERVALE_WIN32_DIR) + "/kervale-stub.exe");
        std::string why;
        if (!driver_.Start(*session_, why)) return Fail(why);
        return true;
    }

    // Reports a failed step; always false.
    bool Fail(const std::string& why) {
        std::printf("bench: FAILED: %s\n", why.c_str());
        std::fflush(stdout);
        failed_ = true;
        return false;
    }
    int ExitCode() const { return failed_ ? 1 : 0; }

    // Kills an installer still running, and forgets it.
    void EndRun() { run_.reset(); }

    // A fresh run of the installer.
    InstallerRun& NewRun() {
        run_ = std::make_unique<InstallerRun>(*session_, driver_);
        return *run_;
    }

    // The Windows tool `name` of the build, copied to C:\e2e\.
    bool PutTool(const std::string& name) {
        std::string tool;
        if (!ReadWholeFile(std::string(KERVALE_WIN32_DIR) + "/tools/driver/" + name, tool))
            return Fail(name + " is missing");
        MakeFolders(session_->DriveC() + "/e2e");
        return WriteWholeFile(session_->DriveC() + "/e2e/" + name, tool) ||
               Fail("cannot copy " + name);
    }

    WineSession& session() { return *session_; }
    DriverClient& driver() { return driver_; }
    const std::string& stub() const { return stub_; }

private:
    WineSession* session_ = nullptr;
    DriverClient driver_;
    std::unique_ptr<InstallerRun> run_;
    std::string stub_;
    bool failed_ = false;
};

}  // namespace e2e
