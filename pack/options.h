// The command line of kervale-pack, parsed into plain values. No files are
// touched here, so every rule can be tested on its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvpack {

// No command at all: the usage goes to stderr and the exit status is 2.
enum class Command { Help, Usage, Version, Build, List, Extract, Verify };

// --name INPUT=NAME: the input given exactly as INPUT is stored as NAME.
struct InputName {
    std::string input;
    std::string name;
};

struct BuildOptions {
    std::string output;
    std::optional<std::string> font_name;
    std::optional<std::string> readme;   // path of the readme file
    std::optional<std::string> license;  // path of the license file
    std::optional<std::string> web_url;
    std::optional<std::string> link_title;
    std::optional<std::string> stub;  // path; default: next to the tool
    std::vector<std::string> fonts;   // paths, in package order
    std::vector<InputName> names;     // in the order given
    // Follow a link among the inputs wherever it leads, not only within the
    // input's own folder.
    bool follow_links = false;
};

struct CommandLine {
    Command command = Command::Help;
    BuildOptions build;
    std::string package;     // list, extract, verify
    std::string directory;   // extract
    bool force = false;      // extract: write out a package the installer would refuse
    bool overwrite = false;  // extract: replace files already in the folder
    bool any_stub = false;   // verify: accept a stub that is not Kervale's
    std::string error;       // a usage error; empty when the line parsed
};

// `args` excludes the program name. Options take their value as the next
// argument or after "=" (--font-name=NAME), whatever it looks like, so
// "--font-name -h" names a font "-h". -h/--help asks for the help only where
// an option may stand; "--" ends the options, and every argument after it is
// an operand ("extract P.exe -- -h" extracts into a folder named "-h").

CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace kvpack
