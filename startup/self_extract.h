// modSelfExtract: the installer's own file and the extraction of the
// packaged files into the Temp folder below the Windows directory.
#pragma once

#include "byte_source.h"

namespace kv {

// Writes every packaged file of `package`, the installer's own file as the
// start-up opened, listed and checked it, into the Temp folder below the
// Windows directory. False when the system cannot tell the Windows directory
// or the descriptor was not written: the start-up then ends as for a damaged
// file rather than read a KERVALE.DAT that this run did not put there. Abort
// in the extraction's prompt deletes what was written and ends the program.
bool ExtractFiles(ByteSource& package);

}  // namespace kv
