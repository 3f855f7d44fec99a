// modWeb: opening web and mail links, the exit question and the end of a run.
#pragma once

#include <string>

#include "form.h"
#include "maker.h"

namespace kv {

// Opens the address as it stands with the program registered for it.
void OpenURL(const std::string& address);
void OpenWebSite();
void OpenMailLink();

// Deletes one file; every failure is ignored.
void KillFile(const std::string& path);

// Asks whether to give up. Returns only on No; Yes deletes every extracted
// file and ends the program.
void ConfirmExit(ui::Form& page);

// The ordinary end of a run: deletes the extracted files but the readme,
// hides the windows and ends the program.
[[noreturn]] void CleanUp();

}  // namespace kv
