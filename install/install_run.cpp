#include "install_run.h"

namespace kv {

InstallOutcome RunInstall(const InstallChoices& choices, InstallHost& host) {
    host.ShowInstalling();
    if (choices.copy_readme) host.CopyReadme();

    bool shortcut_failed = false;
    if (choices.favorites && !host.MakeFavURL()) {
        shortcut_failed = true;  // the desktop shortcut is then not attempted
    } else if (choices.desktop_shortcut && !host.MakeDesktopURL()) {
        shortcut_failed = true;
    }

    InstallOutcome outcome = InstallOutcome::Installed;
    if (!host.InstallFonts()) {
        outcome = InstallOutcome::FontError;
    } else if (shortcut_failed) {
        outcome = InstallOutcome::ShortcutFailed;
    } else {
        host.HideInstalling();
    }
    host.Tell(outcome);
    host.CleanUp();
    return outcome;
}

}  // namespace kv
