// Benchmark of a whole install under Wine (prints figures, checks nothing;
// disabled in the ordinary run, scripts/bench-install.sh runs it): a package
// of 200 fonts of 100 KiB each, from launch to the success message with the
// wizard driven straight through, against CopyFileA copying the same 200
// files in one Wine program.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "harness/installer_run.h"
#include "wizard_walk.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFonts = 200;
constexpr size_t kFontBytes = 100 * 1024;
constexpr int kRounds = 3;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Emulated() { return PathExists("/proc/sys/fs/binfmt_misc/qemu-i386"); }

class BenchInstallRun : public InstallerTest {
protected:
    void SetUp() override {
        InstallerTest::SetUp();
        if (HasFatalFailure()) return;
        TypicalPackage typical;
        files_ = typical.Files();
        files_.pop_back();  // its one font
        char name[16];
        for (int i = 0; i < kFonts; ++i) {
            std::snprintf(name, sizeof name, "F%03d.TTF", i);
            files_.push_back({name, BinaryBody(kFontBytes, 1000 + i)});
            fonts_.push_back(name);
        }
    }

    void RemoveInstalledFonts() {
        for (const std::string& name : fonts_) ::unlink((session_->FontsDir() + "/" + name).c_str());
    }

    // Launch to success message, and Install click to success message, in
    // seconds; false on failure.
    bool TimeInstall(double& whole, double& install_run) {
        RemoveInstalledFonts();
        std::string package = BuildPackage(stub_, files_);
        run_ = std::make_unique<InstallerRun>(*session_, driver());
        WizardWalk walk(driver(), *run_);
        std::string why;
        auto start = Clock::now();
        if (!run_->Launch("bench-install.exe", package, why)) {
            ADD_FAILURE() << why;
            return false;
        }
        std::string options = walk.ToOptionsPage(/*has_license=*/true);
        if (options.empty()) {
            ADD_FAILURE() << walk.error();
            return false;
        }
        auto click = Clock::now();
        if (!walk.Install(options, Extras{})) {
            ADD_FAILURE() << walk.error();
            return false;
        }
        MessageBoxInfo box;
        if (!driver().WaitMessageBox(run_->windows_pid(), kApplicationTitle, kEndTimeoutMs, box)) {
            ADD_FAILURE() << "no outcome message: " << driver().last_error();
            return false;
        }
        auto end = Clock::now();
        whole = Seconds(end - start);
        install_run = Seconds(end - click);
        EXPECT_EQ(box.text, kSuccessText);
        driver().Answer(box.hwnd, "OK");
        EXPECT_TRUE(run_->WaitEnd(kEndTimeoutMs));
        EXPECT_EQ(fonts_guard_->AddedFiles().size(), fonts_.size());
        ::unlink(TempPath(files_[1].name).c_str());  // the readme the clean-up keeps
        return true;
    }

    // One e2e-copyfile run copying `count` of the fonts from a folder of the
    // prefix into the Fonts folder, launch to end.
    double TimeCopyFile(int count) {
        RemoveInstalledFonts();
        std::vector<std::string> argv{"wine", "C:\\e2e\\e2e-copyfile.exe"};
        for (int i = 0; i < count; ++i) {
            argv.push_back("C:\\e2e\\bench-fonts\\" + fonts_[i]);
            argv.push_back("C:\\windows\\Fonts\\" + fonts_[i]);
        }
        auto start = Clock::now();
        pid_t pid = session_->Spawn(argv, session_->work_dir() + "/logs/copyfile.log");
        int status = 0;
        bool ended = WaitChild(pid, kLaunchTimeoutMs, &status);
        double seconds = Seconds(Clock::now() - start);
        if (!ended) KillChildGroup(pid);
        int copied = 0;
        for (int i = 0; i < count; ++i)
            copied += FileSize(session_->FontsDir() + "/" + fonts_[i]) == static_cast<int64_t>(kFontBytes);
        if (!ended || copied != count) {
            ADD_FAILURE() << "CopyFileA copied " << copied << " of " << count << " files";
            return -1;
        }
        return seconds;
    }

    bool PutSources() {
        std::string tool;
        if (!ReadWholeFile(std::string(KERVALE_WIN32_DIR) + "/tests/e2e/e2e-copyfile.exe", tool)) return false;
        WriteWholeFile(session_->DriveC() + "/e2e/e2e-copyfile.exe", tool);
        MakeFolders(session_->DriveC() + "/e2e/bench-fonts");
        for (const PackagedFile& f : files_)
            if (!WriteWholeFile(session_->DriveC() + "/e2e/bench-fonts/" + f.name, f.body)) return false;
        return true;
    }

    std::vector<PackagedFile> files_;
    std::vector<std::string> fonts_;
};

TEST_F(BenchInstallRun, DISABLED_TwoHundredFontsAgainstCopyFile) {
    ASSERT_TRUE(PutSources()) << "cannot lay out the CopyFileA sources";
    double whole = 0, install_run = 0;
    // A warm-up of each, then alternate, so both see the same caches.
    ASSERT_GE(TimeCopyFile(kFonts), 0);
    ASSERT_TRUE(TimeInstall(whole, install_run));
    std::vector<double> wholes, runs, copies, starts;
    for (int round = 0; round < kRounds; ++round) {
        copies.push_back(TimeCopyFile(kFonts));
        starts.push_back(TimeCopyFile(1));
        ASSERT_TRUE(TimeInstall(whole, install_run));
        wholes.push_back(whole);
        runs.push_back(install_run);
    }
    RemoveTree(session_->DriveC() + "/e2e/bench-fonts");
    const double w = Median(wholes), r = Median(runs), c = Median(copies), s = Median(starts);
    std::printf("bench: %d fonts x %zu KiB, launch to success message, wizard driven: %.2f s\n", kFonts,
                kFontBytes / 1024, w);
    std::printf("bench:   of which Install click to success message (the install run): %.2f s\n", r);
    std::printf("bench: CopyFileA of the same %d files in one Wine program, launch to end: %.2f s"
                " (1 file: %.2f s)\n", kFonts, c, s);
    std::printf("bench: ratio launch-to-success / CopyFileA: %.2f; install run / CopyFileA: %.2f%s\n", w / c,
                r / c, Emulated() ? "; 32-bit code runs emulated here" : "");
    // The copier's own start, which the install run does not pay, taken out.
    std::printf("bench: the copies alone (%d-file run minus 1-file run): %.2f s; install run / that: %.2f\n",
                kFonts, c - s, r / (c - s));
    std::printf("bench: medians of %d rounds\n", kRounds);
}

}  // namespace
}  // namespace e2e
