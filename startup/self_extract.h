// modSelfExtract: the program-wide package settings, the Windows directory
// and the extraction of the packaged files.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Filled from the package descriptor; empty until then, never cleared.
extern std::string strReadme;    // readme file name, or "NOREADME"
extern std::string strLicense;   // license file name, or "NOLICENSE"
extern std::string strFontName;
extern std::string strWebURL;    // empty: no web link
extern std::string strLinkName;  // the web link's title
// The extraction folder, ending in a backslash; set by ExtractFiles.
extern std::string strTempPath;
// The number of packaged files, from the trailer's count field.
extern int16_t intFileCount;

// The Windows directory, without a trailing backslash unless the system
// gives one; empty when the system cannot tell.
std::string GetWinDir();

// The installer's own executable.
std::string OwnExecutable();

// Reads the first `fields` fields of the extracted descriptor. With at least
// five, fields 2 to 5 go into the package settings, and the link title too
// when six were asked for and read. Returns how many fields were read (0 when
// the file cannot be read); `signature_ok` tells whether the first is the
// signature.
int ReadPackageSettings(int fields, bool& signature_ok);

// "The kervale datafile is corrupted.", then the clean end of the run.
[[noreturn]] void DatafileCorrupted();

// Writes every packaged file into the Temp folder below the Windows
// directory, then hides the start-up window and shows the welcome page.
// False, with nothing shown, when the descriptor was not written: the
// start-up then ends as for a damaged file rather than read a KERVALE.DAT
// that this run did not put there.
bool ExtractFiles();

}  // namespace kv
