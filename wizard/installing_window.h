// frmInstall: "Please Wait while Kervale installs the font...", shown by the
// install run while it works. No behaviour of its own and no close box.
#pragma once

#include "designs.h"
#include "form.h"

namespace kv {

extern ui::Form frmInstall;

}  // namespace kv
