// The install run behind the options page's Install button, free of
// Windows: the extras the user ticked, then the fonts, then exactly one
// message, then the clean end. The Win32 side supplies the steps through
// InstallHost, as the extraction's host does for the extraction walk.
#pragma once

namespace kv {

// What the options page had ticked when Install was pressed. A check box
// the page did not show was never ticked.
struct InstallChoices {
    bool copy_readme = false;       // chkCopy
    bool desktop_shortcut = false;  // chkDesktopURL
    bool favorites = false;         // chkFav
};

// The one message that tells the user the outcome.
enum class InstallOutcome { FontError, ShortcutFailed, Installed };

class InstallHost {
public:
    // Hides the options page and shows the installing window.
    virtual void ShowInstalling() = 0;
    // The readme copy never fails the run.
    virtual void CopyReadme() = 0;
    virtual bool MakeFavURL() = 0;
    virtual bool MakeDesktopURL() = 0;
    virtual bool InstallFonts() = 0;
    virtual void HideInstalling() = 0;
    virtual void Tell(InstallOutcome outcome) = 0;
    // The clean end of the run; the real one does not return.
    virtual void CleanUp() = 0;

protected:
    // Never deleted through this interface: no virtual destructor to carry.
    ~InstallHost() = default;
};

// The order and the outcome rules: the readme copy first; the Favorites
// shortcut, then the desktop one, which a failed Favorites shortcut skips;
// the fonts even after a failed shortcut, so the message never says the
// font was installed when it was not; the installing window goes before
// the success message only; then the clean end.
InstallOutcome RunInstall(const InstallChoices& choices, InstallHost& host);

}  // namespace kv
