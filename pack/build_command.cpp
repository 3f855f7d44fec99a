// kervale-pack build: from the options to the installer. Every input and
// option is checked before the first byte is written, and every problem
// found is reported, one line each; only then, when there are none, is the
// installer written, under a fresh name renamed over OUT.exe when it is whole.
#include "build_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "commands.h"
#include "describe.h"
#include "file_io.h"
#include "fontinfo.h"
#include "installer_verdict.h"
#include "package_reader.h"
#include "pe_image.h"
#include "platform_fs.h"
#include "option_checks.h"
#include "stub_identity.h"
#include "text_encoding.h"
#include "trailer.h"
#include "trailer_writer.h"

namespace kvpack {

namespace {

// What a build gathers on its way from the options to the written file.
struct Build {
    explicit Build(const BuildOptions& build_options) : options(build_options) {}

    const BuildOptions& options;
    // Every problem found, in the order found; the installer is written only
    // when there is none. Warnings do not stop the build.
    std::vector<std::string> problems, warnings;
    // The stub: opened once, judged by what was opened, copied without its
    // signature.
    std::string stub_path, stub_label;
    FileSource stub;
    bool stub_open = false;
    kv::PeImage stub_image;
    std::optional<StubWithoutSignature> bare_stub;
    // The packaged files in package order, each opened for its check. A
    // font is copied from its file; a text from `texts`, as converted.
    std::vector<PackagedInput> inputs;
    std::vector<std::unique_ptr<InputFile>> bodies;
    std::vector<bool> opened;
    // What each font input's check found; the written copy must read the same.
    std::vector<kv::fontinfo::FontFile> fonts;  // per input; empty for texts
    std::vector<ConvertedText> texts;           // per input; empty for fonts
    // The symbolic links followed to inputs, as lines for the summary.
    std::vector<std::string> links;
    kv::Descriptor descriptor;
    std::string name_line, name_warning;  // the font name taken from the fonts
    // The output's folder, where the new file is made.
    std::string output_label;
    Folder folder;
    int64_t written = 0;

