// bench-install-run: a whole install under Wine (prints figures, checks
// nothing; scripts/bench-install.sh): a package of 200 fonts of 100 KiB
// each, from launch to the success message with the wizard driven straight
// through, against CopyFileA copying the same 200 files in one Wine program.
#include <unistd.h>

#include <cstdio>

#include "bench_support.h"
#include "wine_harness/wizard_walk.h"

namespace e2e {
namespace {

constexpr int kFonts = 200;
constexpr size_t kFontBytes = 100 * 1024;
constexpr int kRounds = 3;

class BenchInstallRun : public Bench {
public:
    BenchInstallRun() {
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

    // The folders the installer writes into are put back at the end.
    void GuardFolders() {
        temp_guard_ = std::make_unique<FolderGuard>(session().TempDir());
        fonts_guard_ = std::make_unique<FolderGuard>(session().FontsDir());
        desktop_guard_ = std::make_unique<FolderGuard>(session().DesktopDir());
        favorites_guard_ = std::make_unique<FolderGuard>(session().FavoritesDir());
    }

    void RemoveInstalledFonts() {
        for (const std::string& name : fonts_)
            ::unlink((session().FontsDir() + "/" + name).c_str());
    }

    // Launch to success message, and Install click to success message, in
    // seconds; false on failure.
    bool TimeInstall(double& whole, double& install_run) {
        RemoveInstalledFonts();
        std::string package = BuildPackage(stub(), files_);
        InstallerRun& run = NewRun();
        WizardWalk walk(driver(), run);
        std::string why;
        auto start = Clock::now();
        if (!run.Launch("bench-install.exe", package, why)) return Fail(why);
        std::string options = walk.ToOptionsPage(/*has_license=*/true);
        if (options.empty()) return Fail(walk.error());
        auto click = Clock::now();
        if (!walk.Install(options, Extras{})) return Fail(walk.error());
        MessageBoxInfo box;
        if (!driver().WaitMessageBox(run.windows_pid(), kApplicationTitle, kEndTimeoutMs, box))
            return Fail("no outcome message: " + driver().last_error());
        auto end = Clock::now();
        whole = Seconds(end - start);
        install_run = Seconds(end - click);
        if (box.text != kSuccessText) Fail("the outcome message was \"" + box.text + "\"");
        driver().Answer(box.hwnd, "OK");
        if (!run.WaitEnd(kEndTimeoutMs)) Fail("the installer did not end");
        if (fonts_guard_->AddedFiles().size() != fonts_.size())
            Fail("not every font was installed");
        ::unlink(
            (session().TempDir() + "/" + files_[1].name).c_str());  // the readme the clean-up keeps
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
        pid_t pid = session().Spawn(argv, session().work_dir() + "/logs/copyfile.log");
        int status = 0;
        bool ended = WaitChild(pid, kLaunchTimeoutMs, &status);
        double seconds = Seconds(Clock::now() - start);
        if (!ended) KillChildGroup(pid);
        int copied = 0;
        for (int i = 0; i < count; ++i)
            copied += FileSize(session().FontsDir() + "/" + fonts_[i]) ==
                      static_cast<int64_t>(kFontBytes);
        if (!ended || copied != count)
            return Fail("CopyFileA copied " + std::to_string(copied) + " of " +
                        std::to_string(count) + " files"),
                   -1;
        return seconds;
    }

    bool PutSources() {
        if (!PutTool("e2e-copyfile.exe")) return false;
        MakeFolders(session().DriveC() + "/e2e/bench-fonts");
        for (const PackagedFile& f : files_)
            if (!WriteWholeFile(session().DriveC() + "/e2e/bench-fonts/" + f.name, f.body))
                return Fail("cannot lay out the CopyFileA sources");
        return true;
    }

    void TwoHundredFontsAgainstCopyFile() {
        if (!PutSources()) return;
        double whole = 0, install_run = 0;
        // A warm-up of each, then alternate, so both see the same caches.
        if (TimeCopyFile(kFonts) < 0 || !TimeInstall(whole, install_run)) return;
        std::vector<double> wholes, runs, copies, starts;
        for (int round = 0; round < kRounds; ++round) {
            copies.push_back(TimeCopyFile(kFonts));
            starts.push_back(TimeCopyFile(1));
            if (!TimeInstall(whole, install_run)) return;
            wholes.push_back(whole);
            runs.push_back(install_run);
        }
        RemoveTree(session().DriveC() + "/e2e/bench-fonts");
        const double w = Median(wholes), r = Median(runs), c = Median(copies), s = Median(starts);
        std::printf("bench: %d fonts x %zu KiB, launch to success message, wizard driven: %.2f s\n",
                    kFonts, kFontBytes / 1024, w);
        std::printf(
            "bench:   of which Install click to success message (the install run): %.2f s\n", r);
        std::printf(
            "bench: CopyFileA of the same %d files in one Wine program, launch to end: %.2f s"
            " (1 file: %.2f s)\n",
            kFonts, c, s);
        std::printf(
            "bench: ratio launch-to-success / CopyFileA: %.2f; install run / CopyFileA: %.2f%s\n",
            w / c, r / c, Emulated() ? "; 32-bit code runs emulated here" : "");
        // The copier's own start, which the install run does not pay, taken out.
        std::printf(
            "bench: the copies alone (%d-file run minus 1-file run): %.2f s; install run / that: "
            "%.2f\n",
            kFonts, c - s, r / (c - s));
        std::printf("bench: medians of %d rounds\n", kRounds);
    }

    ~BenchInstallRun() {
        // No installer left, then the guards put the folders back.
        EndRun();
        temp_guard_.reset();
        fonts_guard_.reset();
        desktop_guard_.reset();
        favorites_guard_.reset();
    }

private:
    std::vector<PackagedFile> files_;
    std::vector<std::string> fonts_;
    std::unique_ptr<FolderGuard> temp_guard_, fonts_guard_, desktop_guard_, favorites_guard_;
};

}  // namespace
}  // namespace e2e

int main() {
    e2e::BenchInstallRun bench;
    if (!bench.Start()) return 1;
    bench.GuardFolders();
    bench.TwoHundredFontsAgainstCopyFile();
    return bench.ExitCode();
}
