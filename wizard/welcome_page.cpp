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
    frmOne.SetText(lblInstall, "Kervale will install the " + package.font_name + " font.");

    if (package.readme != kNoReadme) {
        std::string text;
        if (ReadExtractedText(package.readme, text)) frmOne.SetText(txtReadme, text);
    } else {
        frmOne.SetVisible(txtReadme, false);
    }

    if (!package.web_url.empty())
        frmOne.SetText(lblWeb, package.web_url);
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
    const std::string address = AddressToOpen(Settings().web_url);
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
