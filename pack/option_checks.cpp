#include "option_checks.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "describe.h"
#include "installed_files.h"
#include "name_rules.h"
#include "platform_fs.h"
#include "text_utils.h"
#include "trailer.h"
#include "utf8.h"

namespace kvpack {

namespace {

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string::npos; }

const char kAnsiNote[] =
    " holds characters beyond ASCII: users whose Windows runs the Western European code page "
    "(Windows-1252) see them as written, users of another (Central European, Cyrillic, Greek, "
    "Asian, ...) see other characters in their place";

}  // namespace

std::string Quoted(std::string_view value) { return "\"" + EscapedUtf8(value) + "\""; }

std::string QuotedWindows1252(std::string_view bytes) {
    return "\"" + EscapedWindows1252(bytes) + "\"";
}

std::string QuotedPath(const std::string& path) {
    // On Windows a backslash separates folders and stays single, as typed.
#ifdef _WIN32
    std::string text = "\"";
    size_t from = 0;
    for (size_t at; (at = path.find('\\', from)) != std::string::npos; from = at + 1)
        text += EscapedUtf8(path.substr(from, at - from)) + '\\';
    return text + EscapedUtf8(path.substr(from)) + "\"";
#else
    return Quoted(path);
#endif
}

bool LiesWithin(const std::string& real_file, const std::string& real_folder) {
    if (real_file.empty() || real_folder.empty()) return false;
    std::string prefix = real_folder;
    if (!IsPathSeparator(prefix.back())) prefix += kPreferredSeparator;
    return real_file.size() > prefix.size() && real_file.compare(0, prefix.size(), prefix) == 0;
}

