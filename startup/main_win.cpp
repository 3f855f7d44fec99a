// The installer starts with its start-up window, whose load step does the
// whole start-up; from then on everything happens in event handlers.
#include <windows.h>

#include "form.h"
#include "frm_startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    kv::ui::Initialise(instance);
    kv::frmStartup.Load();
    kv::ui::RunMessageLoop();
    kv::ui::EndProgram();
}
