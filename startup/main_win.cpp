// The installer starts with its start-up window, whose load step does the
// whole start-up; from then on everything happens in event handlers.
//
// The entry point is ours, not the C runtime's (the stub links with
// -nostartfiles): the runtime's start-up code parses a command line, sets up
// TLS callbacks, the FPU, exit handlers and unwinding tables, none of which
// this program uses, and it weighs about 10 KB in a stub that ships in every
// package. msvcrt's DLL functions (malloc, memcpy, ...) still come from the
// DLL, which initialises itself when it is loaded.
#include <windows.h>

#include "form.h"
#include "frm_startup.h"

// The linker's table of the globals' constructors, which its default script
// lays out as -1, the constructors, 0. The runtime's start-up runs them
// last to first; so do we.
extern "C" void (*__CTOR_LIST__[])();

namespace {

void RunConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1]) ++count;
    for (int i = count; i > 0; --i) __CTOR_LIST__[i]();
}

}  // namespace

// The constructors register the globals' destructors here. The program ends
// only through EndProgram (ExitProcess), which runs none of them, so there
// is nothing to record.
extern "C" int atexit(void (*)()) { return 0; }

extern "C" [[noreturn]] void __stdcall KervaleStart() {
    RunConstructors();
    kv::ui::Initialise(GetModuleHandleA(nullptr));
    kv::frmStartup.Load();
    kv::ui::RunMessageLoop();
    kv::ui::EndProgram();
}
