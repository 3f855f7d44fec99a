// frmLicense: the license page. Shows the license text and goes on only
// once "I Agree" is ticked.
#pragma once

#include "designs.h"
#include "form.h"

namespace kv {

extern ui::Form frmLicense;

}  // namespace kv