    void Refuse(std::string problem) { problems.push_back(std::move(problem)); }
};

// The stub must be a bare installer: packing a built installer again would
// hide the new package behind the old one's trailer walk.
bool CarriesPackage(kv::ByteSource& stub) {
    const auto ignore = [](const kv::TrailerEntry&) {};
    return kv::WalkPackage(stub, ignore, nullptr, nullptr).facts.descriptor_listed;
}

// A stub given with --stub that is not Kervale's is packed, with a word
// that names it by its digest: the user may mean it, but verify will not.
std::string CompareWithKervaleStubs(Build& b) {
    const std::string digest = StubDigest(*b.bare_stub);
    if (digest.empty()) return b.stub_label + " cannot be read: " + b.stub.error();
    const KervaleStubs kervale = LoadKervaleStubs();
    if (!kervale.Knows(digest))
        b.warnings.push_back(b.stub_label + " " + kervale.NotKervaleText(digest) +
                             "; verify will refuse the installer unless given --any-stub");
    return std::string();
}

std::string StubProblemText(Build& b) {
    const bool default_stub = !b.options.stub;
    if (default_stub) {
        std::string problem;
        if (!FindDefaultStub(b.stub_path, problem)) return problem;
    } else {
        b.stub_path = *b.options.stub;
    }
    const std::string& path = b.stub_path;
    b.stub_label = "stub " + QuotedPath(path);
    if (!b.stub.Open(path)) {
        if (StatPath(path).exists) return b.stub_label + " cannot be read: " + b.stub.error();
        return b.stub_label + " not found; " +
               (default_stub ? "point to the installer stub with --stub PATH"
                             : "check the path given with --stub");
    }
    b.stub_open = true;
    if (b.stub.size() == 0)
        return b.stub_label + " is empty; point to the installer stub with --stub PATH";
    const bool is_pe = kv::ReadPeImage(b.stub, b.stub_image);
    const std::string problem = StubProblem(is_pe, b.stub_image);
    if (!problem.empty())
        return b.stub_label + " " + problem +
               "; the installer stub is a 32-bit Windows GUI program: point to "
               "kervale-stub.exe with --stub PATH";
    if (CarriesPackage(b.stub))
        return b.stub_label +
               " already carries a package (it is a built installer); use the bare " +
               kStubFileName;
    b.bare_stub.emplace(b.stub, b.stub_image);
    if (!b.bare_stub->sound())
        return b.stub_label +
               " has a certificate table that does not end the file: the stub is damaged";
    if (b.bare_stub->removed() > 0)
        b.warnings.push_back(
            b.stub_label + " is signed: its certificate table (" +
            std::to_string(b.bare_stub->removed()) +
            " bytes) is left out and its security directory cleared, since packing voids the "
            "signature; sign the finished installer");
    // The default stub is the tool's own; any other is compared with it and
    // with the released ones.
    return default_stub ? std::string() : CompareWithKervaleStubs(b);
}

void OpenStub(Build& b) {
    if (b.options.stub && b.options.stub->empty()) return;  // refused with the options
    const std::string problem = StubProblemText(b);
    if (!problem.empty()) {
        b.bare_stub.reset();
        b.Refuse(problem);
    }
}

// Reads a font input with the font checks while its check has it open;
// `context` is the kv::fontinfo::FontFile to fill.
void LookAtFont(FileSource& file, void* context) {
    auto* font = static_cast<kv::fontinfo::FontFile*>(context);
    // Too long to be packed at all: the size check says so, not FreeType.
    if (file.size() > kv::kMaxBodyBytes) return;
    *font = kv::fontinfo::Inspect(file);
    if (font->verdict == kv::fontinfo::Verdict::ReadError && font->reason.empty())
        font->reason = file.error();
}

// Reads a readme or license whole while its check has it open, and
// converts it; `context` is the ConvertedText to fill. The package holds
// what was read here, never the file read again.
void LookAtText(FileSource& file, void* context) {
    auto* text = static_cast<ConvertedText*>(context);
    if (file.size() > kMaxTextInputBytes) return;
    std::string bytes(static_cast<size_t>(file.size()), '\0');
    if (!bytes.empty() && !file.read(0, &bytes[0], bytes.size())) {
        text->damage = "it cannot be read: " + file.error();
        return;
    }
    *text = ConvertFileText(bytes);
}

bool IsFont(const PackagedInput& input) { return std::strcmp(input.kind, "font") == 0; }

// Whether two reads of a font found the same: its verdict and, face by face,
// the names, version and format the build judged and took.
bool SameFindings(const kv::fontinfo::FontFile& a, const kv::fontinfo::FontFile& b) {
    const auto same_face = [](const kv::fontinfo::Face& x, const kv::fontinfo::Face& y) {
        return x.family_name_id == y.family_name_id && x.family == y.family && x.style == y.style &&
               x.version == y.version && x.format == y.format;
    };
    return a.verdict == b.verdict && a.collection == b.collection && a.reason == b.reason &&
           std::equal(a.faces.begin(), a.faces.end(), b.faces.begin(), b.faces.end(), same_face);
}

// An input reached through a symbolic link is named in the summary; one
// that leads out of the folder its path names is refused unless
// --follow-links: a README.TXT that links to a key must not put the key
// into the installer.
std::string JudgeLink(Build& b, const PackagedInput& input, const OpenedPlace& place) {
    if (!place.through_link) return std::string();
    const std::string label = InputLabel(input);
    if (place.file.empty()) {
        if (!b.options.follow_links)
            return label +
                   " is reached through a symbolic link whose target the system cannot tell; "
                   "give the file itself, or --follow-links to follow links wherever they lead";
        b.links.push_back(label + " is reached through a symbolic link (--follow-links)");
        return std::string();
    }
    if (!b.options.follow_links && !LiesWithin(place.file, place.folder))
        return label + " is a symbolic link to " + QuotedPath(place.file) +
               ", outside its folder " + QuotedPath(place.folder) +
               "; build follows a link only to a file within the folder the input is named in "
               "(or below it): give the file itself, or --follow-links to follow it";
    b.links.push_back(label + " is a symbolic link to " + QuotedPath(place.file));
    return std::string();
}

// Opens every packaged input once and refuses what cannot be packed: each
// font is read with the font checks, each text converted to the code page
// the installer reads it in.
void CheckInputs(Build& b) {
    b.inputs = PackagedInputs(b.options);
    const size_t n = b.inputs.size();
    // Past the entry limit nothing can be packed; the options said so.
    if (n + 1 > static_cast<size_t>(kv::kMaxEntries)) return;
    b.bodies.reserve(n);
    b.opened.assign(n, false);
    b.fonts.resize(n);
    b.texts.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const PackagedInput& input = b.inputs[i];
        const bool is_font = IsFont(input);
        b.bodies.push_back(std::make_unique<InputFile>());
        if (input.path.empty()) continue;  // refused with the options
        if (!b.bodies[i]->Check(input.path, is_font ? LookAtFont : LookAtText,
                                is_font ? static_cast<void*>(&b.fonts[i]) : &b.texts[i])) {
            b.Refuse(InputLabel(input) + " cannot be read: " + b.bodies[i]->error());
            continue;
        }
        b.opened[i] = true;
        const std::string link_problem = JudgeLink(b, input, b.bodies[i]->place());
        if (!link_problem.empty()) b.Refuse(link_problem);
        const int64_t size = b.bodies[i]->size();
        if (size > kv::kMaxBodyBytes) {
            b.Refuse(InputLabel(input) + " is " + std::to_string(size) +
                     " bytes long; a packaged file holds at most " +
                     std::to_string(kv::kMaxBodyBytes) + " bytes");
        } else if (is_font) {
            if (b.fonts[i].verdict != kv::fontinfo::Verdict::Font)
                b.Refuse(kv::fontinfo::RefusalMessage(b.fonts[i], InputLabel(input)));
            // The installer copies only names with a font ending into Fonts.
            else if (const std::string problem = FontFileNameProblem(input.name); !problem.empty())
                b.Refuse(InputLabel(input) + ": its name " + Quoted(input.name) + " " + problem);
        } else if (size > kMaxTextInputBytes) {
            b.Refuse(InputLabel(input) + " is " + std::to_string(size) + " bytes long; a " +
                     input.kind + " is read whole to be converted, up to " +
                     std::to_string(kMaxTextInputBytes) +
                     " bytes (the installer shows only the first 4 MiB)");
        } else {
            const std::string problem = TextProblem(input, b.texts[i]);
            if (!problem.empty()) b.Refuse(problem);
            const std::string warning = TextWarning(input, b.texts[i]);
            if (!warning.empty()) b.warnings.push_back(warning);
        }
    }
}

// The fonts that were read, for the rules over all of them.
std::vector<FontSeen> FontsRead(const Build& b) {
    std::vector<FontSeen> fonts;
    for (size_t i = 0; i < b.fonts.size(); ++i)
        if (b.opened[i] && b.fonts[i].verdict == kv::fontinfo::Verdict::Font)
            fonts.push_back({InputLabel(b.inputs[i]), &b.fonts[i]});
    return fonts;
}

// The descriptor, with its font name: --font-name, else the one family all
// fonts share, which the build announces. Faces that clash get a word.
void TakeFontName(Build& b) {
    b.descriptor = DescriptorFor(b.options);
    const std::vector<FontSeen> fonts = FontsRead(b);
    for (std::string& warning : SameFaceWarnings(fonts)) b.warnings.push_back(std::move(warning));
    if (b.options.font_name) return;  // judged with the other options
    const FontNameChoice choice = DefaultFontName(fonts);
    if (!choice.problem.empty()) b.Refuse(choice.problem);
    b.descriptor.font_name = choice.name;
    b.name_line = choice.line;
    if (!choice.warning.empty()) b.warnings.push_back(choice.warning);
}

std::string OutputFolderProblem(Build& b) {
    b.output_label = "output " + QuotedPath(b.options.output);
    const std::string folder = DirName(b.options.output);
    errno = 0;
    if (!b.folder.Open(folder, true))
        return b.output_label + ": its folder " + QuotedPath(folder) +
               (StatPath(folder).is_directory ? " cannot be opened: " + LastSystemError()
                                              : std::string(" does not exist"));
    const FileIdentity existing = b.folder.Look(BaseName(b.options.output));
    if (existing.kind == EntryKind::Folder)
        return b.output_label + " is a folder; give a file name ending in .exe";
    if (b.stub_open && SameFile(existing, b.stub.identity()))
        return b.output_label + " is the stub itself; choose another output path";
    for (size_t i = 0; i < b.bodies.size(); ++i) {
        if (b.opened[i] && SameFile(existing, b.bodies[i]->identity()))
            return b.output_label + " is also the " + InputLabel(b.inputs[i]) +
                   "; choose another output path";
    }
    return std::string();
}

// The output's folder, opened once; what stands at the output's name may be
// replaced, unless it is a folder, the stub or one of the inputs.
void OpenOutputFolder(Build& b) {
    if (b.options.output.empty()) return;  // refused with the options
    const std::string problem = OutputFolderProblem(b);
    if (!problem.empty()) b.Refuse(problem);
}

// Which file let the write down: a source that could no longer be read, or
// else the output.
std::string WriteFailure(const Build& b, const FileSink& sink) {
    if (!b.stub.error().empty()) return b.stub_label + " cannot be read: " + b.stub.error();
    for (size_t i = 0; i < b.bodies.size(); ++i)
        if (!b.bodies[i]->error().empty())
            return InputLabel(b.inputs[i]) + " " + b.bodies[i]->error();
    return b.output_label +
           " cannot be written: " + (sink.error().empty() ? "write failed" : sink.error());
}

// The package as written so far, read back through the output's own handle.
class WrittenPackage final : public kv::ByteSource {
public:
    explicit WrittenPackage(FileSink& sink) : sink_(sink) {}
    int64_t size() override { return sink_.written(); }
    bool read(int64_t offset, void* out, size_t n) override {
        return offset >= 0 && offset <= size() && static_cast<int64_t>(n) <= size() - offset &&
               sink_.ReadBack(offset, out, n);
    }

private:
    FileSink& sink_;
};

// Reads every font back out of the written package and checks it again:
// a font rewritten in place after its check, the same file of the same
// length, would otherwise be packed unchecked. What the copy says must be
// what the check said.
std::string CheckWrittenFonts(Build& b, FileSink& sink, const std::vector<kv::PackageFile>& files) {
    WrittenPackage written(sink);
    std::vector<kv::TrailerEntry> entries;
    const kv::TrailerError error = kv::WalkTrailer(written, [&](const kv::TrailerEntry& e) {
        entries.push_back(e);
        return true;
    });
    const std::string unreadable = b.output_label + " cannot be read back to check it: ";
    if (error != kv::TrailerError::None) return unreadable + kv::Describe(error);
    if (entries.size() != b.inputs.size() + 1) return unreadable + "its entries are not the files";
    for (size_t i = 0; i < b.inputs.size(); ++i) {
        const kv::TrailerEntry& e = entries[i + 1];
        if (e.name != b.inputs[i].name || e.size != files[i + 1].body->size())
            return unreadable + "entry " + std::to_string(e.index) + " is not " +
                   InputLabel(b.inputs[i]);
        if (!IsFont(b.inputs[i])) continue;
        kv::SliceSource body(written, e.body_offset, e.size);
        if (!SameFindings(kv::fontinfo::Inspect(body), b.fonts[i]))
            return InputLabel(b.inputs[i]) +
                   " changed after it was checked (rewritten in place while the package was "
                   "written): the copy in the package is not the font that was checked; nothing "
                   "was written, run build again";
    }
    return std::string();
}

// Entry 1, nearest the end, is the descriptor; then readme, license, fonts.
std::string WriteInstaller(Build& b) {
    const std::string descriptor_text = kv::FormatDescriptor(b.descriptor);
    kv::MemorySource descriptor_body(descriptor_text.data(), descriptor_text.size());
    std::vector<std::unique_ptr<kv::MemorySource>> text_bodies;
    std::vector<kv::PackageFile> files;
    files.reserve(b.inputs.size() + 1);
    files.push_back({kv::kDescriptorName, &descriptor_body});
    for (size_t i = 0; i < b.inputs.size(); ++i) {
        kv::ByteSource* body = b.bodies[i].get();
        if (!IsFont(b.inputs[i])) {
            const std::string& text = b.texts[i].windows1252;
            text_bodies.push_back(std::make_unique<kv::MemorySource>(text.data(), text.size()));
            body = text_bodies.back().get();
        }
        files.push_back({b.inputs[i].name, body});
    }

    FileSink sink(b.folder);
    if (!sink.Create())
        return b.output_label + " cannot be written: no new file can be made in " +
               QuotedPath(DirName(b.options.output)) + ": " + sink.error();
    const bool written =
        kv::WritePackage(*b.bare_stub, files.data(), static_cast<int>(files.size()), sink);
    if (!written) return WriteFailure(b, sink);
    const std::string problem = CheckWrittenFonts(b, sink, files);
    if (!problem.empty()) return problem;
    if (!sink.Close()) return WriteFailure(b, sink);
    if (!sink.PutInPlace(BaseName(b.options.output)))
        return b.output_label + " cannot be put in place: " + sink.error();
    b.written = sink.written();
    return std::string();
}

// What the build took and did beyond copying: the font name, each text it
// converted, each name given with --name; then what it wrote.
void PrintBuildSummary(Build& b) {
    if (!b.name_line.empty()) std::printf("%s\n", b.name_line.c_str());
    for (size_t i = 0; i < b.inputs.size(); ++i) {
        const PackagedInput& input = b.inputs[i];
        const std::string note = ConversionNote(b.texts[i]);
        if (!note.empty()) std::printf("%s: %s\n", InputLabel(input).c_str(), note.c_str());
        if (input.named)
            std::printf("%s is stored as %s (--name)\n", InputLabel(input).c_str(),
                        Quoted(input.name).c_str());
    }
    for (const std::string& link : b.links) std::printf("%s\n", link.c_str());
    const BuildOptions& options = b.options;
    const size_t fonts = options.fonts.size();
    std::printf(
        "Wrote %s: %lld bytes (stub %s, %lld bytes + %zu files: descriptor, %s, %s, %zu font%s)\n",
        QuotedPath(options.output).c_str(), static_cast<long long>(b.written),
        QuotedPath(b.stub_path).c_str(), static_cast<long long>(b.bare_stub->size()),
        b.inputs.size() + 1,
        options.readme ? ("readme " + Quoted(b.descriptor.readme)).c_str() : "no readme",
        options.license ? ("license " + Quoted(b.descriptor.license)).c_str() : "no license", fonts,
        fonts == 1 ? "" : "s");
}

// The Windows build expands wildcards in the fonts itself: cmd and
// PowerShell hand `*.ttf` to a program as it stands.
// A pattern that cannot be expanded is a problem like any other; the build
// goes on with the fonts it could name, to report every problem at once.
std::vector<std::string> ExpandFontPatterns(BuildOptions& options) {
    std::vector<std::string> problems;
#ifdef _WIN32
    std::vector<std::string> fonts;
    for (const std::string& font : options.fonts) {
        if (!HasWildcard(font)) {
            fonts.push_back(font);
            continue;
        }
        const std::string label = "font " + QuotedPath(font);
        const std::string folder = font.substr(0, font.size() - BaseName(font).size());
        std::vector<std::string> names;
        if (HasWildcard(folder))
            problems.push_back(label +
                               ": wildcards (* and ?) work in the file name only, not in its "
                               "folders");
        else if (!ListFiles(folder.empty() ? "." : folder, names))
            problems.push_back(label + ": its folder cannot be listed: " + LastSystemError());
        else if (const std::vector<std::string> matches = MatchingNames(BaseName(font), names);
                 matches.empty())
            problems.push_back(label + " matches no file");
        else
            for (const std::string& name : matches) fonts.push_back(folder + name);
    }
    options.fonts = std::move(fonts);
#else
    (void)options;  // the shell has expanded them
#endif
    return problems;
}

}  // namespace

int RunBuild(const BuildOptions& given) {
    BuildOptions options = given;
    const std::vector<std::string> pattern_problems = ExpandFontPatterns(options);
    RemoveTemporaryOnSignals();
    Build build(options);
    build.problems = CheckBuildOptions(options);
    build.problems.insert(build.problems.begin(), pattern_problems.begin(), pattern_problems.end());
    build.warnings = BuildWarnings(options);
    // Each step looks at what it can whatever the others found, so one run
    // names every problem; nothing is written while any stands.
    for (void (*step)(Build&) : {OpenStub, CheckInputs, TakeFontName, OpenOutputFolder})
        step(build);
    for (const std::string& warning : build.warnings) Warn(warning);
    if (!build.problems.empty()) {
        for (const std::string& problem : build.problems) Fail(problem);
        return kExitFailed;
    }
    const std::string problem = WriteInstaller(build);
    if (!problem.empty()) return Fail(problem);
    PrintBuildSummary(build);
    return kExitOk;
}

}  // namespace kvpack
