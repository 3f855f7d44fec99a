// The stub's ends for what the C++ library cannot report without
// exceptions: memory running out, a broken invariant (runtime_win.cpp).
#pragma once

namespace kv::platform {

// Runs before the program ends because memory ran out or the C++ library
// found a broken invariant; it must not rely on much memory.
void SetFatalCleanUp(void (*clean_up)());

}  // namespace kv::platform
