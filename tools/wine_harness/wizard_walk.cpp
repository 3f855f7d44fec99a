#include "wine_harness/wizard_walk.h"

#include <chrono>
#include <thread>

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 25;

}  // namespace

bool WizardWalk::Fail(const std::string& why) {
    error_ = why;
    return false;
}

std::string WizardWalk::WaitPage(const std::string& marker, int timeout_ms) {
    std::string shown;
    return WaitAnyPage({marker}, shown, timeout_ms);
}

std::string WizardWalk::WaitAnyPage(const std::vector<std::string>& markers, std::string& shown,
                                    int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    do {
        for (const WindowInfo& w : driver_.Windows(run_.windows_pid())) {
            if (!w.visible || w.title != kWelcomeCaption) continue;
            for (const std::string& marker : markers) {
                if (driver_.FindByText(w.hwnd, marker).empty()) continue;
                shown = marker;
                return w.hwnd;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    } while (Clock::now() < deadline && run_.Running());
    std::string wanted;
    for (const std::string& marker : markers)
        wanted += (wanted.empty() ? "\"" : " or \"") + marker + "\"";
    Fail("no page showing " + wanted + (run_.Running() ? "" : ": the installer has ended"));
    return std::string();
}

bool WizardWalk::Press(const std::string& window, const std::string& caption) {
    std::string button = driver_.FindByText(window, caption);
    if (button.empty()) return Fail("no control \"" + caption + "\": " + driver_.last_error());
    if (!driver_.Click(button))
        return Fail("cannot click \"" + caption + "\": " + driver_.last_error());
    return true;
}

bool WizardWalk::SetCheck(const std::string& window, const std::string& caption, bool checked) {
    if (!Press(window, caption)) return false;
    auto deadline = Clock::now() + std::chrono::milliseconds(kStepTimeoutMs);
    do {
        for (const Control& c : driver_.Controls(window))
            if (c.text == caption && c.checked == checked) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    } while (Clock::now() < deadline && run_.Running());
    return Fail("\"" + caption + "\" did not become " + (checked ? "ticked" : "unticked"));
}

std::string WizardWalk::Go(const std::string& from, const std::string& caption,
                           const std::string& marker) {
    std::string shown;
    return GoAny(from, caption, {marker}, shown);
}

std::string WizardWalk::GoAny(const std::string& from, const std::string& caption,
                              const std::vector<std::string>& markers, std::string& shown) {
    if (!Press(from, caption)) return std::string();
    if (!driver_.WaitHidden(from, kStepTimeoutMs)) {
        Fail("\"" + caption + "\" left the page up");
        return std::string();
    }
    return WaitAnyPage(markers, shown);
}

std::string WizardWalk::ToOptionsPage(bool has_license, int launch_timeout_ms) {
    std::string page = WaitPage(kWelcomeMarker, launch_timeout_ms);
    if (page.empty()) return page;
    if (has_license) {
        page = Go(page, kNextCaption, kLicenseMarker);
        if (page.empty() || !SetCheck(page, kAgreeCaption, true)) return std::string();
    }
    return Go(page, kNextCaption, kOptionsMarker);
}

bool WizardWalk::Install(const std::string& options_page, const Extras& extras) {
    if (extras.readme && !SetCheck(options_page, kCopyReadmeCaption, true)) return false;
    if (extras.favorites && !SetCheck(options_page, kFavoritesCaption, true)) return false;
    if (extras.desktop && !SetCheck(options_page, kDesktopUrlCaption, true)) return false;
    if (!Press(options_page, kInstallCaption)) return false;
    // The window may be gone already if the run was quick and ended.
    if (!driver_.WaitHidden(options_page, kStepTimeoutMs) && run_.Running())
        return Fail("Install left the options page up");
    return true;
}

WindowState WizardWalk::StateOf(const std::string& title) {
    WindowState state = WindowState::Missing;
    for (const WindowInfo& w : driver_.Windows(run_.windows_pid())) {
        if (w.title != title || w.class_name == "#32770") continue;
        if (w.visible) return WindowState::Visible;
        state = WindowState::Hidden;
    }
    return state;
}

}  // namespace e2e
