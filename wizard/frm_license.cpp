#include "frm_license.h"

#include "pages.h"
#include "session.h"

namespace kv {

using namespace design::frmLicenseIds;

namespace {

// A license that cannot be read, or that is not an entry this run
// extracted, leaves the box empty, without a message: the user can still
// agree and go on, or cancel.
void Form_Load() {
    std::string text;
    if (ReadExtractedText(strLicense, text)) frmLicense.SetText(txtLicense, text);
}

void Form_Unload(int& cancel) { RefuseUnload(Page::License, cancel); }

void cmdNext_Click() {
    if (frmLicense.Checked(chkLicense)) {
        ShowNextPage(Page::License);
        return;
    }
    ui::MsgBox(
        "You must agree to the license agreement to continue.\r\n"
        "If you do not agree to the license agreement, click Cancel to close Kervale.");
}

void cmdBack_Click() { ShowPreviousPage(Page::License); }

void cmdExit_Click() { CancelPage(Page::License); }

const ui::ClickHandler kClicks[] = {
    {cmdNext, cmdNext_Click},
    {cmdBack, cmdBack_Click},
    {cmdExit, cmdExit_Click},
};
const ui::FormEvents kEvents = ui::Events(Form_Load, Form_Unload, kClicks);

}  // namespace

ui::Form frmLicense(design::kLicenseDesign, kEvents);

}  // namespace kv
