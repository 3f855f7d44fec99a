// Benchmarks of the real installer under Wine. They print figures and check
// nothing; they are disabled in the ordinary run, and scripts/bench-installer.sh
// runs them explicitly.
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "harness/installer_run.h"
#include "trailer.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Peak resident memory of a process, in KiB, from /proc (0 when gone).
long PeakRssKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

bool Emulated() { return PathExists("/proc/sys/fs/binfmt_misc/qemu-i386"); }

class BenchInstaller : public InstallerTest {
protected:
    // Launch to welcome page, in seconds; negative on failure.
    double TimeToWelcome(const std::vector<PackagedFile>& files, long* peak_kib = nullptr,
                         bool with_record = true) {
        std::string package = BuildPackage(stub_, files);
        // Without the integrity record, as packages from before it were.
        if (!with_record)
            std::fill(package.end() - kv::kFillerBytes, package.end(), '\0');
        run_ = std::make_unique<InstallerRun>(*session_, driver());
        auto start = Clock::now();
        std::string why;
        if (!run_->Launch("bench-installer.exe", package, why)) {
            ADD_FAILURE() << why;
            return -1;
        }
        if (driver().WaitWindow(run_->windows_pid(), kWelcomeCaption, kLaunchTimeoutMs).empty()) {
            ADD_FAILURE() << "no welcome page: " << driver().last_error();
            return -1;
        }
        double seconds = Seconds(Clock::now() - start);
        if (peak_kib) *peak_kib = PeakRssKib(run_->unix_pid());
        run_->Kill();
        for (const PackagedFile& f : files) ::unlink(TempPath(f.name).c_str());
        return seconds;
    }

    // The same bytes copied by CopyFileA in a tiny program, launch to end.
    double TimeCopyFile(const std::string& body) {
        std::string tool;
        if (!ReadWholeFile(std::string(KERVALE_WIN32_DIR) + "/tests/e2e/e2e-copyfile.exe", tool)) {
            ADD_FAILURE() << "e2e-copyfile.exe is missing";
            return -1;
        }
        std::string dir = session_->DriveC() + "/e2e";
        WriteWholeFile(dir + "/e2e-copyfile.exe", tool);
        WriteWholeFile(dir + "/bench-source.ttf", body);
        auto start = Clock::now();
        pid_t pid = session_->Spawn({"wine", "C:\\e2e\\e2e-copyfile.exe", "C:\\e2e\\bench-source.ttf",
                                     "C:\\windows\\temp\\bench-copy.ttf"},
                                    session_->work_dir() + "/logs/copyfile.log");
        int status = 0;
        bool ended = WaitChild(pid, kLaunchTimeoutMs, &status);
        double seconds = Seconds(Clock::now() - start);
        if (!ended) KillChildGroup(pid);
        bool copied = FileSize(session_->TempDir() + "/bench-copy.ttf") == static_cast<int64_t>(body.size());
        ::unlink((session_->TempDir() + "/bench-copy.ttf").c_str());
        ::unlink((dir + "/bench-source.ttf").c_str());
        if (!ended || !copied) {
            ADD_FAILURE() << "CopyFileA did not copy the file";
            return -1;
        }
        return seconds;
    }

    static std::vector<PackagedFile> WithFont(size_t size) {
        TypicalPackage package;
        package.font = BinaryBody(size, 21);
        return package.Files();
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

TEST_F(BenchInstaller, DISABLED_ExtractionOf64MiBAgainstCopyFile) {
    std::vector<PackagedFile> large = WithFont(64u << 20), tiny = WithFont(1024);
    // A warm-up of each, then alternate, so both see the same caches.
    TimeCopyFile(large.back().body);
    TimeToWelcome(large);
    std::vector<double> installer, copy, installer_tiny, copy_tiny;
    for (int i = 0; i < 3; ++i) {
        copy.push_back(TimeCopyFile(large.back().body));
        installer.push_back(TimeToWelcome(large));
        copy_tiny.push_back(TimeCopyFile(tiny.back().body));
        installer_tiny.push_back(TimeToWelcome(tiny));
    }
    double i64 = Median(installer), c64 = Median(copy), i1 = Median(installer_tiny), c1 = Median(copy_tiny);
    std::printf("bench: 64 MiB font, launch to welcome page: %.2f s (1 KiB font: %.2f s)\n", i64, i1);
    std::printf("bench: 64 MiB CopyFileA, launch to end:      %.2f s (1 KiB file: %.2f s)\n", c64, c1);
    std::printf("bench: ratio installer / CopyFileA: %.2f (target <= 1.3)%s\n", i64 / c64,
                Emulated() ? "; 32-bit code runs emulated here" : "");
    // The installer also starts a GUI, which the console copier does not.
    std::printf("bench: the 64 MiB alone (minus the 1 KiB run): installer %.2f s, CopyFileA %.2f s, ratio %.2f\n",
                i64 - i1, c64 - c1, (i64 - i1) / (c64 - c1));
}

TEST_F(BenchInstaller, DISABLED_PeakMemory256MiBAgainst1MiB) {
    long small_kib = 0, large_kib = 0;
    TimeToWelcome(WithFont(1u << 20), &small_kib);
    TimeToWelcome(WithFont(256u << 20), &large_kib);
    std::printf("bench: peak RSS with a 1 MiB font:   %ld KiB\n", small_kib);
    std::printf("bench: peak RSS with a 256 MiB font: %ld KiB\n", large_kib);
    std::printf("bench: difference: %.1f MiB (target < 16 MiB)%s\n", (large_kib - small_kib) / 1024.0,
                Emulated() ? "; measured on the emulator's process" : "");
}

TEST_F(BenchInstaller, DISABLED_StubSize) {
    std::printf("bench: kervale-stub.exe: %zu bytes\n", stub_.size());
}

TEST_F(BenchInstaller, DISABLED_IntegrityCheckShareOfExtraction) {
    const auto files = WithFont(64u << 20);
    std::vector<double> with, without;
    for (int i = 0; i < 3; ++i) {
        with.push_back(TimeToWelcome(files, nullptr, true));
        without.push_back(TimeToWelcome(files, nullptr, false));
    }
    const double w = Median(with), wo = Median(without);
    std::printf("bench: 64 MiB font, launch to welcome page: %.2f s with the checksum, %.2f s without\n",
                w, wo);
    std::printf("bench: the checksum's share of extraction: %.1f %% (target < 10 %%)%s\n",
                100.0 * (w - wo) / w, Emulated() ? " [32-bit code emulated by qemu here]" : "");
}

}  // namespace
}  // namespace e2e
