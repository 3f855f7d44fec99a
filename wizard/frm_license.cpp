#include "frm_license.h"

#include "files.h"
#include "frm_one.h"
#include "frm_startup.h"
#include "frm_two.h"
#include "mod_web.h"
#include "self_extract.h"
#include "text_utils.h"

namespace kv {

using namespace design::frmLicenseIds;

namespace {

// A license that cannot be read, or that is not an entry this run
// extracted, leaves the box empty, without a message: the user can still
// agree and go on, or cancel.
void Form_Load() {
    std::string text;
    if (extractedFiles.Holds(strLicense) && platform::ReadTextFile(strTempPath + strLicense, text))
        frmLicense.SetText(txtLicense, LinesWithCrLf(text.data(), text.size()));
}

void Form_Unload(int& cancel) {
    ConfirmExit(frmLicense);
    cancel = 1;
}

void cmdNext_Click() {
    if (frmLicense.Checked(chkLicense)) {
        frmLicense.Hide();
        frmTwo.Show();
        return;
    }
    ui::MsgBox(
        "You must agree to the license agreement to continue.\r\n"
        "If you do not agree to the license agreement, click Cancel to close Kervale.");
}

void cmdBack_Click() {
    frmLicense.Hide();
    frmOne.Show();
}

void cmdExit_Click() { ConfirmExit(frmLicense); }

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

ui::Form frmLicense(design::kLicenseDesign, kEvents);

}  // namespace kv
