#include "about_box.h"

#include "links.h"
#include "version.h"

namespace kv {

using namespace design::frmAboutIds;

namespace {

void Form_Load() { frmAbout.SetText(lblVersion, KV_VERSION_CAPTION); }

void cmdOK_Click() { frmAbout.Unload(); }

// The links open the fixed addresses, whatever the labels show.
void lblVelmarin_Click() { OpenWebSite(); }
void Label1_Click() { OpenMailLink(); }

const ui::ClickHandler kClicks[] = {
    {cmdOK, cmdOK_Click}, {lblVelmarin, lblVelmarin_Click}, {Label1, Label1_Click}};
// No unload handler: the close box destroys the box without a question.
const ui::FormEvents kEvents = ui::Events(Form_Load, nullptr, kClicks);

}  // namespace

ui::Form frmAbout(design::kAboutDesign, kEvents);

}  // namespace kv
