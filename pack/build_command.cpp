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
#include "trailer.h"

namespace kvpack {

namespace {

constexpr const char kStubFileName[] = "kervale-stub.exe";

// What a build gathers on its way from the options to the written file.
struct Build {
    explicit Build(const BuildOptions& build_options) : options(build_options) {}

    const BuildOptions& options;
    // The stub: opened once, judged by what was opened, copied without its
    // signature.
    std::string stub_label;
    FileSource stub;
    kv::PeImage stub_image;
    std::optional<StubWithoutSignature> bare_stub;
    // The packaged files in package order, each opened for its check.
    std::vector<PackagedInput> inputs;
    std::vector<std::unique_ptr<InputFile>> bodies;
    kv::fontinfo::FontFile first_font;
    kv::Descriptor descriptor;
    std::string name_line, name_warning;  // the font name taken from the first font
    // The output's folder, where the new file is made.
    std::string output_label;
    Folder folder;
    int64_t written = 0;
};

std::string DefaultStubPath() {
    const std::string self = SelfExecutablePath();
    return self.empty() ? std::string(kStubFileName) : JoinHostPath(DirName(self), kStubFileName);
}

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

std::string OpenStub(Build& b) {
    const bool default_stub = !b.options.stub;
    const std::string path = default_stub ? DefaultStubPath() : *b.options.stub;
    b.stub_label = "stub " + Quoted(path);
    if (!b.stub.Open(path)) {
        if (StatPath(path).exists) return b.stub_label + " cannot be read: " + b.stub.error();
        return b.stub_label + " not found; " +
               (default_stub ? "the tool looks for kervale-stub.exe next to itself. Point to the "
                               "installer stub with --stub PATH"
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
    return std::string();
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

// Opens every packaged input once, refuses what cannot be packed, and reads
// each font with the font checks while it is open; readme and license are
// any text. Keeps what the first font is, for its name.
std::string CheckInputs(Build& b) {
    b.inputs = PackagedInputs(b.options);
    b.bodies.reserve(b.inputs.size());
    bool first = true;
    for (const PackagedInput& input : b.inputs) {
        const bool is_font = std::strcmp(input.kind, "font") == 0;
        kv::fontinfo::FontFile font;
        b.bodies.push_back(std::make_unique<InputFile>());
        if (!b.bodies.back()->Check(input.path, is_font ? LookAtFont : nullptr, &font))
            return InputLabel(input) + " cannot be read: " + b.bodies.back()->error();
        const int64_t size = b.bodies.back()->size();
        if (size > kv::kMaxBodyBytes)
            return InputLabel(input) + " is " + std::to_string(size) +
                   " bytes long; a packaged file holds at most " +
                   std::to_string(kv::kMaxBodyBytes) + " bytes";
        if (!is_font) continue;
        if (font.verdict != kv::fontinfo::Verdict::Font)
            return kv::fontinfo::RefusalMessage(font, InputLabel(input));
        const std::string name_problem = FontFileNameProblem(input.name);
        if (!name_problem.empty())
            return InputLabel(input) + ": its name " + Quoted(input.name) + " " + name_problem;
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
    b.output_label = "output " + Quoted(b.options.output);
    const std::string folder = DirName(b.options.output);
    errno = 0;
    if (!b.folder.Open(folder, true))
        return b.output_label + ": its folder " + Quoted(folder) +
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
               Quoted(DirName(b.options.output)) + ": " + sink.error();
    const bool written =
        kv::WritePackage(*b.bare_stub, files.data(), static_cast<int>(files.size()), sink);
    if (!written || !sink.Close()) return WriteFailure(b, sink);
    if (!sink.PutInPlace(BaseName(b.options.output)))
        return b.output_label + " cannot be put in place: " + sink.error();
    b.written = sink.written();
    return std::string();
}

void PrintBuildSummary(Build& b) {
    if (!b.name_line.empty()) std::printf("%s\n", b.name_line.c_str());
    const BuildOptions& options = b.options;
    const size_t fonts = options.fonts.size();
    std::printf(
        "Wrote %s: %lld bytes (stub %lld bytes + %zu files: descriptor, %s, %s, %zu font%s)\n",
        Quoted(options.output).c_str(), static_cast<long long>(b.written),
        static_cast<long long>(b.bare_stub->size()), b.inputs.size() + 1,
        options.readme ? ("readme " + Quoted(b.descriptor.readme)).c_str() : "no readme",
        options.license ? ("license " + Quoted(b.descriptor.license)).c_str() : "no license", fonts,
        fonts == 1 ? "" : "s");
}

}  // namespace

int RunBuild(const BuildOptions& options) {
    std::string problem = CheckBuildOptions(options);
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
