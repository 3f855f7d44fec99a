#include "mod_web.h"

#include "designs.h"
#include "files.h"
#include "frm_about.h"
#include "frm_license.h"
#include "frm_one.h"
#include "frm_startup.h"
#include "frm_two.h"
#include "self_extract.h"

namespace kv {

namespace {

// Once the program has begun to end, no window may ask the exit question
// again, nor may a second question open while one is on screen.
bool g_ending = false;
bool g_asking = false;

constexpr int kFileList = design::frmStartupIds::lstFiles;

}  // namespace

void OpenURL(const std::string& address) { platform::ShellOpen(address.c_str()); }

void OpenWebSite() { platform::ShellOpen(kMakerWebSite); }

void OpenMailLink() {
    std::string address = "mailto:";
    address += kContactMail;
    platform::ShellOpen(address.c_str());
}

void KillFile(const std::string& path) { platform::DeleteOneFile(path); }

void ConfirmExit(ui::Form& page) {
    if (g_ending || g_asking) return;
    g_asking = true;
    const int answer = ui::MsgBox(
        "Kervale has not finished installing the font. Are you sure you want to exit?",
        ui::kMsgYesNo, "Kervale");
    g_asking = false;
    if (answer == ui::kAnswerNo) return;

    g_ending = true;
    const int count = frmStartup.ItemCount(kFileList);
    for (int i = 0; i < count; ++i) KillFile(strTempPath + frmStartup.Item(kFileList, i));
    page.Hide();
    frmAbout.Hide();
    ui::EndProgram();
}

void CleanUp() {
    g_ending = true;
    const int count = frmStartup.ItemCount(kFileList);
    for (int i = 0; i < count; ++i) {
        const std::string entry = frmStartup.Item(kFileList, i);
        if (entry != strReadme) KillFile(strTempPath + entry);
    }
    frmAbout.Hide();
    frmLicense.Hide();
    frmStartup.Hide();
    frmTwo.Hide();
    frmOne.Hide();
    ui::EndProgram();
}

}  // namespace kv
