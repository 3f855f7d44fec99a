#include "welcome_page.h"

#include "descriptor.h"
#include "about_box.h"
#include "links.h"
#include "name_rules.h"
#include "pages.h"
#include "session.h"

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
        std::string text;
        if (ReadExtractedText(strReadme, text)) frmOne.SetText(txtReadme, text);
    } else {
        frmOne.SetVisible(txtReadme, false);
    }

    if (!strWebURL.empty())
        frmOne.SetText(lblWeb, strWebURL);
    else
        frmOne.SetVisible(lblWeb, false);
}

void cmdNext_Click() { ShowNextPage(Page::Welcome); }

// Non-modal: the page stays usable while the box is open.
void cmdAbout_Click() { frmAbout.Show(); }

// Only a web page or a mail link: the program runs elevated, and the shell
// would just as well start a program or open a share for the package's
// address.
void lblWeb_Click() {
    const std::string address = AddressToOpen(frmOne.Text(lblWeb));
    if (!address.empty()) OpenURL(address);
}

using PageWelcome = SharedHandlers<Page::Welcome>;
const ui::ClickHandler kClicks[] = {{cmdNext, cmdNext_Click},
                                    {cmdExit, PageWelcome::cmdExit_Click},
                                    {cmdAbout, cmdAbout_Click},
                                    {lblWeb, lblWeb_Click}};
const ui::FormEvents kEvents = ui::Events(Form_Load, PageWelcome::Form_Unload, kClicks);

}  // namespace

ui::Form frmOne(design::kOneDesign, kEvents);

}  // namespace kv
