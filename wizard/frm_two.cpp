#include "frm_two.h"

#include "frm_license.h"
#include "frm_one.h"
#include "install_run.h"
#include "mod_web.h"
#include "self_extract.h"
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

void Form_Unload(int& cancel) {
    ConfirmExit(frmTwo);
    cancel = 1;
}

// Install: final, the run ends the program.
void cmdNext_Click() { RunInstall(); }

void cmdBack_Click() {
    frmTwo.Hide();
    if (HasLicensePage(strLicense))
        frmLicense.Show();
    else
        frmOne.Show();
}

void cmdExit_Click() { ConfirmExit(frmTwo); }

void Click(int control) {
    switch (control) {
    case cmdNext: cmdNext_Click(); break;
    case cmdBack: cmdBack_Click(); break;
    case cmdExit: cmdExit_Click(); break;
    default: break;
    }
}

const ui::FormEvents kEvents = {Form_Load, Form_Unload, Click};

}  // namespace

ui::Form frmTwo(design::kTwoDesign, kEvents);

}  // namespace kv
