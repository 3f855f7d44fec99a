// What a package may hold, decided without touching any file: packaged names,
// descriptor values, the web link, and which role each packaged file plays.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "descriptor.h"
#include "fontinfo.h"
#include "options.h"
#include "pe_image.h"
#include "text_encoding.h"

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
Role RoleOf(std::string_view name, const kv::Descriptor* descriptor);

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
// only what kv::CheckWebAddress accepts, and it must be ASCII; a value that
// is not UTF-8 is read as Windows-1252 to name the character.
std::string WebUrlProblem(const std::string& url);
// Why `name` cannot be a packaged name in a new package, or "": the
// installer's rule, and ASCII only, since Windows spells other characters
// differently under other code pages (and folds their case by them).
std::string PackagedNameProblem(const std::string& name);
// Why a font input stored as `name` would never be installed, or "": the
// installer copies only names with a font extension into the Fonts folder.
std::string FontFileNameProblem(const std::string& name);

// How messages name the descriptor's values: the build names its options,
// verify the descriptor's fields. The font name and link title are always
// Windows-1252 (the build converts them first); the web address is as typed
// in the build, and Windows-1252 in a package.
struct ValueLabels {
    const char* font_name;
    const char* web_url;
    const char* link_title;
    std::string (*quote_web_url)(std::string_view value);
};
extern const ValueLabels kOptionLabels;      // "--font-name", ...
extern const ValueLabels kDescriptorLabels;  // "the font name", ...

// The rules the descriptor's font name and web link break, one line each
// that names the value; none when they are sound. The build judges what it
// is about to write and verify what a package holds by these rules.
std::vector<std::string> DescriptorValuesProblems(const kv::Descriptor& descriptor,
                                                  const ValueLabels& labels);
// The font name's part of them, for a name labelled `label`; "" when sound.
std::string FontNameProblem(std::string_view name, const std::string& label);

// One font input as the build read it, for the rules over all fonts.
struct FontSeen {
    std::string label;  // how messages name it: `font "a/B.ttf"`
    const kv::fontinfo::FontFile* font;
};

// The font name a build takes when --font-name is not given: the family of
// every face of every font, when they all share one, in Windows-1252, the
// code page the installer shows it in. Several families are a problem that
// lists them: which one the installer should show is the maker's call, and
// the order of the fonts on the command line (a glob's order) never decides.
struct FontNameChoice {
    std::string name;     // Windows-1252; empty when `problem` says why not
    std::string line;     // says which name was taken and from where
    std::string warning;  // a word about non-ASCII characters, or ""
    std::string problem;  // why no name can be taken from the fonts
};
// `fonts` are the fonts that were read; none gives an empty choice.
FontNameChoice DefaultFontName(const std::vector<FontSeen>& fonts);

// Faces of the same family and style in two places: they clash once
// installed. One warning per clash, naming both.
std::vector<std::string> SameFaceWarnings(const std::vector<FontSeen>& fonts);

// Why a stub with these PE headers cannot be the installer stub (a 32-bit
// Windows GUI program), e.g. "is a console program, not a Windows GUI
// program"; "" when it can. `is_pe` false: no PE headers were found.
std::string StubProblem(bool is_pe, const kv::PeImage& image);

// One file that goes into the package, as given on the command line.
struct PackagedInput {
    const char* kind;  // "readme", "license" or "font"
    std::string path;
    std::string name;    // the name stored in the package
    bool named = false;  // `name` was given with --name; else the base name
};

// How messages name an input: `font "a/B.ttf"`.
std::string InputLabel(const PackagedInput& input);

// The inputs in package order after the descriptor: readme, license, fonts,
// each under its --name if it has one.
std::vector<PackagedInput> PackagedInputs(const BuildOptions& options);

// The descriptor the build writes for these options: the font name and the
// link title in Windows-1252.
kv::Descriptor DescriptorFor(const BuildOptions& options);

// A name to store `name` under that the package can hold: ASCII, at most 40
// bytes, its extension kept, style words shortened ("ExtraCondensed" ->
// "XCn") before anything is cut, and unique in `taken` (names as
// kv::FoldCase gives them), to which it is added. "" when none is found.
// `fallback` stands for a name with nothing left ("font" for "Шрифт.ttf").
std::string SuggestedName(const std::string& name, const char* fallback,
                          std::unordered_set<std::string>& taken);

// `text` as one word for the shell the tool runs in, to paste: bare when it
// can stand so, else quoted; escaped (no longer pasteable, but safe) when
// it holds what a terminal must not get.
std::string ShellWord(const std::string& text);

// A readme or license is read whole to be converted; the installer shows
// only the first kv::kMaxTextBytes of it.
constexpr int64_t kMaxTextInputBytes = int64_t{64} << 20;

// Why a readme or license, converted, cannot be packed ("" when it can),
// and a word when the installer will show only its start ("" when not).
std::string TextProblem(const PackagedInput& input, const ConvertedText& text);
std::string TextWarning(const PackagedInput& input, const ConvertedText& text);

// For each name, the index of the first name that Windows stores as the
// same file (NTFS folds letter case, the accented letters too); its own
// index when no earlier name is.
std::vector<size_t> FirstOfSameFile(const std::vector<std::string>& names);

// Every rule the options break, one line each that names the offending
// input or option; none when the options can be packaged. Only the names and
// values are judged here; the files themselves are checked by the build,
// and so is the font name taken from the fonts when --font-name is not given.
std::vector<std::string> CheckBuildOptions(const BuildOptions& options);

// Things worth a word that do not stop the build.
std::vector<std::string> BuildWarnings(const BuildOptions& options);

// A value in double quotes, escaped as EscapedUtf8 does, so no value can
// move the cursor, start a terminal sequence or end its quotes early: how
// messages name a value.
std::string Quoted(std::string_view value);
// A text the installer shows (Windows-1252 bytes) as the user will read it,
// escaped and in double quotes.
std::string QuotedWindows1252(std::string_view bytes);
// How messages name a path, in double quotes: characters of valid UTF-8 as
// they stand, so people read their own folder names; control characters,
// text-direction marks, bytes that are not UTF-8 and the double quote
// escaped as EscapedUtf8 does. On Windows a backslash stays single, as typed.
std::string QuotedPath(const std::string& path);

// What opening an input through its folder found (OpenedPlace's real paths):
// whether the input's name led through a symbolic link, and whether the file
// it led to lies in that folder's tree, the folder its path names or any
// folder below it. The folder is the input path's own folder part ("fonts"
// for "fonts/A.ttf", the current folder for "A.ttf"), wherever links in that
// part lead: the caller named it.
bool LiesWithin(const std::string& real_file, const std::string& real_folder);

// Wildcards as a Windows user means them, for the tool's Windows build,
// which no shell expands for: `*` any run of characters, `?` any one, in the
// file name only; letter case ignored (ASCII).
bool HasWildcard(const std::string& path);
bool WildcardMatch(const std::string& pattern, const std::string& name);
// The names in `names` that `pattern` matches, sorted by their bytes, so
// the order of a folder's listing never decides the package's order.
std::vector<std::string> MatchingNames(const std::string& pattern,
                                       const std::vector<std::string>& names);

}  // namespace kvpack