bool HasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    // Greedy with one step back to the last `*`: linear in practice, and
    // never exponential. One `?` takes one character (CharacterLength).
    size_t p = 0, n = 0, star = std::string::npos, star_n = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_n = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharacterLength(name, n);
        } else if (p < pattern.size() && AsciiLower(pattern[p]) == AsciiLower(name[n])) {
            ++p;
            ++n;
        } else if (star != std::string::npos) {
            p = star + 1;
            star_n += CharacterLength(name, star_n);
            n = star_n;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> MatchingNames(const std::string& pattern,
                                       const std::vector<std::string>& names) {
    std::vector<std::string> matches;
    for (const std::string& name : names)
        if (WildcardMatch(pattern, name)) matches.push_back(name);
    std::sort(matches.begin(), matches.end());
    return matches;
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

Role RoleOf(std::string_view name, const kv::Descriptor* descriptor) {
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
    // Keep a root ("/", "C:\", "C:") whole; drop the separator after any other folder.
    if (!EndsInRoot(dir)) dir.pop_back();
    return dir;
}

std::string NameProblem(const std::string& name) {
    return kv::Describe(kv::CheckFileName(name), name);
}

namespace {

// How a message names the first character beyond ASCII in `text`, read as
// UTF-8 if it is UTF-8, else as Windows-1252; "" when there is none.
std::string FirstNonAsciiText(const std::string& text) {
    if (!HasNonAscii(text)) return std::string();
    for (uint32_t c : CharactersOf(text))
        if (c >= 0x80) return CharacterText(c);
    return "a byte beyond ASCII";  // one of the five that Windows-1252 leaves undefined
}

// Where the host name stands in an address the installer opens: after
// "scheme://", at the start of a www. address, after the "@" of a mailto:
// link (empty when it has none).
std::string HostOf(const std::string& url) {
    size_t host = 0;
    const char* ends = "/?#";
    if (const size_t scheme = url.find("://"); scheme != std::string::npos) {
        host = scheme + 3;
    } else if (url.size() >= 7 && std::equal(url.begin(), url.begin() + 7, "mailto:",
                                             [](char a, char b) { return AsciiLower(a) == b; })) {
        const size_t at = url.find('@');
        if (at == std::string::npos) return std::string();
        host = at + 1;
        ends = "?";
    }
    return url.substr(host, url.find_first_of(ends, host) - host);
}

// How `url` is written in ASCII: the host name in its xn-- form, which only
// a lookup gives; the rest percent-encoded from UTF-8 (RFC 3987).
std::string PercentEncodingHint(const std::string& url) {
    std::string utf8;
    for (uint32_t c : CharactersOf(url)) kv::AppendUtf8(c, utf8);
    if (HasNonAscii(HostOf(utf8)))
        return "give its host name in the xn-- (Punycode) form and percent-encode the rest";
    std::string encoded;
    for (unsigned char c : utf8) {
        if (c < 0x80) {
            encoded += static_cast<char>(c);
            continue;
        }
        encoded += '%';
        encoded += "0123456789ABCDEF"[c >> 4];
        encoded += "0123456789ABCDEF"[c & 15];
    }
    return "percent-encode it: " + EscapedUtf8(encoded);
}

}  // namespace

std::string PackagedNameProblem(const std::string& name) {
    const std::string problem = NameProblem(name);
    if (!problem.empty() || !HasNonAscii(name)) return problem;
    return "holds " + FirstNonAsciiText(name) +
           ", and packaged names are ASCII only: Windows spells other characters differently "
           "under other code pages";
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

std::string WebUrlProblem(const std::string& url) {
    const std::string problem = kv::Describe(kv::CheckWebAddress(url));
    if (!problem.empty() || !HasNonAscii(url)) return problem;
    return "holds " + FirstNonAsciiText(url) + ", and a web address must be ASCII; " +
           PercentEncodingHint(url);
}

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
    if (image.subsystem == kv::pe::kSubsystemConsole)
        return "is a console program, not a Windows GUI program";
    return "is for Windows subsystem " + std::to_string(image.subsystem) +
           ", not a Windows GUI program";
}

const ValueLabels kOptionLabels = {"--font-name", "--web-url", "--link-title", Quoted};
const ValueLabels kDescriptorLabels = {"the descriptor's font name", "the descriptor's web address",
                                       "the descriptor's link title", QuotedWindows1252};

namespace {

std::string UnstorableProblem(std::string_view value, const std::string& label,
                              const std::string& shown) {
    if (kv::IsStorableValue(value)) return std::string();
    return label + " " + shown +
           " holds a double quote or a line break, which the package descriptor cannot store";
}

// `judge_title` false: the title was refused already, by its characters.
std::vector<std::string> WebLinkProblems(const kv::Descriptor& d, const ValueLabels& labels,
                                         bool judge_title = true) {
    std::vector<std::string> problems;
    const std::string web_url(d.web_url), link_name(d.link_name);
    const std::string url = labels.quote_web_url(web_url);
    const std::string title = QuotedWindows1252(link_name);
    const std::string url_unstorable = UnstorableProblem(web_url, labels.web_url, url);
    const std::string title_unstorable =
        judge_title ? UnstorableProblem(link_name, labels.link_title, title) : std::string();
    for (const std::string* problem : {&url_unstorable, &title_unstorable})
        if (!problem->empty()) problems.push_back(*problem);
    // No address, no link: the installer shows none and never uses the title.
    if (web_url.empty()) return problems;
    std::string problem = url_unstorable.empty() ? WebUrlProblem(web_url) : std::string();
    if (!problem.empty()) problems.push_back(labels.web_url + (" " + url) + " " + problem);
    problem = judge_title && title_unstorable.empty() ? LinkTitleProblem(link_name) : "";
    if (!problem.empty()) problems.push_back(labels.link_title + (" " + title) + " " + problem);
    return problems;
}

const char* Are(size_t count) { return count == 1 ? " is" : " are"; }

// A value typed in characters Windows-1252 lacks.
// `use` says what the installer does with the value in that code page.
std::string MissingInValueProblem(const std::string& option, const std::string& value,
                                  const ConvertedText& converted, const char* use) {
    return option + " " + Quoted(value) + ": " + MissingCharactersText(converted, false) +
           Are(converted.missing_count) + " not in Windows-1252, the code page the installer " +
           use + " in; use the characters of Western European languages";
}

}  // namespace

std::string FontFileNameProblem(const std::string& name) {
    if (kv::HasFontExtension(name)) return std::string();
    return std::string("does not end in a font file extension (") + kv::kFontExtensions +
           "); the installer copies no other file into the Fonts folder";
}

std::string FontNameProblem(std::string_view name, const std::string& label) {
    if (IsBlank(name))
        return label + " " + QuotedWindows1252(name) +
               " is empty; the installer shows it as the font's name";
    const std::string problem = UnstorableProblem(name, label, QuotedWindows1252(name));
    if (!problem.empty() || !kv::HasControlByte(name)) return problem;
    return label + " " + QuotedWindows1252(name) +
           " holds a control character, which the installer cannot show";
}

std::vector<std::string> DescriptorValuesProblems(const kv::Descriptor& d,
                                                  const ValueLabels& labels) {
    std::vector<std::string> problems = WebLinkProblems(d, labels);
    const std::string problem = FontNameProblem(d.font_name, labels.font_name);
    if (!problem.empty()) problems.insert(problems.begin(), problem);
    return problems;
}

namespace {

const char* FamilySource(int name_id) {
    if (name_id == 16) return "the typographic family name (name ID 16)";
    if (name_id == 1) return "the family name (name ID 1)";
    if (name_id < 0) return "the family name (name IDs 16 and 1)";
    return "the family name FreeType reads";  // a bitmap font's, or FreeType's guess
}

// `font "a.ttc"`, or `face 2 of font "a.ttc"` in a collection.
std::string FaceLabel(const FontSeen& seen, size_t face) {
    return seen.font->collection ? "face " + std::to_string(face + 1) + " of " + seen.label
                                 : seen.label;
}

std::string Plural(size_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string AsciiLower(std::string text) {
    for (char& c : text) c = AsciiLower(c);
    return text;
}

}  // namespace

FontNameChoice DefaultFontName(const std::vector<FontSeen>& fonts) {
    struct Family {
        std::string name;   // UTF-8, as the font has it
        std::string where;  // the first face that has it
        int name_id;        // -1 when the faces take it from different records
    };
    std::vector<Family> families;
    size_t faces = 0;
    for (const FontSeen& seen : fonts) {
        for (size_t i = 0; i < seen.font->faces.size(); ++i) {
            const kv::fontinfo::Face& face = seen.font->faces[i];
            ++faces;
            auto same = std::find_if(families.begin(), families.end(),
                                     [&](const Family& f) { return f.name == face.family; });
            if (same == families.end())
                families.push_back({face.family, FaceLabel(seen, i), face.family_name_id});
            else if (same->name_id != face.family_name_id)
                same->name_id = -1;
        }
    }
    FontNameChoice choice;
    const char* const kGiveIt = "; give the name with --font-name NAME";
    if (families.empty()) return choice;
    if (families.size() > 1) {
        constexpr size_t kListed = 10;
        std::sort(families.begin(), families.end(),
                  [](const Family& a, const Family& b) { return a.name < b.name; });
        std::string list;
        for (size_t i = 0; i < families.size() && i < kListed; ++i)
            list += (i ? ", " : "") + Quoted(families[i].name);
        if (families.size() > kListed)
            list += ", and " + std::to_string(families.size() - kListed) + " more";
        choice.problem = "the fonts belong to " + std::to_string(families.size()) + " families (" +
                         list +
                         "), and the installer shows one name for them; give it with "
                         "--font-name NAME";
        return choice;
    }
    const Family& family = families[0];
    std::string label = FamilySource(family.name_id);
    if (faces == 1)
        label += " of " + family.where;
    else if (fonts.size() == 1)
        label += " shared by all " + std::to_string(faces) + " faces of " + fonts[0].label;
    else if (faces == fonts.size())
        label += " shared by the " + std::to_string(fonts.size()) + " fonts";
    else
        label += " shared by all " + std::to_string(faces) + " faces of the " +
                 Plural(fonts.size(), "font");
    const ConvertedText name = ConvertValue(family.name);
    if (name.missing_count > 0) {
        choice.problem =
            label + ", " + Quoted(family.name) + ", holds " + MissingCharactersText(name, false) +
            ", which Windows-1252, the code page the installer shows it in, lacks" + kGiveIt;
        return choice;
    }
    choice.problem = FontNameProblem(name.windows1252, label);
    if (!choice.problem.empty()) {
        choice.problem += kGiveIt;
        return choice;
    }
    choice.name = name.windows1252;
    choice.line = "Font name " + QuotedWindows1252(choice.name) + ": " + label +
                  "; --font-name NAME sets another";
    if (HasNonAscii(choice.name))
        choice.warning = "the font name " + QuotedWindows1252(choice.name) + kAnsiNote;
    return choice;
}

std::vector<std::string> SameFaceWarnings(const std::vector<FontSeen>& fonts) {
    std::vector<std::string> warnings;
    std::unordered_map<std::string, std::string> first;  // family and style -> where
    for (const FontSeen& seen : fonts) {
        for (size_t i = 0; i < seen.font->faces.size(); ++i) {
            const kv::fontinfo::Face& face = seen.font->faces[i];
            // Windows compares font names without regard to letter case.
            const std::string key = AsciiLower(face.family) + '\0' + AsciiLower(face.style);
            const auto found = first.emplace(key, FaceLabel(seen, i));
            if (found.second) continue;
            warnings.push_back(found.first->second + " and " + FaceLabel(seen, i) + " are both " +
                               Quoted(face.family) + " " + Quoted(face.style) +
                               ": once installed they clash, and programs take one for the "
                               "other");
        }
    }
    return warnings;
}

std::string InputLabel(const PackagedInput& input) {
    return std::string(input.kind) + " " + QuotedPath(input.path);
}

namespace {

// The input `path` as the package stores it: under its --name, else its base name.
PackagedInput InputAt(const BuildOptions& options, const char* kind, const std::string& path) {
    PackagedInput input{kind, path, BaseName(path)};
    for (const InputName& given : options.names) {
        if (given.input != path) continue;
        input.name = given.name;
        input.named = true;
        break;
    }
    return input;
}

}  // namespace

std::vector<PackagedInput> PackagedInputs(const BuildOptions& options) {
    std::vector<PackagedInput> inputs;
    inputs.reserve(options.fonts.size() + 2);
    if (options.readme) inputs.push_back(InputAt(options, "readme", *options.readme));
    if (options.license) inputs.push_back(InputAt(options, "license", *options.license));
    for (const std::string& font : options.fonts) inputs.push_back(InputAt(options, "font", font));
    return inputs;
}

kv::Descriptor DescriptorFor(const BuildOptions& options) {
    kv::Descriptor d;
    d.signature = kv::kSignature;
    d.readme = options.readme ? InputAt(options, "readme", *options.readme).name : kv::kNoReadme;
    d.license =
        options.license ? InputAt(options, "license", *options.license).name : kv::kNoLicense;
    if (options.font_name) d.font_name = ConvertValue(*options.font_name).windows1252;
    d.web_url = options.web_url.value_or(std::string());
    if (options.web_url && options.link_title)
        d.link_name = ConvertValue(*options.link_title).windows1252;
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

// The ASCII a Latin letter is written with once its accents go.
const char* AsciiLetters(uint32_t c) {
    static const char* const kLatin1[64] = {
        "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I",  "I",
        "D", "N", "O", "O", "O", "O", "O",  "x", "O", "U", "U", "U", "U", "Y", "Th", "ss",
        "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
        "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y"};
    if (c >= 0xC0 && c <= 0xFF) return kLatin1[c - 0xC0];
    switch (c) {
    case 0x152: return "OE";
    case 0x153: return "oe";
    case 0x160: return "S";
    case 0x161: return "s";
    case 0x178: return "Y";
    case 0x17D: return "Z";
    case 0x17E: return "z";
    default: return "";
    }
}

// Style words as font files shorten them, longest parts first, so that
// "ExtraCondensedSemiBoldItalic" becomes "XCnSmBdIt".
constexpr std::pair<const char*, const char*> kStyleWords[] = {
    {"Condensed", "Cn"}, {"Expanded", "Ex"}, {"Extended", "Ext"}, {"Extra", "X"},
    {"Ultra", "U"},      {"Semi", "Sm"},     {"Demi", "Dm"},      {"Bold", "Bd"},
    {"Black", "Blk"},    {"Heavy", "Hv"},    {"Light", "Lt"},     {"Thin", "Th"},
    {"Medium", "Md"},    {"Regular", "Rg"},  {"Italic", "It"},    {"Oblique", "Obl"},
    {"Narrow", "Nar"}};

// Shortens the style words after the stem's last dash (the whole stem when
// it has none), where a font file's name keeps its style.
void ShortenStyleWords(std::string& stem) {
    const size_t dash = stem.rfind('-');
    const size_t from = dash == std::string::npos ? 0 : dash + 1;
    std::string style = stem.substr(from);
    for (const auto& [word, short_form] : kStyleWords)
        for (size_t at = style.find(word); at != std::string::npos;
             at = style.find(word, at + std::strlen(short_form)))
            style.replace(at, std::strlen(word), short_form);
    stem = stem.substr(0, from) + style;
}

}  // namespace

std::string SuggestedName(const std::string& name, const char* fallback,
                          std::unordered_set<std::string>& taken) {
    std::string ascii;
    for (uint32_t c : CharactersOf(name)) {
        if (c >= 0x20 && c < 0x7F && std::strchr(kv::kReservedCharacters, static_cast<int>(c)))
            continue;
        if (c >= 0x20 && c < 0x7F)
            ascii += static_cast<char>(c);
        else
            ascii += AsciiLetters(c);
    }
    constexpr size_t kLongestExtension = 10;
    const size_t dot = ascii.rfind('.');
    const bool has_extension = dot != std::string::npos && dot > 0 && ascii.size() - dot >= 2 &&
                               ascii.size() - dot <= kLongestExtension;
    std::string stem = has_extension ? ascii.substr(0, dot) : ascii;
    const std::string extension = has_extension ? ascii.substr(dot) : std::string();
    if (stem.size() + extension.size() > kv::kMaxNameLength) ShortenStyleWords(stem);
    const size_t room = kv::kMaxNameLength - extension.size();
    for (int n = 1; n < 1000; ++n) {
        const std::string suffix = n == 1 ? std::string() : "-" + std::to_string(n);
        std::string base = stem.substr(0, std::min(stem.size(), room - suffix.size()));
        while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
        if (base.empty()) base = fallback;
        const std::string candidate = base + suffix + extension;
        const std::string folded = kv::FoldCase(candidate);
        if (PackagedNameProblem(candidate).empty() && candidate != kv::kNoReadme &&
            candidate != kv::kNoLicense && taken.insert(folded).second)
            return candidate;
    }
    return std::string();
}

std::string ShellWord(const std::string& text) {
    if (!IsValidUtf8(text)) return Quoted(text);
    for (uint32_t c : CharactersOf(text))
        if (IsUnsafeOnTerminal(c)) return Quoted(text);
#ifdef _WIN32
    // cmd.exe: quotes keep blanks and its special characters together; a
    // double quote cannot stand inside them.
    if (text.find('"') != std::string::npos) return Quoted(text);
    if (text.find_first_of(" &|<>^%()") == std::string::npos) return text;
    return "\"" + text + "\"";
#else
    bool bare = !text.empty();
    for (unsigned char c : text)
        if (c < 0x80 && !std::isalnum(c) && !std::strchr("_./=+,:@%-", c)) bare = false;
    if (bare) return text;
    std::string word = "'";
    for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
#endif
}

std::string TextProblem(const PackagedInput& input, const ConvertedText& text) {
    if (!text.damage.empty()) return InputLabel(input) + ": " + text.damage;
    if (text.missing_count == 0) return std::string();
    std::string problem = InputLabel(input) + ": " + MissingCharactersText(text, true) +
                          Are(text.missing_count) +
                          " not in Windows-1252, the code page the installer shows the " +
                          input.kind + " in; use the characters of Western European languages";
    for (const MissingCharacter& m : text.missing)
        if (IsCombiningMark(m.character)) {
            problem +=
                " (a combining accent means the text is decomposed: save it composed, "
                "in Unicode form NFC)";
            break;
        }
    return problem;
}

std::string TextWarning(const PackagedInput& input, const ConvertedText& text) {
    if (text.windows1252.size() <= kv::kMaxTextBytes) return std::string();
    return InputLabel(input) + " is " + std::to_string(text.windows1252.size()) +
           " bytes long in Windows-1252; the installer shows only its first " +
           std::to_string(kv::kMaxTextBytes) + " bytes (4 MiB)";
}

namespace {

// The rules of CheckBuildOptions, in the order they are applied; each adds
// what it finds.

void MissingOptionProblems(const BuildOptions& options, std::vector<std::string>& problems) {
    if (options.fonts.empty())
        problems.push_back("no font file given: name at least one font file after the options");
    if (options.link_title && !options.web_url)
        problems.push_back(
            "--link-title " + Quoted(*options.link_title) +
            " is given without --web-url: the title only names the web shortcut, which needs an "
            "address");
    if (options.web_url && !options.link_title)
        problems.push_back(
            "--web-url " + Quoted(*options.web_url) +
            " is given without --link-title: the web shortcut needs a title to name its file");
}

void EntryCountProblems(const BuildOptions& options, std::vector<std::string>& problems) {
    const size_t entries =
        1 + options.fonts.size() + (options.readme ? 1 : 0) + (options.license ? 1 : 0);
    if (entries <= static_cast<size_t>(kv::kMaxEntries)) return;
    problems.push_back("too many files: " + std::to_string(entries) +
                       " packaged files with the descriptor KERVALE.DAT; a package holds at most " +
                       std::to_string(kv::kMaxEntries));
}

void OutputAndStubProblems(const BuildOptions& options, std::vector<std::string>& problems) {
    if (options.output.empty())
        problems.push_back("the output path given with -o is empty");
    else if (!kv::HasExeSuffix(options.output))
        problems.push_back(
            "output " + Quoted(options.output) +
            " must end in .exe: Windows and its users know a program by that ending");
    if (options.stub && options.stub->empty())
        problems.push_back("the stub path given with --stub is empty");
}

// One input's path and the name it is stored under, before the suggestion.
std::string InputNameProblem(const PackagedInput& input) {
    if (input.path.empty()) return std::string("an empty path is given as ") + input.kind;
    const std::string its_name = input.named
                                     ? "the name " + Quoted(input.name) + " given with --name"
                                     : "its name " + Quoted(input.name);
    const std::string problem = PackagedNameProblem(input.name);
    if (!problem.empty()) return InputLabel(input) + ": " + its_name + " " + problem;
    if (kv::SameWindowsName(input.name, kv::kDescriptorName))
        return InputLabel(input) + ": " + its_name +
               " is taken by the package descriptor KERVALE.DAT";
    if (input.name == kv::kNoReadme || input.name == kv::kNoLicense)
        return InputLabel(input) + ": " + its_name +
               " is the descriptor's marker for a missing file";
    return std::string();
}

// The way forward for an input whose name cannot be stored: the option
// that stores it under a suggested name, ready to paste. Past the first
// hundred (the same file given thousands of times) only the option's form.
std::string ShortNameHint(const PackagedInput& input, std::unordered_set<std::string>& taken,
                          size_t& offered) {
    constexpr size_t kMostOffered = 100;
    if (input.name.empty()) return std::string();  // a folder, not a file
    const std::string name =
        offered++ < kMostOffered ? SuggestedName(input.name, input.kind, taken) : std::string();
    if (name.empty()) return "; store it under another name with --name INPUT=NAME";
    return "; store it under another name: --name " + ShellWord(input.path + "=" + name);
}

// Every input's name in package order, and no two that Windows would store
// as one file. A refused name comes with a suggestion that no other name
// in the package takes.
void InputNamesProblems(const BuildOptions& options, std::vector<std::string>& problems) {
    const std::vector<PackagedInput> inputs = PackagedInputs(options);
    for (size_t i = 0; i < options.names.size(); ++i) {
        const InputName& given = options.names[i];
        const std::string option = "--name " + Quoted(given.input + "=" + given.name);
        bool earlier = false;
        for (size_t j = 0; j < i; ++j) earlier = earlier || options.names[j].input == given.input;
        const bool used = std::any_of(inputs.begin(), inputs.end(), [&](const PackagedInput& in) {
            return in.path == given.input;
        });
        if (earlier)
            problems.push_back(option + ": " + Quoted(given.input) +
                               " is given a name with --name twice");
        else if (!used)
            problems.push_back(option + ": no input is given as " + Quoted(given.input) +
                               "; write INPUT exactly as the file is given on the command line");
    }
    std::vector<std::string> names;
    names.reserve(inputs.size());
    for (const PackagedInput& input : inputs) names.push_back(input.name);
    const std::vector<size_t> first_of = FirstOfSameFile(names);
    std::vector<std::string> refused(inputs.size());
    std::unordered_set<std::string> taken{kv::FoldCase(kv::kDescriptorName)};
    for (size_t i = 0; i < inputs.size(); ++i) {
        refused[i] = InputNameProblem(inputs[i]);
        if (refused[i].empty() && first_of[i] == i) taken.insert(kv::FoldCase(names[i]));
    }
    size_t offered = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const PackagedInput& input = inputs[i];
        if (!refused[i].empty()) {
            problems.push_back(refused[i] + ShortNameHint(input, taken, offered));
            continue;
        }
        if (first_of[i] == i) continue;
        const PackagedInput& first = inputs[first_of[i]];
        const bool same = first.name == input.name;
        problems.push_back(
            InputLabel(input) + " and " + InputLabel(first) +
            (same ? " have the same name " : " have names that differ only in letter case, ") +
            Quoted(input.name) + (same ? "" : " and " + Quoted(first.name)) +
            "; Windows would store them as one file" + ShortNameHint(input, taken, offered));
    }
}

// The values the descriptor will hold, as typed and once converted; a font
// name taken from the fonts is judged by the build once it has read them.
void DescriptorOptionsProblems(const BuildOptions& options, std::vector<std::string>& problems) {
    if (options.web_url && options.web_url->empty()) {
        problems.push_back(
            "--web-url \"\" is empty; leave out --web-url and --link-title for no web link");
        return;
    }
    const kv::Descriptor d = DescriptorFor(options);
    if (options.font_name) {
        const ConvertedText name = ConvertValue(*options.font_name);
        const std::string problem = name.missing_count > 0
                                        ? MissingInValueProblem("--font-name", *options.font_name,
                                                                name, "shows the font name")
                                        : FontNameProblem(d.font_name, kOptionLabels.font_name);
        if (!problem.empty()) problems.push_back(problem);
    }
    bool title_known = true;
    if (options.web_url && options.link_title) {
        const ConvertedText title = ConvertValue(*options.link_title);
        title_known = title.missing_count == 0;
        if (!title_known)
            problems.push_back(MissingInValueProblem("--link-title", *options.link_title, title,
                                                     "names the shortcut files"));
    }
    for (std::string& problem : WebLinkProblems(d, kOptionLabels, title_known))
        problems.push_back(std::move(problem));
}

}  // namespace

std::vector<std::string> CheckBuildOptions(const BuildOptions& options) {
    std::vector<std::string> problems;
    for (void (*rule)(const BuildOptions&, std::vector<std::string>&) :
         {MissingOptionProblems, EntryCountProblems, OutputAndStubProblems, InputNamesProblems,
          DescriptorOptionsProblems})
        rule(options, problems);
    return problems;
}

std::vector<std::string> BuildWarnings(const BuildOptions& options) {
    std::vector<std::string> warnings;
    const kv::Descriptor d = DescriptorFor(options);
    if (options.font_name && HasNonAscii(d.font_name))
        warnings.push_back("--font-name " + QuotedWindows1252(d.font_name) + kAnsiNote);
    // The title names a file: a double-byte code page may take an accented
    // letter and the dot after it for one character.
    if (options.link_title && HasNonAscii(d.link_name))
        warnings.push_back("--link-title " + QuotedWindows1252(d.link_name) + kAnsiNote +
                           ", and Chinese, Japanese or Korean Windows may fail to make the "
                           "shortcut it names");
    return warnings;
}

}  // namespace kvpack
