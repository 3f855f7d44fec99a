#include "options.h"

#include <cstring>
#include <utility>

#include "option_checks.h"

namespace kvpack {

namespace {

bool IsHelpOption(const std::string& a) { return a == "--help" || a == "-h"; }

bool IsOption(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

// Finds the slot for a build option, or nullptr when `name` is none.
std::optional<std::string>* BuildSlot(BuildOptions& b, const std::string& name) {
    if (name == "--font-name") return &b.font_name;
    if (name == "--readme") return &b.readme;
    if (name == "--license") return &b.license;
    if (name == "--web-url") return &b.web_url;
    if (name == "--link-title") return &b.link_title;
    if (name == "--stub") return &b.stub;
    return nullptr;
}

enum class Walk { Done, Help, Stopped };

// Walks the arguments after the command word as every command reads them:
// each operand goes to `on_operand`, each option to `on_option` with its
// index, which it moves past a value it takes; `on_option` returns false to
// stop. "--" ends the options; -h/--help where an option may stand asks for
// the help.
template <typename OnOperand, typename OnOption>
Walk WalkArguments(const std::vector<std::string>& args, OnOperand on_operand, OnOption on_option) {
    bool options_ended = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || !IsOption(arg)) {
            on_operand(arg);
        } else if (arg == "--") {
            options_ended = true;
        } else if (IsHelpOption(arg)) {
            return Walk::Help;
        } else if (!on_option(i)) {
            return Walk::Stopped;
        }
    }
    return Walk::Done;
}

// An option's value: what follows its "=", else the next argument, which
// it moves `i` past; false when there is none.
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::optional<std::string>& value) {
    if (!value && i + 1 < args.size()) value = args[++i];
    return value.has_value();
}

// --name INPUT=NAME, as often as there are inputs to name. The name is
// what follows the last "=", so a path may hold one.
bool TakeInputName(const std::vector<std::string>& args, size_t& i,
                   std::optional<std::string> value, BuildOptions& b, std::string& error) {
    if (!TakeValue(args, i, value)) {
        error = "--name needs a value: --name INPUT=NAME";
        return false;
    }
    const size_t equals = value->rfind('=');
    if (equals == std::string::npos || equals == 0) {
        error = "--name " + Quoted(*value) +
                " is not INPUT=NAME: give the input as on the command line, then = and the "
                "name to store it under (--name fonts/LongName.ttf=Short.ttf)";
        return false;
    }
    b.names.push_back({value->substr(0, equals), value->substr(equals + 1)});
    return true;
}

// Takes the build option at args[i] and its value, given after "=" or as
// the next argument; false with `error` set when it cannot.
bool TakeBuildOption(const std::vector<std::string>& args, size_t& i, BuildOptions& b,
                     std::optional<std::string>& output, std::string& error) {
    const std::string& arg = args[i];
    std::string name = arg;
    std::optional<std::string> value;
    size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
        name = arg.substr(0, equals);
        value = arg.substr(equals + 1);
    }
    if (name == "--name") return TakeInputName(args, i, value, b, error);
    if (arg == "--follow-links") {
        b.follow_links = true;
        return true;
    }
    std::optional<std::string>* slot =
        (name == "-o" || name == "--output") ? &output : BuildSlot(b, name);
    if (!slot) {
        error = "unknown option " + Quoted(name) + " for build";
        return false;
    }
    if (slot->has_value()) {
        error = name + " is given twice";
        return false;
    }
    if (!TakeValue(args, i, value)) {
        error = name + " needs a value";
        return false;
    }
    *slot = *value;
    return true;
}

void ParseBuild(const std::vector<std::string>& args, CommandLine& line) {
    std::optional<std::string> output;
    const Walk walk = WalkArguments(
        args, [&](const std::string& font) { line.build.fonts.push_back(font); },
        [&](size_t& i) { return TakeBuildOption(args, i, line.build, output, line.error); });
    if (walk == Walk::Help) line.command = Command::Help;
    if (walk != Walk::Done) return;
    if (!output) {
        line.error = "no output file given: add -o OUT.exe";
        return;
    }
    line.build.output = *output;
}

// The command of a verb that takes a package; false for any other verb.
bool PackageCommand(const std::string& verb, Command& command) {
    static const std::pair<const char*, Command> kCommands[] = {
        {"list", Command::List}, {"verify", Command::Verify}, {"extract", Command::Extract}};
    for (const auto& [name, value] : kCommands) {
        if (verb != name) continue;
        command = value;
        return true;
    }
    return false;
}

// The flags each package command takes.
bool* PackageFlag(CommandLine& line, const std::string& arg) {
    if (line.command == Command::Extract && arg == "--force") return &line.force;
    if (line.command == Command::Extract && arg == "--overwrite") return &line.overwrite;
    if (line.command == Command::Verify && arg == "--any-stub") return &line.any_stub;
    return nullptr;
}

// list, verify and extract: options, then the package (and the folder).
void ParsePackageCommand(const std::vector<std::string>& args, CommandLine& line) {
    const std::string& verb = args[0];
    std::vector<std::string> operands;
    const Walk walk = WalkArguments(
        args, [&](const std::string& operand) { operands.push_back(operand); },
        [&](size_t& i) {
            if (bool* flag = PackageFlag(line, args[i])) {
                *flag = true;
                return true;
            }
            line.error = "unknown option " + Quoted(args[i]) + " for " + verb;
            return false;
        });
    if (walk == Walk::Help) line.command = Command::Help;
    if (walk != Walk::Done) return;
    const size_t wanted = line.command == Command::Extract ? 2 : 1;
    if (operands.size() != wanted) {
        line.error = verb + (wanted == 2 ? " needs a package and a folder: " + verb +
                                               " [--force] [--overwrite] PACKAGE.exe DIR"
                                         : " needs one package: " + verb + " PACKAGE.exe");
        return;
    }
    line.package = operands[0];
    if (wanted == 2) line.directory = operands[1];
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty()) {
        line.command = Command::Usage;
        return line;
    }
    const std::string& verb = args[0];
    if (IsHelpOption(verb) || verb == "help") {
        line.command = Command::Help;
    } else if (verb == "--version" || verb == "version") {
        line.command = Command::Version;
    } else if (verb == "build") {
        line.command = Command::Build;
        ParseBuild(args, line);
    } else if (PackageCommand(verb, line.command)) {
        ParsePackageCommand(args, line);
    } else {
        line.error = "unknown command " + Quoted(verb);
    }
    return line;
}

}  // namespace kvpack
