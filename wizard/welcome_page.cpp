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

// Fills the page from the package settings, which the start-up has read
// and checked. A readme that cannot be read leaves its box empty and the
// page is shown.
void Form_Load() {
    const PackageSettings& package = Settings();
    frmOne.SetText(lblInstall,
                   Concat({"Kervale will install the ", package.font_name, " font."}).c_str());

    if (package.readme != kNoReadme) {
        String text;
        if (ReadExtractedText(package.readme, text)) frmOne.SetText(txtReadme, text.c_str());
    } else {
        frmOne.SetVisible(txtReadme, false);
    }

    if (!package.web_url.empty())
        frmOne.SetText(lblWeb, package.web_url.c_str());
    else
        frmOne.SetVisible(lblWeb, false);
}

void cmdNext_Click() { ShowNextPage(Page::Welcome); }

// Non-modal: the page stays usable while the box is open.
void cmdAbout_Click() { frmAbout.Show(); }

// The address the label shows. Only a web page or a mail link: the program
// runs elevated, and the shell would just as well start a program or open a
// share for the package's address.
void lblWeb_Click() {
    const String address = AddressToOpen(Settings().web_url);
    if (!address.empty()) OpenURL(address.c_str());
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
