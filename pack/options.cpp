#include "options.h"

#include <cstring>

#include "rules.h"

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

void ParseBuild(const std::vector<std::string>& args, CommandLine& line) {
    BuildOptions& b = line.build;
    std::optional<std::string> output;
    bool options_ended = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || !IsOption(arg)) {
            b.fonts.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        if (IsHelpOption(arg)) {
            line.command = Command::Help;
            return;
        }
        std::string name = arg;
        std::optional<std::string> value;
        size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        std::optional<std::string>* slot =
            (name == "-o" || name == "--output") ? &output : BuildSlot(b, name);
        if (!slot) {
            line.error = "unknown option " + Quoted(name) + " for build";
            return;
        }
        if (slot->has_value()) {
            line.error = name + " is given twice";
            return;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                line.error = name + " needs a value";
                return;
            }
            value = args[++i];
        }
        *slot = *value;
    }
    if (!output) {
        line.error = "no output file given: add -o OUT.exe";
        return;
    }
    b.output = *output;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty() || IsHelpOption(args[0]) || args[0] == "help") {
        line.command = Command::Help;
        return line;
    }
    const std::string& verb = args[0];
    if (verb == "--version" || verb == "version") {
        line.command = Command::Version;
        return line;
    }
    if (verb == "build") {
        line.command = Command::Build;
        ParseBuild(args, line);
        return line;
    }
    const size_t wanted = verb == "extract" ? 2 : 1;
    if (verb == "list") {
        line.command = Command::List;
    } else if (verb == "verify") {
        line.command = Command::Verify;
    } else if (verb == "extract") {
        line.command = Command::Extract;
    } else {
        line.error = "unknown command " + Quoted(verb);
        return line;
    }
    std::vector<std::string> operands;
    bool options_ended = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || !IsOption(arg)) {
            operands.push_back(arg);
        } else if (arg == "--") {
            options_ended = true;
        } else if (IsHelpOption(arg)) {
            line.command = Command::Help;
            return line;
        } else if (verb == "extract" && arg == "--force") {
            line.force = true;
        } else {
            line.error = "unknown option " + Quoted(arg) + " for " + verb;
            return line;
        }
    }
    if (operands.size() != wanted) {
        line.error = verb + (wanted == 2 ? " needs a package and a folder: " + verb +
                                               " [--force] PACKAGE.exe DIR"
                                         : " needs one package: " + verb + " PACKAGE.exe");
        return line;
    }
    line.package = operands[0];
    if (wanted == 2) line.directory = operands[1];
    return line;
}

}  // namespace kvpack
