#include "rules.h"

#include <cstring>
#include <unordered_map>

#include "install_rules.h"
#include "name_rules.h"
#include "platform_fs.h"
#include "text_utils.h"
#include "trailer.h"

namespace kvpack {

namespace {

constexpr const char kShortcutExtension[] = ".url";

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return text.size() >= n && EqualIgnoringCase(text.substr(0, n), prefix);
}

bool HasNonAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return true;
    return false;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Names an input in a message: `font "a/B.ttf"`.
std::string Label(const PackagedInput& input) {
    return std::string(input.kind) + " " + Quoted(input.path);
}

}  // namespace

std::string Quoted(const std::string& value) {
    // Control bytes are spelled out, so a message always stays on one line.
    std::string text = "\"";
    for (unsigned char c : value) {
        switch (c) {
        case '\r': text += "\\r"; break;
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        default:
            if (c < 32 || c == 0x7f) {
                text += "\\x";
                text += "0123456789ABCDEF"[c >> 4];
                text += "0123456789ABCDEF"[c & 15];
            } else {
                text += static_cast<char>(c);
            }
        }
    }
    return text + "\"";
}

const char* RoleName(Role role) {
    switch (role) {
    case Role::Descriptor: return "descriptor";
    case Role::Readme: return "readme";
    case Role::License: return "license";
    case Role::Font: return "font";
    case Role::Ignored: return "ignored";
    }
    return "font";
}

Role RoleOf(const std::string& name, const kv::Descriptor* descriptor) {
    if (name == kv::kDescriptorName) return Role::Descriptor;
    if (!descriptor) return Role::Font;
    if (kv::IsFontFile(name, descriptor->readme, descriptor->license)) return Role::Font;
    if (name == descriptor->readme) return name == kv::kNoReadme ? Role::Ignored : Role::Readme;
    return name == kv::kNoLicense ? Role::Ignored : Role::License;
}

std::string BaseName(const std::string& path) {
    size_t i = path.size();
    while (i > 0 && !IsPathSeparator(path[i - 1])) --i;
    return path.substr(i);
}

