// What a package may hold, decided without touching any file: packaged names,
// descriptor values, the web link, and which role each packaged file plays.
#pragma once

#include <string>
#include <vector>

#include "descriptor.h"
#include "fontinfo.h"
#include "options.h"
#include "package_end.h"

namespace kvpack {

enum class Role { Descriptor, Readme, License, Font, Ignored };
const char* RoleName(Role role);

// The role the installer gives a packaged file: the descriptor by its fixed
// name, the readme and license as the descriptor names them (exact case),
// every other file whose name ends in a font extension a font
// (kv::IsFontFile). Any other file (a desktop.ini, a file named like a
// "NOREADME"/"NOLICENSE" marker) is extracted and removed again but never
// installed or shown: Ignored. Without a descriptor (nullptr) every other
// file with a font extension counts as a font.
Role RoleOf(const std::string& name, const kv::Descriptor* descriptor);

// The last component of a path in the host's syntax ("fonts/A.ttf" -> "A.ttf").
std::string BaseName(const std::string& path);
// The folder part, "." when there is none ("fonts/A.ttf" -> "fonts").
std::string DirName(const std::string& path);

// Why `name` cannot be stored as a packaged file name, or "" when it can:
// the installer's own rule (kv::CheckFileName) in words.
std::string NameProblem(const std::string& name);
// Why `title` cannot name the web shortcut files (title + ".url"), or "".
// Stricter than the installer, which writes ".url" for an empty title.
std::string LinkTitleProblem(const std::string& title);
// Why `url` cannot be the package's web address, or "": the installer opens
// only what kv::CheckWebAddress accepts.
std::string WebUrlProblem(const std::string& url);
// Why a font input stored as `name` would never be installed, or "": the
// installer copies only names with a font extension into the Fonts folder.
std::string FontFileNameProblem(const std::string& name);

// How messages name the descriptor's values: the build names its options,
// verify the descriptor's fields.
struct ValueLabels {
    const char* font_name;
    const char* web_url;
    const char* link_title;
};
extern const ValueLabels kOptionLabels;      // "--font-name", ...
extern const ValueLabels kDescriptorLabels;  // "the font name", ...

// The first rule the descriptor's font name and web link break, one line
// that names the value; "" when they are sound. The build judges what it is
// about to write and verify what a package holds by this one rule.
std::string DescriptorValuesProblem(const kv::Descriptor& descriptor, const ValueLabels& labels);
// The font name's part of that rule, for a name labelled `label`.
std::string FontNameProblem(const std::string& name, const std::string& label);

// The font name a build takes when --font-name is not given: the first
// font's family (the first face's, in a collection) in Windows-1252, the
// code page the installer shows it in.
struct FontNameChoice {
    std::string name;     // Windows-1252; empty when `problem` says why not
    std::string line;     // says which name was taken and from where
    std::string warning;  // a word about non-ASCII characters, or ""
    std::string problem;  // why the font's own name cannot be taken
};
// `font` is the first font as read, given as `path`.
FontNameChoice DefaultFontName(const kv::fontinfo::FontFile& font, const std::string& path);

// Why a stub with these PE headers cannot be the installer stub (a 32-bit
// Windows GUI program), e.g. "is a console program, not a Windows GUI
// program"; "" when it can. `is_pe` false: no PE headers were found.
std::string StubProblem(bool is_pe, const kv::PeImage& image);

// One file that goes into the package, as given on the command line.
struct PackagedInput {
    const char* kind;  // "readme", "license" or "font"
    std::string path;
    std::string name;  // its base name: the name stored in the package
};

// How messages name an input: `font "a/B.ttf"`.
std::string InputLabel(const PackagedInput& input);

// The inputs in package order after the descriptor: readme, license, fonts.
std::vector<PackagedInput> PackagedInputs(const BuildOptions& options);

// The descriptor the build writes for these options.
kv::Descriptor DescriptorFor(const BuildOptions& options);

// For each name, the index of the first name that Windows stores as the
// same file (NTFS folds letter case, the accented letters too); its own
// index when no earlier name is.
std::vector<size_t> FirstOfSameFile(const std::vector<std::string>& names);

// The first rule the options break, as a one-line message that names the
// offending input; "" when the options can be packaged. Only the names and
// values are judged here; the files themselves are checked by the build,
// and so is the font name taken from a font when --font-name is not given.
std::string CheckBuildOptions(const BuildOptions& options);

// Things worth a word that do not stop the build.
std::vector<std::string> BuildWarnings(const BuildOptions& options);

// A value from a package or the command line made safe to print: every
// byte outside printable ASCII spelled \xNN (\r, \n, \t by name), and the
// backslash and double quote escaped, so no value can move the cursor,
// start a terminal sequence or end its quotes early.
std::string Escaped(const std::string& value);
// Escaped and in double quotes: how messages name a value.
std::string Quoted(const std::string& value);

}  // namespace kvpack
