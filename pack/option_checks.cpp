#include "option_checks.h"

#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "installed_files.h"
#include "name_rules.h"
#include "platform_fs.h"
#include "text_utils.h"
#include "trailer.h"

namespace kvpack {

namespace {

bool HasNonAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return true;
    return false;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

const char kAnsiNote[] =
    " holds non-ASCII bytes; Windows reads them in the user's ANSI code page, so they may show "
    "differently";

}  // namespace

std::string Escaped(const std::string& value) {
    std::string text;
    text.reserve(value.size());
    for (unsigned char c : value) {
        switch (c) {
        case '\r': text += "\\r"; break;
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        case '\\': text += "\\\\"; break;
        case '"': text += "\\\""; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                text += "\\x";
                text += "0123456789ABCDEF"[c >> 4];
                text += "0123456789ABCDEF"[c & 15];
            } else {
                text += static_cast<char>(c);
            }
        }
    }
    return text;
}

std::string Quoted(const std::string& value) { return "\"" + Escaped(value) + "\""; }

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
    if (!descriptor) return kv::HasFontExtension(name) ? Role::Font : Role::Ignored;
    if (name == descriptor->readme) return name == kv::kNoReadme ? Role::Ignored : Role::Readme;
    if (name == descriptor->license) return name == kv::kNoLicense ? Role::Ignored : Role::License;
    return kv::IsFontFile(name, descriptor->readme, descriptor->license) ? Role::Font
                                                                         : Role::Ignored;
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

std::string NameProblem(const std::string& name) {
    return kv::Describe(kv::CheckFileName(name), name);
}

std::string LinkTitleProblem(const std::string& title) {
    // The installer accepts an empty title (a shortcut named ".url"); a
    // font maker never means that, nor a title of blanks.
    if (IsBlank(title))
        return "is empty; it names the web shortcut file, so it must hold a file name";
    const kv::NameFault fault = kv::CheckLinkTitle(title);
    if (fault == kv::NameFault::None) return std::string();
    if (fault == kv::NameFault::TooLong)
        return "is " + std::to_string(title.size()) +
               " bytes long, too long to name the shortcut file";
    return "cannot name the shortcut file: it " + kv::Describe(fault, title + ".url");
}

std::string WebUrlProblem(const std::string& url) { return kv::Describe(kv::CheckWebAddress(url)); }

std::string StubProblem(bool is_pe, const kv::PeImage& image) {
    if (!is_pe) return "is not a Windows program: it has no PE header";
    switch (kv::CheckWin32GuiProgram(image)) {
    case kv::ProgramFault::None: return std::string();
    case kv::ProgramFault::OtherMachine: {
        char machine[16];
        std::snprintf(machine, sizeof machine, "0x%X", unsigned{image.machine});
        return std::string("is built for another processor (machine ") + machine +
               "), not 32-bit x86";
    }
    case kv::ProgramFault::NotPe32: return "is not a 32-bit (PE32) image";
    case kv::ProgramFault::Dll: return "is a DLL, not a program";
    case kv::ProgramFault::NotExecutable: return "is not marked as an executable image";
    case kv::ProgramFault::NotGui: break;
    }
    constexpr uint16_t kConsoleSubsystem = 3;
    if (image.subsystem == kConsoleSubsystem)
        return "is a console program, not a Windows GUI program";
    return "is for Windows subsystem " + std::to_string(image.subsystem) +
           ", not a Windows GUI program";
}

const ValueLabels kOptionLabels = {"--font-name", "--web-url", "--link-title"};
const ValueLabels kDescriptorLabels = {"the descriptor's font name", "the descriptor's web address",
                                       "the descriptor's link title"};

