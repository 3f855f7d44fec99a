// frmAbout: the About box. Non-modal beside the wizard; OK or its close box
// destroy it, and the next About click builds it anew.
#pragma once

#include "designs.h"
#include "form.h"

namespace kv {

extern ui::Form frmAbout;

}  // namespace kv
