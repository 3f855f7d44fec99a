// kervale-demo: runs a packed installer under Wine in a scratch prefix, the
// way the main job shows off what it built and scripts/preview.sh shows any
// installer before it ships.
//
//   kervale-demo --package FILE.exe --work DIR --screenshots DIR [--display :N]
//
// With --display the wizard opens there for the person at the keyboard and
// the demo waits until it ends. Without it, the demo starts an Xvfb of its
// own, goes through every page the package has by itself (welcome, About
// box, license with "I Agree" when there is one, options with every extra
// offered ticked, Install, the outcome message; or the message the
// installer stops with), saves a PNG of each window, and in both cases ends
// with what was installed where. Built from the end-to-end harness: same
// prefix set-up, same driver.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "byte_source.h"
#include "wine_harness/driver_client.h"
#include "wine_harness/files.h"
#include "wine_harness/installer_run.h"
#include "wine_harness/screenshot.h"
#include "wine_harness/wine_session.h"
#include "trailer.h"
#include "wine_harness/wizard_walk.h"

namespace e2e {
namespace {

constexpr int kForeverMs = 24 * 3600 * 1000;  // a person may take their time
constexpr int kPaintMs = 600;                 // lets a change be painted before a picture
constexpr int kPollMs = 250;

// The pictures a run may take, in the order of the wizard. Only these are
// cleared from the folder beforehand: it may hold other files.
constexpr const char* kPictures[] = {"0-message", "1-welcome", "2-about",
                                     "3-license", "4-options", "5-outcome"};

struct Options {
    std::string package;
    std::string work;
    std::string screenshots;
    std::string display;
};

void Say(const std::string& line) {
    std::printf("demo: %s\n", line.c_str());
    std::fflush(stdout);
}

// Saves the mapped window titled `title` as <dir>/<file>.png.
bool Screenshot(const WineSession& session, const std::string& title, const std::string& dir,
                const std::string& file) {
    const std::string path = dir + "/" + file + ".png";
    if (!SaveWindowScreenshot(session, title, path)) {
        Say("no screenshot of \"" + title + "\": it is not on the screen");
        return false;
    }
    Say("screenshot " + path);
    return true;
}

// Line ends spelled as \r and \n, so a message stays on one report line.
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Name -> size of the regular files of a folder.
std::map<std::string, int64_t> Sizes(const std::string& folder) {
    std::map<std::string, int64_t> sizes;
    for (const std::string& name : ListFolder(folder)) {
        struct stat st;
        if (::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            sizes[name] = static_cast<int64_t>(st.st_size);
    }
    return sizes;
}

// The files of `folder` that are new or changed in size since `before`.
void Report(const std::string& where, const std::string& folder,
            const std::map<std::string, int64_t>& before) {
    std::string line;
    for (const auto& [name, size] : Sizes(folder)) {
        auto old = before.find(name);
        if (old != before.end() && old->second == size) continue;
        line +=
            (line.empty() ? "" : ", ") + ("\"" + name + "\" (" + std::to_string(size) + " bytes)");
    }
    Say(where + ": " + (line.empty() ? "nothing" : line));
}

// The packaged file names, from the package's own trailer.
bool PackagedNames(const std::string& package, std::vector<std::string>& names) {
    kv::MemorySource source(package.data(), package.size());
    kv::TrailerError error = kv::WalkTrailer(source, [&](const kv::TrailerEntry& entry) {
        names.emplace_back(entry.name);
        return true;
    });
    return error == kv::TrailerError::None;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Ticks every extra the options page offers; the caption of one that
// would not tick, or null.
const char* TickEveryExtra(DriverClient& driver, WizardWalk& walk, const std::string& page) {
    for (const char* caption : {kCopyReadmeCaption, kFavoritesCaption, kDesktopUrlCaption}) {
        std::string box = driver.FindByText(page, caption);
        bool offered = false;
        for (const Control& c : driver.Controls(page))
            if (c.text == caption && c.visible) offered = true;
        if (!box.empty() && offered && !walk.SetCheck(page, caption, true)) return caption;
    }
    return nullptr;
}

// The title of the message box the installer shows, or empty.
std::string VisibleMessageBox(DriverClient& driver, InstallerRun& run) {
    for (const WindowInfo& w : driver.Windows(run.windows_pid()))
        if (w.visible && w.class_name == "#32770") return w.title;
    return std::string();
}

// Whichever outcome message the run shows: its title and the box.
bool WaitOutcome(DriverClient& driver, InstallerRun& run, std::string& title, MessageBoxInfo& box) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndTimeoutMs);
    while (title.empty() && run.Running() && std::chrono::steady_clock::now() < deadline) {
        title = VisibleMessageBox(driver, run);
        if (title.empty()) Pause(50);
    }
    return !title.empty() && driver.WaitMessageBox(run.windows_pid(), title, kStepTimeoutMs, box);
}

// The installer's first page, or the title of the message it shows instead
// (a damaged file, a descriptor it refuses); both empty when neither came,
// and then `walk` says why.
std::string WaitWelcomeOrMessage(DriverClient& driver, InstallerRun& run, WizardWalk& walk,
                                 std::string& message) {
    // The short looks go through a walk of their own: each that finds no
    // page yet is a failure, which must not stay as `walk`'s error.
    WizardWalk look(driver, run);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLaunchTimeoutMs);
    while (run.Running() && std::chrono::steady_clock::now() < deadline) {
        std::string page = look.WaitPage(kWelcomeMarker, kPollMs);
        if (!page.empty()) return page;
        message = VisibleMessageBox(driver, run);
        if (!message.empty()) return std::string();
    }
    return walk.WaitPage(kWelcomeMarker, 0);  // one last look, which says why there is none
}

// Opens the About box from the welcome page, takes its picture and closes
// it; the step that failed, or null.
const char* ShowAboutBox(WineSession& session, DriverClient& driver, InstallerRun& run,
                         WizardWalk& walk, const std::string& page, const std::string& shots) {
    if (!walk.Press(page, "About")) return "About";
    std::string about = driver.WaitWindow(run.windows_pid(), kAboutCaption, kStepTimeoutMs);
    if (about.empty()) return "the About box";
    Pause(kPaintMs);
    Screenshot(session, kAboutCaption, shots, "2-about");
    if (!walk.Press(about, "OK") || !driver.WaitHidden(about, kStepTimeoutMs))
        return "the About box's OK";
    return nullptr;
}

// Goes through every page by itself, a picture of each; false when a step
// did not happen.
bool WalkThrough(WineSession& session, const std::string& exe_name, const std::string& package,
                 const std::string& shots, std::string& outcome) {
    DriverClient driver;
    std::string why;
    if (!driver.Start(session, why)) {
        Say("the driver did not start: " + why);
        return false;
    }
    InstallerRun run(session, driver);
    if (!run.Launch(exe_name, package, why)) {
        Say("the installer did not start: " + why);
        return false;
    }
    WizardWalk walk(driver, run);
    auto fail = [&](const std::string& step) {
        Say(step + " failed: " + (walk.error().empty() ? driver.last_error() : walk.error()));
        run.Kill();
        return false;
    };

    std::string message;
    std::string page = WaitWelcomeOrMessage(driver, run, walk, message);
    if (page.empty() && !message.empty()) {
        // The installer stops before its wizard: what it says is the preview.
        MessageBoxInfo box;
        if (!driver.WaitMessageBox(run.windows_pid(), message, kStepTimeoutMs, box))
            return fail("the message \"" + message + "\"");
        Pause(kPaintMs);
        Screenshot(session, message, shots, "0-message");
        Say("the installer stopped before its welcome page: \"" + message + "\": \"" +
            OneLine(box.text) + "\"");
        if (!box.buttons.empty()) driver.Answer(box.hwnd, box.buttons.front());
        if (!run.WaitEnd(kEndTimeoutMs)) run.Kill();
        return false;
    }
    if (page.empty()) return fail("the welcome page");
    Pause(kPaintMs);
    Screenshot(session, kWelcomeCaption, shots, "1-welcome");

    const char* about_step = ShowAboutBox(session, driver, run, walk, page, shots);
    if (about_step) return fail(about_step);

    // The license page comes only with a license: whichever page Next
    // brings up says which kind of package this is.
    std::string shown;
    page = walk.GoAny(page, kNextCaption, {kLicenseMarker, kOptionsMarker}, shown);
    if (!page.empty() && shown == kLicenseMarker) {
        if (!walk.SetCheck(page, kAgreeCaption, true)) return fail("\"I Agree\"");
        Pause(kPaintMs);
        Screenshot(session, kWelcomeCaption, shots, "3-license");
        page = walk.Go(page, kNextCaption, kOptionsMarker);
    }
    if (page.empty()) return fail("the options page");

    const char* refused = TickEveryExtra(driver, walk, page);
    if (refused) return fail(refused);
    Pause(kPaintMs);
    Screenshot(session, kWelcomeCaption, shots, "4-options");
    if (!walk.Install(page, Extras{})) return fail("Install");

    MessageBoxInfo box;
    std::string title;
    if (!WaitOutcome(driver, run, title, box)) return fail("the outcome message");
    outcome = "\"" + title + "\": \"" + OneLine(box.text) + "\"";
    Pause(kPaintMs);
    Screenshot(session, title, shots, "5-outcome");
    if (!driver.Answer(box.hwnd, "OK")) return fail("OK on the outcome message");
    int exit_code = -1;
    if (!run.WaitEnd(kEndTimeoutMs, &exit_code)) return fail("the end of the program");
    driver.Stop();
    return true;
}

// Opens the wizard on the user's display and waits for the person.
bool Interactive(WineSession& session, const std::string& exe_name, const std::string& package) {
    MakeFolders(session.DriveC() + "/pkg");
    const std::string path = session.DriveC() + "/pkg/" + exe_name;
    if (!WriteWholeFile(path, package)) {
        Say("cannot write " + path);
        return false;
    }
    Say("the installer is open on display " + session.display() +
        "; the demo goes on when it ends");
    pid_t pid =
        session.Spawn({"wine", "C:\\pkg\\" + exe_name}, session.work_dir() + "/logs/installer.log");
    if (pid < 0 || !WaitChild(pid, kForeverMs)) {
        KillChildGroup(pid);
        Say("the installer did not end");
        return false;
    }
    ::unlink(path.c_str());
    return true;
}

std::string Absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

int Main(Options options) {
    // Wine gets the prefix as WINEPREFIX, which must not be relative.
    options.work = Absolute(options.work);
    options.screenshots = Absolute(options.screenshots);
    std::string package;
    if (!ReadWholeFile(options.package, package)) {
        Say("cannot read " + options.package);
        return 1;
    }
    std::vector<std::string> names;
    if (!PackagedNames(package, names)) {
        Say(options.package + " holds no readable package");
        return 1;
    }

    WineSession::Configure(options.work, options.display);
    WineSession* session = WineSession::Get();
    if (!session) {
        Say("Wine could not be set up (see " + options.work + "/logs)");
        return 1;
    }
    // A new prefix has no Desktop or Favorites folder, and the installer
    // creates none: make them empty so every extra has somewhere to go, and
    // clear what an earlier demo left, so the report shows this run only.
    RemoveTree(session->DesktopDir());
    RemoveTree(session->FavoritesDir());
    MakeFolders(session->DesktopDir());
    MakeFolders(session->FavoritesDir());
    for (const std::string& name : names) {
        ::unlink((session->FontsDir() + "/" + name).c_str());
        ::unlink((session->TempDir() + "/" + name).c_str());
    }
    MakeFolders(options.screenshots);
    for (const char* picture : kPictures)
        ::unlink((options.screenshots + "/" + picture + ".png").c_str());
    const auto fonts = Sizes(session->FontsDir()), temp = Sizes(session->TempDir());

    const std::string exe_name = BaseName(options.package);
    std::string outcome = "as the person at the keyboard saw it";
    auto start = std::chrono::steady_clock::now();
    bool ok = options.display.empty()
                  ? WalkThrough(*session, exe_name, package, options.screenshots, outcome)
                  : Interactive(*session, exe_name, package);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ok) {
        char took[64];
        std::snprintf(took, sizeof took, "%.1f s", seconds);
        Say(exe_name + " ran in " + took + "; outcome " + outcome);
    }
    Say("prefix " + session->prefix() + " (C: is its drive_c)");
    Report("in C:\\windows\\Fonts", session->FontsDir(), fonts);
    Report("on the Desktop, C:\\windows\\Desktop", session->DesktopDir(), {});
    Report("in Favorites, C:\\windows\\Favorites", session->FavoritesDir(), {});
    Report("left in C:\\windows\\Temp", session->TempDir(), temp);
    WineSession::Shutdown();
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
    e2e::Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i], value = argv[i + 1];
        if (flag == "--package")
            options.package = value;
        else if (flag == "--work")
            options.work = value;
        else if (flag == "--screenshots")
            options.screenshots = value;
        else if (flag == "--display")
            options.display = value;
        else {
            std::fprintf(stderr, "kervale-demo: unknown option %s\n", flag.c_str());
            return 2;
        }
    }
    if (argc % 2 == 0 || options.package.empty() || options.work.empty() ||
        options.screenshots.empty()) {
        std::fprintf(
            stderr,
            "usage: kervale-demo --package FILE.exe --work DIR --screenshots DIR [--display :N]\n");
        return 2;
    }
    return e2e::Main(options);
}
