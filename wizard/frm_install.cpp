#include "frm_install.h"

namespace kv {

namespace {

const ui::FormEvents kEvents = {nullptr, nullptr, nullptr};

}  // namespace

ui::Form frmInstall(design::kInstallDesign, kEvents);

}  // namespace kv
