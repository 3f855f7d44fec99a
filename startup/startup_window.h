// frmStartup: the "please wait" window that runs the whole start-up. It stays
// loaded, hidden, to the end: its list lstFiles is the record of the packaged
// files, which the session walks.
#pragma once

#include "designs.h"
#include "form.h"

namespace kv {

extern ui::Form frmStartup;

}  // namespace kv
