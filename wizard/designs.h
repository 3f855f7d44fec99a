// The design of every installer window: caption, frame, size, and the
// controls in tab order. Each window's control enum lists the same controls
// in the same order as its table, so code names a control by its design name.
#pragma once

#include "form_design.h"

namespace kv::design {

namespace frmStartupIds {
enum Control : int { lblInfo, lstFiles, kControlCount };
}

namespace frmOneIds {
// The shared page elements (logo and separator) follow the tab-ordered controls.
enum Control : int {
    lblWelcome,
    lblInstall,
    cmdAbout,
    Label1,
    cmdNext,
    cmdBack,
    cmdExit,
    lblWeb,
    txtReadme,
    Image1,
    Line1_1,
    Line1_0,
    kControlCount
};
}

extern const ui::FormDesign kStartupDesign;
extern const ui::FormDesign kOneDesign;

}  // namespace kv::design