namespace {

std::string UnstorableProblem(const std::string& value, const std::string& label) {
    if (kv::IsStorableValue(value)) return std::string();
    return label + " " + Quoted(value) +
           " holds a double quote or a line break, which the package descriptor cannot store";
}

std::string WebLinkProblem(const kv::Descriptor& d, const ValueLabels& labels) {
    for (const auto& value : {std::make_pair(labels.web_url, &d.web_url),
                              std::make_pair(labels.link_title, &d.link_name)}) {
        const std::string problem = UnstorableProblem(*value.second, value.first);
        if (!problem.empty()) return problem;
    }
    // No address, no link: the installer shows none and never uses the title.
    if (d.web_url.empty()) return std::string();
    std::string problem = WebUrlProblem(d.web_url);
    if (!problem.empty()) return labels.web_url + (" " + Quoted(d.web_url)) + " " + problem;
    problem = LinkTitleProblem(d.link_name);
    if (!problem.empty()) return labels.link_title + (" " + Quoted(d.link_name)) + " " + problem;
    return std::string();
}

}  // namespace

std::string FontFileNameProblem(const std::string& name) {
    if (kv::HasFontExtension(name)) return std::string();
    return std::string("does not end in a font file extension (") + kv::kFontExtensions +
           "); the installer copies no other file into the Fonts folder";
}

std::string FontNameProblem(const std::string& name, const std::string& label) {
    if (IsBlank(name))
        return label + " " + Quoted(name) + " is empty; the installer shows it as the font's name";
    return UnstorableProblem(name, label);
}

std::string DescriptorValuesProblem(const kv::Descriptor& d, const ValueLabels& labels) {
    const std::string problem = FontNameProblem(d.font_name, labels.font_name);
    return problem.empty() ? WebLinkProblem(d, labels) : problem;
}

namespace {

const char* FamilySource(int name_id) {
    if (name_id == 16) return "the typographic family name (name ID 16)";
    if (name_id == 1) return "the family name (name ID 1)";
    return "the family name FreeType reads";  // a bitmap font's, or FreeType's guess
}

}  // namespace

FontNameChoice DefaultFontName(const kv::fontinfo::FontFile& font, const std::string& path) {
    FontNameChoice choice;
    const std::string of_font = (font.collection ? "face 1 of font " : "font ") + Quoted(path);
    const char* const kGiveIt = "; give the name with --font-name NAME";
    if (font.faces.empty()) {
        choice.problem = of_font + " holds no face to take the font name from" + kGiveIt;
        return choice;
    }
    const kv::fontinfo::Face& face = font.faces[0];
    const std::string label = std::string(FamilySource(face.family_name_id)) + " of " + of_font;
    std::string name;
    if (!kv::fontinfo::ToWindows1252(face.family, name)) {
        choice.problem =
            label + ", " + Quoted(face.family) +
            " (UTF-8), holds a control character or one that Windows-1252, the code page "
            "the installer shows it in, has not" +
            kGiveIt;
        return choice;
    }
    choice.problem = FontNameProblem(name, label);
    if (!choice.problem.empty()) {
        choice.problem += kGiveIt;
        return choice;
    }
    choice.name = name;
    choice.line = "Font name " + Quoted(name) + ": " + label + "; --font-name NAME sets another";
    if (HasNonAscii(name)) choice.warning = "the font name " + Quoted(name) + kAnsiNote;
    return choice;
}

