#include "frm_about.h"

#include "mod_web.h"
#include "version.h"
#include "wizard_rules.h"

namespace kv {

using namespace design::frmAboutIds;

namespace {

void Form_Load() {
    frmAbout.SetText(lblVersion,
                     VersionCaption(KV_VERSION_MAJOR, KV_VERSION_MINOR, KV_VERSION_REVISION));
}

void cmdOK_Click() { frmAbout.Unload(); }

// The links open the fixed addresses, whatever the labels show.
void lblVelmarin_Click() { OpenWebSite(); }
void Label1_Click() { OpenMailLink(); }

void Click(int control) {
    switch (control) {
    case cmdOK: cmdOK_Click(); break;
    case lblVelmarin: lblVelmarin_Click(); break;
    case Label1: Label1_Click(); break;
    default: break;
    }
}

// No unload handler: the close box destroys the box without a question.
const ui::FormEvents kEvents = {Form_Load, nullptr, Click};

}  // namespace

ui::Form frmAbout(design::kAboutDesign, kEvents);

}  // namespace kv
