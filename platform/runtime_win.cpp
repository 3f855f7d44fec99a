// The stub is built without exceptions. The C++ library still names its
// throw helpers and a throwing operator new, and linking those would bring
// in the whole exception runtime (unwinder, terminate handler, demangler:
// about 200 KB). These replacements end the program instead, after the
// clean-up set with SetFatalCleanUp; they are only reached on a broken
// invariant or when memory runs out.
#include <windows.h>

#include <bits/functexcept.h>
#include <cstdlib>
#include <new>

#include "runtime_win.h"

namespace {

void (*g_fatal_clean_up)() = nullptr;

[[noreturn]] void Fatal() {
    // Once: a failure inside the clean-up ends the program at once.
    static bool ending = false;
    if (!ending && g_fatal_clean_up) {
        ending = true;
        g_fatal_clean_up();
    }
    ExitProcess(3);
}

}  // namespace

void kv::platform::SetFatalCleanUp(void (*clean_up)()) { g_fatal_clean_up = clean_up; }

void* operator new(std::size_t n) {
    if (void* p = std::malloc(n ? n : 1)) return p;
    Fatal();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace std {
void __throw_bad_alloc() { Fatal(); }
void __throw_bad_array_new_length() { Fatal(); }
void __throw_logic_error(const char*) { Fatal(); }
void __throw_length_error(const char*) { Fatal(); }
void __throw_out_of_range(const char*) { Fatal(); }
void __throw_out_of_range_fmt(const char*, ...) { Fatal(); }
void __throw_invalid_argument(const char*) { Fatal(); }
}  // namespace std
