// The session: what one run of the installer knows about its package and
// how a run ends. It holds the package settings, the list of packaged files
// (shown by the start-up window's list box, the program's record of them)
// with what this run extracted of them, and offers the exit question and the
// clean end. The windows above register themselves here; this module
// includes nothing above shell/.
#pragma once

#include <string>

#include "extraction_record.h"
#include "form.h"

namespace kv {

// What the package descriptor says, read once by the start-up after the
// extraction (ReadPackageSettings); empty until then, never changed after.
// The pages and the install run read them here.
struct PackageSettings {
    std::string readme;     // readme file name, or "NOREADME"
    std::string license;    // license file name, or "NOLICENSE"
    std::string font_name;  // shown on the welcome page
    std::string web_url;    // empty: no web link
    std::string link_name;  // the web link's title, which names the shortcut files
};
const PackageSettings& Settings();

// The extraction folder, ending in a backslash; set by the extraction, which
// comes before the descriptor is read and writes the files it names.
extern std::string strTempPath;

// Beside the list of packaged files: which of them this run wrote into the
// extraction folder. Only a name it holds is read, copied, installed or
// deleted there.
extern ExtractionRecord extractedFiles;

// The list box that holds the packaged names, in trailer order.
void UseFileList(ui::Form& form, int list_box);
void AddPackagedFile(const std::string& name);
// Calls `visit(name)` for every packaged name, in list order.
void ForEachPackagedFile(void (*visit)(const std::string& name, void* context), void* context);
template <typename Visit>
void ForEachPackagedFile(Visit&& visit) {
    ForEachPackagedFile(
        [](const std::string& name, void* context) { (*static_cast<Visit*>(context))(name); },
        &visit);
}

// The windows the ends of a run hide: `about` beside the page on the exit
// question; `end_order`, every window in the order the clean end hides them.
// The list is kept, not copied.
void SetWindows(ui::Form& about, ui::Form* const* end_order, int count);
template <int N>
void SetWindows(ui::Form& about, ui::Form* const (&end_order)[N]) {
    SetWindows(about, end_order, N);
}

// The system's Windows directory (on a Remote Desktop host too, where each
// user has a private one), without a trailing backslash unless the system
// gives one; empty when the system cannot tell.
std::string GetWinDir();

// Reads the extracted descriptor into the package settings: fields 2 to 5
// once five are read, whatever the signature (the clean end keeps the readme
// it names), and the link title when the sixth is there too. Returns how
// many fields were read (0 when the file cannot be read); `signature_ok`
// tells whether the first is the signature.
int ReadPackageSettings(bool& signature_ok);

// The text of an extracted file as a text box shows it; false, and nothing
// read, when `name` is not an entry this run extracted or cannot be read.
bool ReadExtractedText(const std::string& name, std::string& text);

// Deletes one file; every failure is ignored.
void KillFile(const std::string& path);

// Deletes every file this run extracted but `*keep` (a listed name it
// skipped, or another account's file of that name, is never touched).
// Every way the run ends after the extraction goes through here.
void DeleteExtractedFiles(const std::string* keep = nullptr);

// Asks whether to give up. Returns only on No; Yes deletes every file this
// run extracted and ends the program.
void ConfirmExit(ui::Form& page);

// The ordinary end of a run: deletes the files this run extracted but the
// readme, hides the windows and ends the program.
[[noreturn]] void CleanUp();

// "The kervale datafile is corrupted.", then the clean end of the run.
[[noreturn]] void DatafileCorrupted();

}  // namespace kv
