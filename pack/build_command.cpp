// kervale-pack build: from the options to the installer, in the order the
// steps below stand. Everything is checked before the first byte is written,
// and the installer is written under a fresh name, renamed over OUT.exe only
// when it is whole.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "commands.h"
#include "file_io.h"
#include "fontinfo.h"
#include "package_end.h"
#include "package_reader.h"
#include "platform_fs.h"
#include "option_checks.h"
#include "sha256.h"
#include "stub_identity.h"
#include "trailer.h"

namespace kvpack {

namespace {

// What a build gathers on its way from the options to the written file.
struct Build {
    explicit Build(const BuildOptions& build_options) : options(build_options) {}

    const BuildOptions& options;
    // The stub: opened once, judged by what was opened, copied without its
    // signature; a word when it is not Kervale's.
    std::string stub_path, stub_label, stub_warning;
    FileSource stub;
    kv::PeImage stub_image;
    std::optional<StubWithoutSignature> bare_stub;
    // The packaged files in package order, each opened for its check.
    std::vector<PackagedInput> inputs;
    std::vector<std::unique_ptr<InputFile>> bodies;
    // What each font input's check found, as a digest; "" for the texts.
    std::vector<std::string> checked;
    // The symbolic links followed to inputs, as lines for the summary.
    std::vector<std::string> links;
    kv::fontinfo::FontFile first_font;
    kv::Descriptor descriptor;
    std::string name_line, name_warning;  // the font name taken from the first font
    // The output's folder, where the new file is made.
    std::string output_label;
    Folder folder;
    int64_t written = 0;
};

// The stub must be a bare installer: packing a built installer again would
// hide the new package behind the old one's trailer walk.
bool CarriesPackage(kv::ByteSource& stub) {
    bool found = false;
    kv::WalkTrailer(stub, [&](const kv::TrailerEntry& e) {
        found = e.name == kv::kDescriptorName;
        return !found;
    });
    return found;
}

// A stub given with --stub that is not Kervale's is packed, with a word
// that names it by its digest: the user may mean it, but verify will not.
std::string CompareWithKervaleStubs(Build& b) {
    const std::string digest = StubDigest(*b.bare_stub);
    if (digest.empty()) return b.stub_label + " cannot be read: " + b.stub.error();
    const KervaleStubs kervale = LoadKervaleStubs();
    if (!kervale.Knows(digest))
        b.stub_warning = b.stub_label + " " + kervale.NotKervaleText(digest) +
                         "; verify will refuse the installer unless given --any-stub";
    return std::string();
}

std::string OpenStub(Build& b) {
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
    // The default stub is the tool's own; any other is compared with it and
    // with the released ones.
    return default_stub ? std::string() : CompareWithKervaleStubs(b);
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

// Everything the font checks found, in one digest: the written package's
// copy of the font must come to the very same.
std::string FontDigest(const kv::fontinfo::FontFile& font) {
    Sha256 sha;
    const auto add = [&sha](const std::string& text) {
        const std::string length = std::to_string(text.size()) + ":";
        sha.Update(length.data(), length.size());
        sha.Update(text.data(), text.size());
    };
    add(std::to_string(static_cast<int>(font.verdict)) + (font.collection ? "c" : "s"));
    add(font.reason);
    for (const kv::fontinfo::Face& face : font.faces) {
        add(std::to_string(face.family_name_id));
        for (const std::string* text : {&face.family, &face.style, &face.version, &face.format})
            add(*text);
    }
    return sha.HexDigest();
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

// Opens every packaged input once, refuses what cannot be packed, and reads
// each font with the font checks while it is open; readme and license are
// any text. Keeps what the first font is, for its name.
std::string CheckInputs(Build& b) {
    b.inputs = PackagedInputs(b.options);
    b.bodies.reserve(b.inputs.size());
    b.checked.reserve(b.inputs.size());
    bool first = true;
    for (const PackagedInput& input : b.inputs) {
        const bool is_font = std::strcmp(input.kind, "font") == 0;
        kv::fontinfo::FontFile font;
        b.bodies.push_back(std::make_unique<InputFile>());
        if (!b.bodies.back()->Check(input.path, is_font ? LookAtFont : nullptr, &font))
            return InputLabel(input) + " cannot be read: " + b.bodies.back()->error();
        std::string problem = JudgeLink(b, input, b.bodies.back()->place());
        if (!problem.empty()) return problem;
        b.checked.push_back(is_font ? FontDigest(font) : std::string());
        const int64_t size = b.bodies.back()->size();
        if (size > kv::kMaxBodyBytes)
            return InputLabel(input) + " is " + std::to_string(size) +
                   " bytes long; a packaged file holds at most " +
                   std::to_string(kv::kMaxBodyBytes) + " bytes";
        if (!is_font) continue;
        if (font.verdict != kv::fontinfo::Verdict::Font)
            return kv::fontinfo::RefusalMessage(font, InputLabel(input));
        if (first) b.first_font = std::move(font);
        first = false;
    }
    return std::string();
}

// The descriptor, with its font name: --font-name, else the first font's
// own, which the build announces.
std::string TakeFontName(Build& b) {
    b.descriptor = DescriptorFor(b.options);
    if (b.options.font_name) return std::string();  // judged with the other options
    const FontNameChoice choice = DefaultFontName(b.first_font, b.options.fonts[0]);
    if (!choice.problem.empty()) return choice.problem;
    b.descriptor.font_name = choice.name;
    b.name_line = choice.line;
    b.name_warning = choice.warning;
    return std::string();
}

// The output's folder, opened once; what stands at the output's name may be
// replaced, unless it is a folder, the stub or one of the inputs.
std::string OpenOutputFolder(Build& b) {
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
    if (SameFile(existing, b.stub.identity()))
        return b.output_label + " is the stub itself; choose another output path";
    for (size_t i = 0; i < b.inputs.size(); ++i) {
        if (SameFile(existing, b.bodies[i]->identity()))
            return b.output_label + " is also the " + InputLabel(b.inputs[i]) +
                   "; choose another output path";
    }
    return std::string();
}

void WarnBeforeWriting(const Build& b) {
    for (const std::string& warning : BuildWarnings(b.options)) Warn(warning);
    if (!b.name_warning.empty()) Warn(b.name_warning);
    if (!b.stub_warning.empty()) Warn(b.stub_warning);
    if (b.bare_stub->removed() > 0)
        Warn(b.stub_label + " is signed: its certificate table (" +
             std::to_string(b.bare_stub->removed()) +
             " bytes) is left out and its security directory cleared, since packing voids the "
             "signature; sign the finished installer");
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
std::string CheckWrittenFonts(Build& b, FileSink& sink) {
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
        if (e.name != b.inputs[i].name || e.size != b.bodies[i]->size())
            return unreadable + "entry " + std::to_string(e.index) + " is not " +
                   InputLabel(b.inputs[i]);
        if (b.checked[i].empty()) continue;
        kv::SliceSource body(written, e.body_offset, e.size);
        if (FontDigest(kv::fontinfo::Inspect(body)) != b.checked[i])
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
    std::vector<kv::PackageFile> files;
    files.reserve(b.inputs.size() + 1);
    files.push_back({kv::kDescriptorName, &descriptor_body});
    for (size_t i = 0; i < b.inputs.size(); ++i)
        files.push_back({b.inputs[i].name, b.bodies[i].get()});

    FileSink sink(b.folder);
    if (!sink.Create())
        return b.output_label + " cannot be written: no new file can be made in " +
               QuotedPath(DirName(b.options.output)) + ": " + sink.error();
    const bool written =
        kv::WritePackage(*b.bare_stub, files.data(), static_cast<int>(files.size()), sink);
    if (!written) return WriteFailure(b, sink);
    const std::string problem = CheckWrittenFonts(b, sink);
    if (!problem.empty()) return problem;
    if (!sink.Close()) return WriteFailure(b, sink);
    if (!sink.PutInPlace(BaseName(b.options.output)))
        return b.output_label + " cannot be put in place: " + sink.error();
    b.written = sink.written();
    return std::string();
}

void PrintBuildSummary(Build& b) {
    if (!b.name_line.empty()) std::printf("%s\n", b.name_line.c_str());
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
std::string ExpandFontPatterns(BuildOptions& options) {
#ifdef _WIN32
    std::vector<std::string> fonts;
    for (const std::string& font : options.fonts) {
        if (!HasWildcard(font)) {
            fonts.push_back(font);
            continue;
        }
        const std::string label = "font " + QuotedPath(font);
        const std::string folder = font.substr(0, font.size() - BaseName(font).size());
        if (HasWildcard(folder))
            return label + ": wildcards (* and ?) work in the file name only, not in its folders";
        std::vector<std::string> names;
        if (!ListFiles(folder.empty() ? "." : folder, names))
            return label + ": its folder cannot be listed: " + LastSystemError();
        const std::vector<std::string> matches = MatchingNames(BaseName(font), names);
        if (matches.empty()) return label + " matches no file";
        for (const std::string& name : matches) fonts.push_back(folder + name);
    }
    options.fonts = std::move(fonts);
#else
    (void)options;  // the shell has expanded them
#endif
    return std::string();
}

}  // namespace

int RunBuild(const BuildOptions& given) {
    BuildOptions options = given;
    std::string problem = ExpandFontPatterns(options);
    if (!problem.empty()) return Fail(problem);
    problem = CheckBuildOptions(options);
    if (!problem.empty()) return Fail(problem);
    RemoveTemporaryOnSignals();
    Build build(options);
    // Each step judges what the one before it opened; nothing is written
    // before the last of them.
    for (std::string (*step)(Build&) : {OpenStub, CheckInputs, TakeFontName, OpenOutputFolder}) {
        problem = step(build);
        if (!problem.empty()) return Fail(problem);
    }
    WarnBeforeWriting(build);
    problem = WriteInstaller(build);
    if (!problem.empty()) return Fail(problem);
    PrintBuildSummary(build);
    return kExitOk;
}

}  // namespace kvpack
