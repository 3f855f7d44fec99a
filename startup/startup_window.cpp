#include "startup_window.h"

#include "descriptor.h"
#include "files.h"
#include "about_box.h"
#include "license_page.h"
#include "welcome_page.h"
#include "options_page.h"
#include "integrity.h"
#include "self_extract.h"
#include "session.h"
#include "trailer.h"

namespace kv {

using namespace design::frmStartupIds;

namespace {

// Also after the extraction: what this run wrote goes first.
[[noreturn]] void DamagedFile() {
    DeleteExtractedFiles();
    ui::MsgBox("This file is damaged. Try downloading the file again.", ui::kMsgCritical, "Error");
    ui::EndProgram();
}

// Lists every packaged name into lstFiles; the trailer is read whole before
// anything is written.
void ListPackagedFiles(ByteSource& package) {
    TrailerWalker walker(package);
    if (walker.Start() != TrailerError::None) DamagedFile();
    TrailerEntry entry;
    bool descriptor_listed = false;
    while (!walker.done()) {
        if (walker.Next(entry) != TrailerError::None) DamagedFile();
        AddPackagedFile(entry.name.c_str());
        descriptor_listed = descriptor_listed || entry.name == kDescriptorName;
    }
    // A package that carries a checksum is checked whole before anything is
    // written, so a damaged download never installs a broken font. The
    // window keeps painting meanwhile.
    const IntegrityState integrity = CheckIntegrity(
        package, walker.package_end(), walker.lowest_offset(), [](void*) { ui::YieldToEvents(); },
        nullptr);
    if (IsDamaged(integrity)) DamagedFile();
    // Without a descriptor the run would end with the same message after the
    // extraction; say it before anything is written. A cut-off download
    // reads this way: its walk finds other entries but never the descriptor.
    if (!descriptor_listed) DamagedFile();
}

// The order in which the clean end hides the windows.
ui::Form* const kEndOrder[] = {&frmAbout, &frmLicense, &frmStartup, &frmTwo, &frmOne};

void Form_Load() {
    UseFileList(frmStartup, lstFiles);
    SetWindows(frmAbout, kEndOrder);
    frmStartup.Show();
    // The image that runs, opened once and held to the end of the
    // extraction: what is extracted is the very file that was listed and
    // checked, and it cannot be renamed or rewritten meanwhile.
    platform::FileSource package(platform::OpenOwnImage());
    if (!package.valid()) DamagedFile();
    ListPackagedFiles(package);

    if (!ExtractFiles(package)) DamagedFile();
    frmStartup.Hide();

    // The descriptor, read once: a missing or short one ends the program as
    // a damaged file does, a wrong signature with its own message, both
    // before any page is built.
    bool signature_ok = false;
    if (ReadPackageSettings(signature_ok) < kDescriptorFields - 1) DamagedFile();
    if (!signature_ok) DatafileCorrupted();
    frmOne.Show();
}

const ui::FormEvents kEvents = ui::Events(Form_Load, nullptr);

}  // namespace

ui::Form frmStartup(design::kStartupDesign, kEvents);

}  // namespace kv
