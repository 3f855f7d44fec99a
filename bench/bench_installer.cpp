// bench-installer: benchmarks of the real installer under Wine. Prints
// figures and checks nothing (scripts/bench-installer.sh): extraction of a
// 64 MiB font against CopyFileA, peak memory with a 256 MiB font against a
// 1 MiB one, the stub's size, and the checksum's share of the extraction.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "bench_support.h"
#include "trailer.h"

namespace e2e {
namespace {

// Peak resident memory of a process, in KiB, from /proc (0 when gone).
long PeakRssKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

class BenchInstaller : public Bench {
public:
    // Launch to welcome page, in seconds; negative on failure.
    double TimeToWelcome(const std::vector<PackagedFile>& files, long* peak_kib = nullptr,
                         bool with_record = true) {
        std::string package = BuildPackage(stub(), files);
        // Without the integrity record, as packages from before it were.
        if (!with_record) std::fill(package.end() - kv::kFillerBytes, package.end(), '\0');
        InstallerRun& run = NewRun();
        auto start = Clock::now();
        std::string why;
        if (!run.Launch("bench-installer.exe", package, why)) return Fail(why), -1;
        if (driver().WaitWindow(run.windows_pid(), kWelcomeCaption, kLaunchTimeoutMs).empty())
            return Fail("no welcome page: " + driver().last_error()), -1;
        double seconds = Seconds(Clock::now() - start);
        if (peak_kib) *peak_kib = PeakRssKib(run.unix_pid());
        run.Kill();
        for (const PackagedFile& f : files) ::unlink((session().TempDir() + "/" + f.name).c_str());
        return seconds;
    }

    // The same bytes copied by CopyFileA in a tiny program, launch to end.
    double TimeCopyFile(const std::string& body) {
        if (!PutTool("e2e-copyfile.exe")) return -1;
        const std::string dir = session().DriveC() + "/e2e";
        WriteWholeFile(dir + "/bench-source.ttf", body);
        auto start = Clock::now();
        pid_t pid =
            session().Spawn({"wine", "C:\\e2e\\e2e-copyfile.exe", "C:\\e2e\\bench-source.ttf",
                             "C:\\windows\\temp\\bench-copy.ttf"},
                            session().work_dir() + "/logs/copyfile.log");
        int status = 0;
        bool ended = WaitChild(pid, kLaunchTimeoutMs, &status);
        double seconds = Seconds(Clock::now() - start);
        if (!ended) KillChildGroup(pid);
        bool copied =
            FileSize(session().TempDir() + "/bench-copy.ttf") == static_cast<int64_t>(body.size());
        ::unlink((session().TempDir() + "/bench-copy.ttf").c_str());
        ::unlink((dir + "/bench-source.ttf").c_str());
        if (!ended || !copied) return Fail("CopyFileA did not copy the file"), -1;
        return seconds;
    }

    static std::vector<PackagedFile> WithFont(size_t size) {
        TypicalPackage package;
        package.font = BinaryBody(size, 21);
        return package.Files();
    }

    void ExtractionOf64MiBAgainstCopyFile() {
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
        double i64 = Median(installer), c64 = Median(copy), i1 = Median(installer_tiny),
               c1 = Median(copy_tiny);
        std::printf("bench: 64 MiB font, launch to welcome page: %.2f s (1 KiB font: %.2f s)\n",
                    i64, i1);
        std::printf("bench: 64 MiB CopyFileA, launch to end:      %.2f s (1 KiB file: %.2f s)\n",
                    c64, c1);
        std::printf("bench: ratio installer / CopyFileA: %.2f (target <= 1.3)%s\n", i64 / c64,
                    Emulated() ? "; 32-bit code runs emulated here" : "");
        // The installer also starts a GUI, which the console copier does not.
        std::printf(
            "bench: the 64 MiB alone (minus the 1 KiB run): installer %.2f s, CopyFileA %.2f s, "
            "ratio %.2f\n",
            i64 - i1, c64 - c1, (i64 - i1) / (c64 - c1));
    }

    void PeakMemory256MiBAgainst1MiB() {
        long small_kib = 0, large_kib = 0;
        TimeToWelcome(WithFont(1u << 20), &small_kib);
        TimeToWelcome(WithFont(256u << 20), &large_kib);
        std::printf("bench: peak RSS with a 1 MiB font:   %ld KiB\n", small_kib);
        std::printf("bench: peak RSS with a 256 MiB font: %ld KiB\n", large_kib);
        std::printf("bench: difference: %.1f MiB (target < 16 MiB)%s\n",
                    (large_kib - small_kib) / 1024.0,
                    Emulated() ? "; measured on the emulator's process" : "");
    }

    void StubSize() { std::printf("bench: kervale-stub.exe: %zu bytes\n", stub().size()); }

    void IntegrityCheckShareOfExtraction() {
        const auto files = WithFont(64u << 20);
        std::vector<double> with, without;
        for (int i = 0; i < 3; ++i) {
            with.push_back(TimeToWelcome(files, nullptr, true));
            without.push_back(TimeToWelcome(files, nullptr, false));
        }
        const double w = Median(with), wo = Median(without);
        std::printf(
            "bench: 64 MiB font, launch to welcome page: %.2f s with the checksum, %.2f s "
            "without\n",
            w, wo);
        std::printf("bench: the checksum's share of extraction: %.1f %% (target < 10 %%)%s\n",
                    100.0 * (w - wo) / w, Emulated() ? " [32-bit code emulated by qemu here]" : "");
    }
};

}  // namespace
}  // namespace e2e

int main() {
    e2e::BenchInstaller bench;
    if (!bench.Start()) return 1;
    bench.ExtractionOf64MiBAgainstCopyFile();
    bench.PeakMemory256MiBAgainst1MiB();
    bench.StubSize();
    bench.IntegrityCheckShareOfExtraction();
    return bench.ExitCode();
}
