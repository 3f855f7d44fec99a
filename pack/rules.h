// What a package may hold, decided without touching any file: packaged names,
// descriptor values, the web link, and which role each packaged file plays.
#pragma once

#include <string>
#include <vector>

#include "descriptor.h"
#include "options.h"

namespace kvpack {

enum class Role { Descriptor, Readme, License, Font, Ignored };
const char* RoleName(Role role);

// The role the installer gives a packaged file: the descriptor by its fixed
// name, the readme and license as the descriptor names them (exact case),
// every other file a font. A file named like a "NOREADME"/"NOLICENSE" marker
// is skipped by the font installation and shown nowhere: Ignored.
// Without a descriptor (nullptr) every other file counts as a font.
Role RoleOf(const std::string& name, const kv::Descriptor* descriptor);

// The last component of a path in the host's syntax ("fonts/A.ttf" -> "A.ttf").
std::string BaseName(const std::string& path);
// The folder part, "." when there is none ("fonts/A.ttf" -> "fonts").
std::string DirName(const std::string& path);

bool EqualIgnoringCase(const std::string& a, const std::string& b);

// Why `name` cannot be stored as a packaged file name, or "" when it can.
std::string NameProblem(const std::string& name);
// Why `title` cannot name the web shortcut files (title + ".url"), or "".
std::string LinkTitleProblem(const std::string& title);
// Why `url` cannot be the package's web address, or "".
std::string WebUrlProblem(const std::string& url);

// One file that goes into the package, as given on the command line.
struct PackagedInput {
    const char* kind;  // "readme", "license" or "font"
    std::string path;
    std::string name;  // its base name: the name stored in the package
};

// The inputs in package order after the descriptor: readme, license, fonts.
std::vector<PackagedInput> PackagedInputs(const BuildOptions& options);

// The descriptor the build writes for these options.
kv::Descriptor DescriptorFor(const BuildOptions& options);

// The first rule the options break, as a one-line message that names the
// offending input; "" when the options can be packaged. Only the names and
// values are judged here; the files themselves are checked by the build.
std::string CheckBuildOptions(const BuildOptions& options);

// Things worth a word that do not stop the build.
std::vector<std::string> BuildWarnings(const BuildOptions& options);

// "value" in double quotes, control bytes spelled out (\r, \n, \x01): how
// messages name an input.
std::string Quoted(const std::string& value);

}  // namespace kvpack
