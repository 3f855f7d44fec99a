// frmStartup: the "please wait" window that runs the whole start-up. It stays
// loaded, hidden, to the end: its list lstFiles is the record of the packaged
// files.
#pragma once

#include "designs.h"
#include "extraction_record.h"
#include "form.h"

namespace kv {

extern ui::Form frmStartup;

// Beside lstFiles, the list of packaged files: which of them this run wrote
// into the extraction folder. Filled by ExtractFiles; only a name it holds
// is read, copied or installed from there.
extern ExtractionRecord extractedFiles;

}  // namespace kv
