// frmTwo: the options page. Offers the extras the package supports; its
// Install button starts the install run, which reads the check boxes
// (frmTwo.Checked(design::frmTwoIds::chkCopy) and so on).
#pragma once

#include "designs.h"
#include "form.h"

namespace kv {

extern ui::Form frmTwo;

}  // namespace kv
