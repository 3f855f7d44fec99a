// frmTwo: the options page. Offers the extras the package supports; its
// Install button hands the ticked ones to the install run.
#pragma once

#include "designs.h"
#include "form.h"

namespace kv {

extern ui::Form frmTwo;

}  // namespace kv
