// kervale-pack build: from the options to the installer.
#pragma once

#include "options.h"

namespace kvpack {

// Checks every input and option and reports every problem found, one line
// each; only when there are none does it write the installer. Returns the
// exit code (commands.h).
int RunBuild(const BuildOptions& options);

}  // namespace kvpack
