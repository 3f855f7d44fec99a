// frmOne: the welcome page. Names the font, shows the readme and the
// package's web link.
#pragma once

#include "designs.h"
#include "form.h"

namespace kv {

extern ui::Form frmOne;

}  // namespace kv
