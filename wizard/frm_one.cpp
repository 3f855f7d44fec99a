#include "frm_one.h"

#include "descriptor.h"
#include "files.h"
#include "frm_about.h"
#include "frm_license.h"
#include "frm_startup.h"
#include "frm_two.h"
#include "mod_web.h"
#include "name_rules.h"
#include "self_extract.h"
#include "text_utils.h"
#include "wizard_rules.h"

namespace kv {

using namespace design::frmOneIds;

namespace {

// Fills the page from the descriptor. A readme that cannot be read leaves
// its box empty and the page is shown. A descriptor that cannot be read up
// to its fifth field fails the load: the page is never shown with its
// placeholder texts, and the start-up's own read then ends the program.
void Form_Load() {
    bool signature_ok = false;
    if (ReadPackageSettings(kDescriptorFields, signature_ok) < kDescriptorFields - 1) {
        frmOne.Discard();
        return;
    }
    if (!signature_ok) DatafileCorrupted();

    frmOne.SetText(lblInstall, "Kervale will install the " + strFontName + " font.");

    if (strReadme != kNoReadme) {
        // Only an entry this run extracted: the descriptor may name any path.
        std::string text;
        if (extractedFiles.Holds(strReadme) && platform::ReadTextFile(strTempPath + strReadme, text))
            frmOne.SetText(txtReadme, LinesWithCrLf(text.data(), text.size()));
    } else {
        frmOne.SetVisible(txtReadme, false);
    }

    if (!strWebURL.empty())
        frmOne.SetText(lblWeb, strWebURL);
    else
        frmOne.SetVisible(lblWeb, false);
}

void Form_Unload(int& cancel) {
    ConfirmExit(frmOne);
    cancel = 1;
}

void cmdExit_Click() { ConfirmExit(frmOne); }

void cmdNext_Click() {
    frmOne.Hide();
    if (HasLicensePage(strLicense))
        frmLicense.Show();
    else
        frmTwo.Show();
}

// Non-modal: the page stays usable while the box is open.
void cmdAbout_Click() { frmAbout.Show(); }

// Only a web page: the program runs elevated, and the shell would just as
// well start a program or open a share for the package's address.
void lblWeb_Click() {
    const std::string address = frmOne.Text(lblWeb);
    if (IsWebAddress(address)) OpenURL(address);
}

void Click(int control) {
    switch (control) {
    case cmdNext: cmdNext_Click(); break;
    case cmdExit: cmdExit_Click(); break;
    case cmdAbout: cmdAbout_Click(); break;
    case lblWeb: lblWeb_Click(); break;
    default: break;
    }
}

const ui::FormEvents kEvents = {Form_Load, Form_Unload, Click};

}  // namespace

ui::Form frmOne(design::kOneDesign, kEvents);

}  // namespace kv
