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

#include "files.h"
#include "form.h"
#include "startup_window.h"

// The linker's table of the globals' constructors, which its default script
// lays out as -1, the constructors, 0. The runtime's start-up runs them
// last to first; so do we.
extern "C" void (*__CTOR_LIST__[])();

namespace {

// Elevated and often started from Downloads, the program must not load a
// DLL that someone put beside it: every DLL loaded from here on (theming,
// the shell's helpers) comes from System32 only. Where Windows lacks that
// call (Vista and 7 without the 2011 update), at least the current folder
// leaves the search. The DLLs in the import table are all known DLLs, which
// Windows takes from System32 before this runs.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto set_default = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        kv::platform::SystemFunction("kernel32", "SetDefaultDllDirectories"));
    if (set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryW(L"");
}

void RunConstructors() {
    auto ctor = __CTOR_LIST__ + 1;
    while (*ctor) ++ctor;
    while (--ctor != __CTOR_LIST__) (*ctor)();
}

}  // namespace

// The constructors register the globals' destructors here. The program ends
// only through EndProgram (ExitProcess), which runs none of them, so there
// is nothing to record.
extern "C" int atexit(void (*)()) { return 0; }

// The linker's symbol at the start of the program's image: its instance.
extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" [[noreturn]] void __stdcall KervaleStart() {
    RestrictDllSearch();
    RunConstructors();
    kv::ui::Initialise(reinterpret_cast<HINSTANCE>(&__ImageBase));
    kv::frmStartup.Load();
    kv::ui::RunMessageLoop();
    kv::ui::EndProgram();
}