std::string DirName(const std::string& path) {
    size_t i = path.size();
    while (i > 0 && !IsPathSeparator(path[i - 1])) --i;
    if (i == 0) return ".";
    std::string dir = path.substr(0, i);
    // Keep a root ("/", "C:\") whole; drop the separator after any other folder.
    if (dir.size() > 1 && !(dir.size() == 3 && dir[1] == ':') && dir.back() != ':') dir.pop_back();
    return dir;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

namespace {

// Why a name that kv::IsBareFileName refused is no file name, length aside.
std::string WhyNotAFileName(const std::string& name) {
    if (name.empty()) return "is empty";
    if (name == "." || name == "..") return "is not a file name";
    for (unsigned char c : name) {
        if (c < 32) return "holds a control character";
        if (std::strchr("\\/:*?\"<>|", c))
            return std::string("holds the character ") + static_cast<char>(c) +
                   ", which Windows file names cannot hold";
    }
    return "is a reserved Windows device name";
}

}  // namespace

std::string NameProblem(const std::string& name) {
    if (kv::IsBareFileName(name)) {
        // Windows drops these when it creates the file, so the extracted name
        // would no longer match the packaged one.
        if (name.back() == ' ' || name.back() == '.')
            return "ends in a space or a dot, which Windows drops from file names";
        return std::string();
    }
    if (name.size() > kv::kMaxNameLength)
        return "is " + std::to_string(name.size()) + " bytes long; a packaged name holds at most " +
               std::to_string(kv::kMaxNameLength) + " bytes";
    return WhyNotAFileName(name);
}

std::string LinkTitleProblem(const std::string& title) {
    // The installer accepts an empty title (a shortcut named ".url"); a
    // font maker never means that.
    if (IsBlank(title))
        return "is empty; it names the web shortcut file, so it must hold a file name";
    if (kv::IsUsableLinkTitle(title)) return std::string();
    const std::string file_name = title + kShortcutExtension;
    if (!kv::IsBareFileName(file_name, file_name.size()))
        return "cannot name the shortcut file: it " + WhyNotAFileName(file_name);
    return "is " + std::to_string(title.size()) + " bytes long, too long to name the shortcut file";
}

std::string WebUrlProblem(const std::string& url) {
    // The installer hands the address to the shell, which would also run a
    // program or open a local file; only web addresses are let through.
    const char* scheme = StartsWithIgnoringCase(url, "http://")    ? "http://"
                         : StartsWithIgnoringCase(url, "https://") ? "https://"
                                                                   : nullptr;
    if (!scheme) return "is not a web address: it must start with http:// or https://";
    if (url.size() == std::strlen(scheme)) return "names no site after " + std::string(scheme);
    for (unsigned char c : url)
        if (c <= ' ' || c == 0x7f) return "holds a space or a control character";
    return std::string();
}

std::vector<PackagedInput> PackagedInputs(const BuildOptions& options) {
    std::vector<PackagedInput> inputs;
    inputs.reserve(options.fonts.size() + 2);
    if (options.readme) inputs.push_back({"readme", *options.readme, BaseName(*options.readme)});
    if (options.license)
        inputs.push_back({"license", *options.license, BaseName(*options.license)});
    for (const std::string& font : options.fonts) inputs.push_back({"font", font, BaseName(font)});
    return inputs;
}

kv::Descriptor DescriptorFor(const BuildOptions& options) {
    kv::Descriptor d;
    d.signature = kv::kSignature;
    d.readme = options.readme ? BaseName(*options.readme) : kv::kNoReadme;
    d.license = options.license ? BaseName(*options.license) : kv::kNoLicense;
    d.font_name = options.font_name.value_or(std::string());
    d.web_url = options.web_url.value_or(std::string());
    d.link_name = options.web_url ? options.link_title.value_or(std::string()) : std::string();
    return d;
}

std::string CheckBuildOptions(const BuildOptions& options) {
    if (!options.font_name) return "no font name given: add --font-name NAME";
    if (IsBlank(*options.font_name))
        return "--font-name " + Quoted(*options.font_name) +
               " is empty; the installer shows it as the font's name";
    if (options.fonts.empty())
        return "no font file given: name at least one font file after the options";
    if (options.link_title && !options.web_url)
        return "--link-title " + Quoted(*options.link_title) +
               " is given without --web-url: the title only names the web shortcut, which needs an "
               "address";
    if (options.web_url && !options.link_title)
        return "--web-url " + Quoted(*options.web_url) +
               " is given without --link-title: the web shortcut needs a title to name its file";

    const size_t entries =
        1 + options.fonts.size() + (options.readme ? 1 : 0) + (options.license ? 1 : 0);
    if (entries > static_cast<size_t>(kv::kMaxEntries))
        return "too many files: " + std::to_string(entries) +
               " packaged files with the descriptor KERVALE.DAT; a package holds at most " +
               std::to_string(kv::kMaxEntries);

    if (options.output.empty()) return "the output path given with -o is empty";
    if (options.output.size() < 4 ||
        !EqualIgnoringCase(options.output.substr(options.output.size() - 4), ".exe"))
        return "output " + Quoted(options.output) +
               " must end in .exe: the installer finds its own file by its .exe name";
    if (options.stub && options.stub->empty()) return "the stub path given with --stub is empty";

    const std::vector<PackagedInput> inputs = PackagedInputs(options);
    // Windows treats names that differ only in case as one file; the key is
    // the upper-case name.
    std::unordered_map<std::string, size_t> seen;
    seen.reserve(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        const PackagedInput& input = inputs[i];
        if (input.path.empty()) return std::string("an empty path is given as ") + input.kind;
        std::string problem = NameProblem(input.name);
        if (!problem.empty())
            return Label(input) + ": its name " + Quoted(input.name) + " " + problem;
        if (EqualIgnoringCase(input.name, kv::kDescriptorName))
            return Label(input) + ": the name " + Quoted(input.name) +
                   " is taken by the package descriptor KERVALE.DAT; rename the file";
        if (input.name == kv::kNoReadme || input.name == kv::kNoLicense)
            return Label(input) + ": the name " + Quoted(input.name) +
                   " is the descriptor's marker for a missing file; rename the file";
        auto inserted = seen.emplace(UpperAscii(input.name), i);
        if (!inserted.second) {
            const PackagedInput& first = inputs[inserted.first->second];
            const bool same = first.name == input.name;
            return Label(input) + " and " + Label(first) +
                   (same ? " have the same name "
                         : " have names that differ only in letter case, ") +
                   Quoted(input.name) + (same ? "" : " and " + Quoted(first.name)) +
                   "; Windows would store them as one file";
        }
    }

    const std::pair<const char*, const std::optional<std::string>*> values[] = {
        {"--font-name", &options.font_name},
        {"--web-url", &options.web_url},
        {"--link-title", &options.link_title}};
    for (const auto& value : values) {
        if (*value.second && !kv::IsStorableValue(**value.second))
            return std::string(value.first) + " " + Quoted(**value.second) +
                   " holds a double quote or a line break, which the package descriptor cannot "
                   "store";
    }
    if (options.web_url) {
        std::string problem = WebUrlProblem(*options.web_url);
        if (!problem.empty()) return "--web-url " + Quoted(*options.web_url) + " " + problem;
        problem = LinkTitleProblem(*options.link_title);
        if (!problem.empty()) return "--link-title " + Quoted(*options.link_title) + " " + problem;
    }
    return std::string();
}

std::vector<std::string> BuildWarnings(const BuildOptions& options) {
    std::vector<std::string> warnings;
    const char* const kAnsiNote =
        " holds non-ASCII bytes; Windows reads them in the user's ANSI code page, so they may show "
        "differently";
    for (const PackagedInput& input : PackagedInputs(options))
        if (HasNonAscii(input.name)) warnings.push_back(Label(input) + ": its name" + kAnsiNote);
    if (options.font_name && HasNonAscii(*options.font_name))
        warnings.push_back("--font-name " + Quoted(*options.font_name) + kAnsiNote);
    if (options.link_title && HasNonAscii(*options.link_title))
        warnings.push_back("--link-title " + Quoted(*options.link_title) + kAnsiNote);
    return warnings;
}

}  // namespace kvpack
