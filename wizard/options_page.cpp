#include "options_page.h"

#include "installing_window.h"
#include "install_actions.h"
#include "pages.h"
#include "session.h"
#include "wizard_rules.h"

namespace kv {

using namespace design::frmTwoIds;

namespace {

void Form_Load() {
    const PackageSettings& package = Settings();
    const OptionsLayout layout = LayOutOptions(package.readme, package.web_url, package.link_name);
    if (layout.link_frame) {
        frmTwo.SetVisible(fraLink, true);
        frmTwo.SetText(fraLink, layout.link_caption.c_str());
    }
    if (!layout.copy_readme) frmTwo.SetVisible(chkCopy, false);
    if (!layout.options_frame) frmTwo.SetVisible(fraOptions, false);
}

// Install: final, the run ends the program.
void cmdNext_Click() {
    InstallChoices choices;
    choices.copy_readme = frmTwo.Checked(chkCopy);
    choices.desktop_shortcut = frmTwo.Checked(chkDesktopURL);
    choices.favorites = frmTwo.Checked(chkFav);
    Install(choices, frmTwo, frmInstall);
}

// Back, Cancel and the close box: cmdBack_Click, cmdExit_Click and
// Form_Unload, shared by the pages (pages.h).
using Events = PageWithBack<Page::Options, cmdNext, cmdBack, cmdExit, Form_Load, cmdNext_Click>;

}  // namespace

ui::Form frmTwo(design::kTwoDesign, Events::kEvents);

}  // namespace kv
