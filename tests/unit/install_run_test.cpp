#include "install_run.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kv::InstallOutcome;

// Records every step the run asks for, one letter a step:
// S show installing, R readme, F Favorites, D desktop, T fonts,
// H hide installing, then the message (e font error, s shortcut message,
// i installed) and C the clean end.
class RecordingHost final : public kv::InstallHost {
public:
    bool favorites_ok = true, desktop_ok = true, fonts_ok = true;
    std::string steps;

    void ShowInstalling() override { steps += 'S'; }
    void CopyReadme() override { steps += 'R'; }
    bool MakeFavURL() override { return steps += 'F', favorites_ok; }
    bool MakeDesktopURL() override { return steps += 'D', desktop_ok; }
    bool InstallFonts() override { return steps += 'T', fonts_ok; }
    void HideInstalling() override { steps += 'H'; }
    void Tell(InstallOutcome outcome) override {
        steps += outcome == InstallOutcome::FontError        ? 'e'
                 : outcome == InstallOutcome::ShortcutFailed ? 's'
                                                             : 'i';
    }
    void CleanUp() override { steps += 'C'; }
};

// The rules as the options page's design states them: readme first,
// Favorites before the desktop shortcut and a failed Favorites shortcut
// skips the desktop one, fonts always, one message, the installing window
// hidden only before the success message, the clean end last.
TEST(RunInstall, OrderAndTheOneMessage) {
    struct Case {
        bool readme, favorites, desktop;  // ticked
        bool favorites_ok, desktop_ok, fonts_ok;
        const char* steps;
    };
    const Case cases[] = {
        {false, false, false, true, true, true, "STHiC"},
        {true, true, true, true, true, true, "SRFDTHiC"},
        {false, true, true, false, true, true, "SFTsC"},
        {false, false, true, true, false, true, "SDTsC"},
        {true, true, false, true, true, false, "SRFTeC"},
        {false, true, true, false, false, false, "SFTeC"},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.favorites_ok = c.favorites_ok;
        host.desktop_ok = c.desktop_ok;
        host.fonts_ok = c.fonts_ok;
        kv::InstallChoices choices;
        choices.copy_readme = c.readme;
        choices.favorites = c.favorites;
        choices.desktop_shortcut = c.desktop;
        kv::RunInstall(choices, host);
        EXPECT_EQ(host.steps, c.steps);
    }
}

}  // namespace
