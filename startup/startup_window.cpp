#include "startup_window.h"

#include "files.h"
#include "about_box.h"
#include "license_page.h"
#include "welcome_page.h"
#include "options_page.h"
#include "installer_verdict.h"
#include "self_extract.h"
#include "session.h"

namespace kv {

using namespace design::frmStartupIds;

namespace {

// Also after the extraction: what this run wrote goes first.
[[noreturn]] void DamagedFile() {
    DeleteExtractedFiles();
    ui::MsgBox("This file is damaged. Try downloading the file again.", ui::kMsgCritical, "Error");
    ui::EndProgram();
}

// Ends the run the way the installer refuses a package: what this run
// wrote, if anything, is deleted first.
void Refuse(InstallerVerdict verdict) {
    switch (verdict.outcome()) {
    case InstallerOutcome::Runs: return;
    case InstallerOutcome::DamagedFile: DamagedFile();
    case InstallerOutcome::DatafileCorrupted: DatafileCorrupted();
    }
}

// The window keeps painting while the checksum is computed.
void KeepPainting(void*) { ui::YieldToEvents(); }

// The order in which the clean end hides the windows.
ui::Form* const kEndOrder[] = {&frmAbout, &frmLicense, &frmStartup, &frmTwo, &frmOne};

void Form_Load() {
    UseFileList(frmStartup, lstFiles);
    SetWindows(frmAbout, kEndOrder);
    frmStartup.Show();
    // The image that runs, opened once and held to the end of the
    // extraction: what is extracted is the very file that was listed and
    // checked, and it cannot be renamed or rewritten meanwhile. One that
    // could not be opened reads nothing, and the verdict calls that damage.
    platform::FileSource package(platform::OpenOwnImage());
    // Every packaged name goes into lstFiles; the package is judged before
    // anything is written.
    const PackageWalk walk = WalkPackage(
        package, [](const TrailerEntry& entry) { AddPackagedFile(entry.name.c_str()); },
        KeepPainting, nullptr);
    Refuse(JudgeAsInstaller(walk.facts, nullptr));

    if (!ExtractFiles(package)) DamagedFile();
    frmStartup.Hide();

    // The descriptor, read once into the package settings: a missing or
    // short one ends the program as a damaged file does, a wrong signature
    // with its own message, both before any page is built.
    DescriptorFacts descriptor;
    descriptor.fields = ReadPackageSettings(descriptor.signature_valid);
    Refuse(JudgeAsInstaller(walk.facts, &descriptor));
    frmOne.Show();
}

const ui::FormEvents kEvents = ui::Events(Form_Load, nullptr);

}  // namespace

ui::Form frmStartup(design::kStartupDesign, kEvents);

}  // namespace kv
