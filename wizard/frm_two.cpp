#include "frm_two.h"

#include "frm_install.h"
#include "install_actions.h"
#include "pages.h"
#include "session.h"
#include "wizard_rules.h"

namespace kv {

using namespace design::frmTwoIds;

namespace {

void Form_Load() {
    const OptionsLayout layout = LayOutOptions(strReadme, strWebURL, strLinkName);
    if (layout.link_frame) {
        frmTwo.SetVisible(fraLink, true);
        frmTwo.SetText(fraLink, layout.link_caption);
    }
    if (!layout.copy_readme) frmTwo.SetVisible(chkCopy, false);
    if (!layout.options_frame) frmTwo.SetVisible(fraOptions, false);
}

void Form_Unload(int& cancel) { RefuseUnload(Page::Options, cancel); }

// Install: final, the run ends the program.
void cmdNext_Click() {
    InstallChoices choices;
    choices.copy_readme = frmTwo.Checked(chkCopy);
    choices.desktop_shortcut = frmTwo.Checked(chkDesktopURL);
    choices.favorites = frmTwo.Checked(chkFav);
    Install(choices, frmTwo, frmInstall);
}

void cmdBack_Click() { ShowPreviousPage(Page::Options); }

void cmdExit_Click() { CancelPage(Page::Options); }

const ui::ClickHandler kClicks[] = {
    {cmdNext, cmdNext_Click},
    {cmdBack, cmdBack_Click},
    {cmdExit, cmdExit_Click},
};
const ui::FormEvents kEvents = ui::Events(Form_Load, Form_Unload, kClicks);

}  // namespace

ui::Form frmTwo(design::kTwoDesign, kEvents);

}  // namespace kv
