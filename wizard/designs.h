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
}  // namespace frmOneIds

namespace frmLicenseIds {
enum Control : int {
    lblWelcome,
    Label1,
    chkLicense,
    cmdNext,
    cmdBack,
    cmdExit,
    txtLicense,
    Image1,
    Line1_1,
    Line1_0,
    kControlCount
};
}

namespace frmTwoIds {
// fraOptions holds chkCopy and fraLink; fraLink holds chkDesktopURL and chkFav.
enum Control : int {
    lblWelcome,
    Label1,
    cmdNext,
    cmdBack,
    fraOptions,
    chkCopy,
    fraLink,
    chkDesktopURL,
    chkFav,
    cmdExit,
    Image1,
    Line1_1,
    Line1_0,
    kControlCount
};
}  // namespace frmTwoIds

namespace frmAboutIds {
enum Control : int { lblVelmarin, lblAbout, cmdOK, Label1, lblVersion, kControlCount };
}

namespace frmInstallIds {
enum Control : int { lblInstalling, kControlCount };
}

extern const ui::FormDesign kStartupDesign;
extern const ui::FormDesign kOneDesign;
extern const ui::FormDesign kLicenseDesign;
extern const ui::FormDesign kTwoDesign;
extern const ui::FormDesign kAboutDesign;
extern const ui::FormDesign kInstallDesign;

// The About box's fixed text.
extern const char kAboutText[];

}  // namespace kv::design
