// The install run behind the options page's Install button: the chosen
// extras, the fonts, exactly one outcome message, then the clean end.
#include "install_run.h"

#include "designs.h"
#include "frm_install.h"
#include "frm_two.h"
#include "install_actions.h"
#include "mod_web.h"
#include "self_extract.h"

namespace kv {

void RunInstall() {
    using namespace design::frmTwoIds;
    frmTwo.Hide();
    frmInstall.Show();
    ui::YieldToEvents();  // paint the installing window before the copies

    if (frmTwo.Checked(chkCopy)) CopyReadme();

    bool shortcut_failed = false;
    if (frmTwo.Checked(chkFav) && !MakeFavURL(strWebURL)) {
        shortcut_failed = true;  // the desktop shortcut is then not attempted
    } else if (frmTwo.Checked(chkDesktopURL) && !MakeDesktopURL(strWebURL)) {
        shortcut_failed = true;
    }

    // The fonts are copied even after a failed shortcut, so the message
    // below never says the font was installed when it was not.
    if (!InstallFonts()) {
        ui::MsgBox("Font Error: Font Already Installed");
    } else if (shortcut_failed) {
        ui::MsgBox("The font was installed, but the Web shortcut could not be created.", ui::kMsgOk,
                   "Error");
    } else {
        frmInstall.Hide();
        ui::MsgBox("The font was installed.\r\nThanks for using Kervale!");
    }
    CleanUp();
}

}  // namespace kv
