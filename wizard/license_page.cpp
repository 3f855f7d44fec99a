#include "license_page.h"

#include "pages.h"
#include "session.h"

namespace kv {

using namespace design::frmLicenseIds;

namespace {

// A license that cannot be read, or that is not an entry this run
// extracted, leaves the box empty, without a message: the user can still
// agree and go on, or cancel.
void Form_Load() {
    String text;
    if (ReadExtractedText(Settings().license, text)) frmLicense.SetText(txtLicense, text.c_str());
}

void cmdNext_Click() {
    if (frmLicense.Checked(chkLicense)) {
        ShowNextPage(Page::License);
        return;
    }
    ui::MsgBox(
        "You must agree to the license agreement to continue.\r\n"
        "If you do not agree to the license agreement, click Cancel to close Kervale.");
}

// Back, Cancel and the close box: cmdBack_Click, cmdExit_Click and
// Form_Unload, shared by the pages (pages.h).
using Events = PageWithBack<Page::License, cmdNext, cmdBack, cmdExit, Form_Load, cmdNext_Click>;

}  // namespace

ui::Form frmLicense(design::kLicenseDesign, Events::kEvents);

}  // namespace kv
