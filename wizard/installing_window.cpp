#include "installing_window.h"

namespace kv {

namespace {

const ui::FormEvents kEvents = ui::Events(nullptr, nullptr);

}  // namespace

ui::Form frmInstall(design::kInstallDesign, kEvents);

}  // namespace kv