std::string InputLabel(const PackagedInput& input) {
    return std::string(input.kind) + " " + Quoted(input.path);
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

std::vector<size_t> FirstOfSameFile(const std::vector<std::string>& names) {
    std::vector<size_t> first(names.size());
    std::unordered_map<std::string, size_t> seen;
    seen.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        first[i] = seen.emplace(kv::FoldCase(names[i]), i).first->second;
    return first;
}

namespace {

// The rules of CheckBuildOptions, in the order they are applied; each gives
// a problem or "".

std::string MissingOptionProblem(const BuildOptions& options) {
    if (options.fonts.empty())
        return "no font file given: name at least one font file after the options";
    if (options.link_title && !options.web_url)
        return "--link-title " + Quoted(*options.link_title) +
               " is given without --web-url: the title only names the web shortcut, which needs an "
               "address";
    if (options.web_url && !options.link_title)
        return "--web-url " + Quoted(*options.web_url) +
               " is given without --link-title: the web shortcut needs a title to name its file";
    return std::string();
}

std::string EntryCountProblem(const BuildOptions& options) {
    const size_t entries =
        1 + options.fonts.size() + (options.readme ? 1 : 0) + (options.license ? 1 : 0);
    if (entries <= static_cast<size_t>(kv::kMaxEntries)) return std::string();
    return "too many files: " + std::to_string(entries) +
           " packaged files with the descriptor KERVALE.DAT; a package holds at most " +
           std::to_string(kv::kMaxEntries);
}

std::string OutputAndStubProblem(const BuildOptions& options) {
    if (options.output.empty()) return "the output path given with -o is empty";
    if (!kv::HasExeSuffix(options.output))
        return "output " + Quoted(options.output) +
               " must end in .exe: Windows and its users know a program by that ending";
    if (options.stub && options.stub->empty()) return "the stub path given with --stub is empty";
    return std::string();
}

// One input's path and the name it is stored under.
std::string InputNameProblem(const PackagedInput& input) {
    if (input.path.empty()) return std::string("an empty path is given as ") + input.kind;
    const std::string problem = NameProblem(input.name);
    if (!problem.empty())
        return InputLabel(input) + ": its name " + Quoted(input.name) + " " + problem;
    if (kv::SameWindowsName(input.name, kv::kDescriptorName))
        return InputLabel(input) + ": the name " + Quoted(input.name) +
               " is taken by the package descriptor KERVALE.DAT; rename the file";
    if (input.name == kv::kNoReadme || input.name == kv::kNoLicense)
        return InputLabel(input) + ": the name " + Quoted(input.name) +
               " is the descriptor's marker for a missing file; rename the file";
    return std::string();
}

// Every input's name in package order, and no two that Windows would store
// as one file.
std::string InputNamesProblem(const BuildOptions& options) {
    const std::vector<PackagedInput> inputs = PackagedInputs(options);
    std::vector<std::string> names;
    names.reserve(inputs.size());
    for (const PackagedInput& input : inputs) names.push_back(input.name);
    const std::vector<size_t> first_of = FirstOfSameFile(names);
    for (size_t i = 0; i < inputs.size(); ++i) {
        const PackagedInput& input = inputs[i];
        const std::string problem = InputNameProblem(input);
        if (!problem.empty()) return problem;
        if (first_of[i] == i) continue;
        const PackagedInput& first = inputs[first_of[i]];
        const bool same = first.name == input.name;
        return InputLabel(input) + " and " + InputLabel(first) +
               (same ? " have the same name " : " have names that differ only in letter case, ") +
               Quoted(input.name) + (same ? "" : " and " + Quoted(first.name)) +
               "; Windows would store them as one file";
    }
    return std::string();
}

// The values the descriptor will hold; a font name taken from the font is
// judged by the build once it has read the font.
std::string DescriptorOptionsProblem(const BuildOptions& options) {
    if (options.web_url && options.web_url->empty())
        return "--web-url \"\" is empty; leave out --web-url and --link-title for no web link";
    const kv::Descriptor descriptor = DescriptorFor(options);
    return options.font_name ? DescriptorValuesProblem(descriptor, kOptionLabels)
                             : WebLinkProblem(descriptor, kOptionLabels);
}

}  // namespace

std::string CheckBuildOptions(const BuildOptions& options) {
    for (std::string (*rule)(const BuildOptions&) :
         {MissingOptionProblem, EntryCountProblem, OutputAndStubProblem, InputNamesProblem,
          DescriptorOptionsProblem}) {
        std::string problem = rule(options);
        if (!problem.empty()) return problem;
    }
    return std::string();
}

std::vector<std::string> BuildWarnings(const BuildOptions& options) {
    std::vector<std::string> warnings;
    for (const PackagedInput& input : PackagedInputs(options))
        if (HasNonAscii(input.name))
            warnings.push_back(InputLabel(input) + ": its name" + kAnsiNote);
    if (options.font_name && HasNonAscii(*options.font_name))
        warnings.push_back("--font-name " + Quoted(*options.font_name) + kAnsiNote);
    if (options.link_title && HasNonAscii(*options.link_title))
        warnings.push_back("--link-title " + Quoted(*options.link_title) + kAnsiNote);
    return warnings;
}

}  // namespace kvpack
