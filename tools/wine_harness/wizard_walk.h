// Walks the installer's wizard the way a user does, through the driver: the
// install tests, the install benchmark and kervale-demo all go the same way
// from the welcome page to the outcome message. Failures come back as text
// (error()), so a program without a test framework can use it too.
#pragma once

#include <string>
#include <vector>

#include "wine_harness/driver_client.h"
#include "wine_harness/installer_run.h"

namespace e2e {

// The extras a user may tick on the options page.
struct Extras {
    bool readme = false;
    bool favorites = false;
    bool desktop = false;
};

enum class WindowState { Missing, Hidden, Visible };

class WizardWalk {
public:
    WizardWalk(DriverClient& driver, InstallerRun& run) : driver_(driver), run_(run) {}

    // The visible wizard page that shows `marker`; empty on a timeout.
    std::string WaitPage(const std::string& marker, int timeout_ms = kStepTimeoutMs);
    // The visible wizard page that shows one of `markers`, and in `shown`
    // the one it shows: a walk that does not know the package tells the
    // pages by what appears.
    std::string WaitAnyPage(const std::vector<std::string>& markers, std::string& shown,
                            int timeout_ms = kStepTimeoutMs);
    // Presses the button (or ticks the box) of `window` with this caption.
    bool Press(const std::string& window, const std::string& caption);
    // Clicks a check box and waits until it shows `checked`.
    bool SetCheck(const std::string& window, const std::string& caption, bool checked);
    // Presses `caption` on `from` and waits for the page showing `marker`;
    // the old page must have gone.
    std::string Go(const std::string& from, const std::string& caption, const std::string& marker);
    // The same, for whichever page of `markers` comes next.
    std::string GoAny(const std::string& from, const std::string& caption,
                      const std::vector<std::string>& markers, std::string& shown);

    // From launch: the welcome page, then the license page if the package
    // has one ("I Agree" ticked), then the options page, which is returned.
    std::string ToOptionsPage(bool has_license, int launch_timeout_ms = kLaunchTimeoutMs);
    // Ticks the chosen extras and presses Install; true once the options
    // page has gone.
    bool Install(const std::string& options_page, const Extras& extras);

    // The state of the installer's own top-level window with this title
    // (message boxes aside).
    WindowState StateOf(const std::string& title);

    const std::string& error() const { return error_; }

private:
    bool Fail(const std::string& why);

    DriverClient& driver_;
    InstallerRun& run_;
    std::string error_;
};

}  // namespace e2e
