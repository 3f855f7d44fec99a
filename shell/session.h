// The session: what one run of the installer knows about its package and
// how a run ends. It holds the package settings, the list of packaged files
// (shown by the start-up window's list box, the program's record of them)
// with what this run extracted of them, and offers the exit question and the
// clean end. The windows above register themselves here; this module
// includes nothing above shell/.
#pragma once

#include <string_view>

#include "descriptor.h"
#include "extraction_record.h"
#include "form.h"

namespace kv {

// The package settings are what the package descriptor says (descriptor.h:
// readme, license, font_name, web_url, link_name), read once by the start-up
// after the extraction (ReadPackageSettings); empty until then, never
// changed after. The pages and the install run read them here.
using PackageSettings = Descriptor;
const PackageSettings& Settings();

// The extraction folder, ending in a backslash; set by the extraction, which
// comes before the descriptor is read and writes the files it names.
extern String& strTempPath;
// Where the extracted copy of packaged file `name` lies: strTempPath + name.
String ExtractedPath(std::string_view name);

// Beside the list of packaged files: which of them this run wrote into the
// extraction folder. Only a name it holds is read, copied, installed or
// deleted there.
extern ExtractionRecord& extractedFiles;

// The list box that holds the packaged names, in trailer order.
void UseFileList(ui::Form& form, int list_box);
void AddPackagedFile(const char* name);
// Calls `visit(name)` for every packaged name, in list order.
void ForEachPackagedFile(void (*visit)(const String& name, void* context), void* context);
template <typename Visit>
void ForEachPackagedFile(Visit&& visit) {
    ForEachPackagedFile(
        [](const String& name, void* context) { (*static_cast<Visit*>(context))(name); }, &visit);
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
String GetWinDir();
// The folder `name` below it, ending in a backslash (FolderUnder); empty
// when the system cannot tell the Windows directory.
String WindowsFolder(const char* name);

// Reads the extracted descriptor into the package settings, whatever its
// signature (the clean end keeps the readme it names); a field the file
// ends before stays empty. Returns how many fields were read (0 when the
// file cannot be read); `signature_ok` tells whether the first is the
// signature.
int ReadPackageSettings(bool& signature_ok);

// The text of an extracted file as a text box shows it; false, and nothing
// read, when `name` is not an entry this run extracted or cannot be read.
bool ReadExtractedText(std::string_view name, String& text);

// Deletes one file; every failure is ignored.
void KillFile(const char* path);

// Deletes every file this run extracted but `*keep` (a listed name it
// skipped, or another account's file of that name, is never touched).
// Every way the run ends after the extraction goes through here.
void DeleteExtractedFiles(const String* keep = nullptr);

// Asks whether to give up. Returns only on No; Yes deletes every file this
// run extracted and ends the program.
void ConfirmExit(ui::Form& page);

// The ordinary end of a run: deletes the files this run extracted but the
// readme, hides the windows and ends the program.
[[noreturn]] void CleanUp();

// "The kervale datafile is corrupted.", then the clean end of the run.
[[noreturn]] void DatafileCorrupted();

}  // namespace kv
