#include "commands.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "file_io.h"
#include "fontinfo.h"
#include "name_rules.h"
#include "package_end.h"
#include "package_reader.h"
#include "platform_fs.h"
#include "rules.h"
#include "trailer.h"

namespace kvpack {

namespace {

constexpr const char kStubFileName[] = "kervale-stub.exe";

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

bool MakeDirectories(const std::string& path) {
    const FileStatus status = StatPath(path);
    if (status.exists) return status.is_directory;
    const std::string parent = DirName(path);
    if (parent != path && parent != "." && !MakeDirectories(parent)) return false;
    return MakeDirectory(path);
}

// "dir/" names the same folder as "dir", but a trailing separator would
// make the system follow a link at "dir" that the tool means to refuse.
std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && IsPathSeparator(path.back()) && !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    return path;
}

// Opens the extraction folder, creating it when missing. A symbolic link in
// its place is refused, never followed: someone else may have put it there.
bool OpenTargetFolder(const std::string& directory, Folder& folder, std::string& problem) {
    const std::string label = "folder " + Quoted(directory);
    const std::string path = WithoutTrailingSeparators(directory);
    errno = 0;
    if (folder.Open(path, false)) return true;
    const std::string open_error = LastSystemError();
    const std::string link = LinkTarget(path);
    if (!link.empty()) {
        problem = label + " is a symbolic link to " + Quoted(link) +
                  (StatPath(path).exists ? "; name the folder itself"
                                         : ", which does not exist; name a real folder");
        return false;
    }
    const FileStatus status = StatPath(path);
    if (status.exists && !status.is_directory) {
        problem = label + " is a file, not a folder";
        return false;
    }
    errno = 0;
    if (!status.exists && (!MakeDirectories(path) || !folder.Open(path, false))) {
        problem = label + " cannot be created: " + LastSystemError();
        return false;
    }
    if (status.exists) {
        problem = label + " cannot be opened: " + open_error;
        return false;
    }
    return true;
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
// any text. `first_font` receives what the first font is. Returns the first
// problem, naming its input, or "".
std::string CheckInputs(const std::vector<PackagedInput>& inputs,
                        std::vector<std::unique_ptr<InputFile>>& bodies,
                        kv::fontinfo::FontFile& first_font) {
    bodies.reserve(inputs.size());
    bool first = true;
    for (const PackagedInput& input : inputs) {
        const std::string label = std::string(input.kind) + " " + Quoted(input.path);
        const bool is_font = std::strcmp(input.kind, "font") == 0;
        kv::fontinfo::FontFile font;
        bodies.push_back(std::make_unique<InputFile>());
        if (!bodies.back()->Check(input.path, is_font ? LookAtFont : nullptr, &font))
            return label + " cannot be read: " + bodies.back()->error();
        const int64_t size = bodies.back()->size();
        if (size > kv::kMaxBodyBytes)
            return label + " is " + std::to_string(size) +
                   " bytes long; a packaged file holds at most " +
                   std::to_string(kv::kMaxBodyBytes) + " bytes";
        if (!is_font) continue;
        if (font.verdict != kv::fontinfo::Verdict::Font)
            return kv::fontinfo::RefusalMessage(font, label);
        if (first) first_font = std::move(font);
        first = false;
    }
    return std::string();
}

// The descriptor's font name: --font-name, else the first font's own, which
// is announced in `line` (and `warning`). Returns a problem or "".
std::string TakeFontName(const BuildOptions& options, const std::string& first_font_path,
                         const kv::fontinfo::FontFile& first_font, kv::Descriptor& descriptor,
                         std::string& line, std::string& warning) {
    if (options.font_name) return std::string();  // judged with the other options
    const FontNameChoice choice = DefaultFontName(first_font, first_font_path);
    if (!choice.problem.empty()) return choice.problem;
    descriptor.font_name = choice.name;
    line = choice.line;
    warning = choice.warning;
    return std::string();
}

const char* KindText(EntryKind kind) {
    switch (kind) {
    case EntryKind::Folder: return "a folder";
    case EntryKind::Link: return "a symbolic link";
    default: return "something other than a plain file";
    }
}

}  // namespace

int Fail(const std::string& message) {
    std::fprintf(stderr, "kervale-pack: error: %s\n", message.c_str());
    return kExitFailed;
}

void Warn(const std::string& message) {
    std::fprintf(stderr, "kervale-pack: warning: %s\n", message.c_str());
}

int RunBuild(const BuildOptions& options) {
    const std::string rule = CheckBuildOptions(options);
    if (!rule.empty()) return Fail(rule);
    RemoveTemporaryOnSignals();

    // The stub: opened once, judged by what was opened.
    const bool default_stub = !options.stub;
    const std::string stub_path = default_stub ? DefaultStubPath() : *options.stub;
    const std::string stub_label = "stub " + Quoted(stub_path);
    FileSource stub;
    if (!stub.Open(stub_path)) {
        if (StatPath(stub_path).exists)
            return Fail(stub_label + " cannot be read: " + stub.error());
        return Fail(stub_label + " not found; " +
                    (default_stub
                         ? "the tool looks for kervale-stub.exe next to itself. Point to the "
                           "installer stub with --stub PATH"
                         : std::string("check the path given with --stub")));
    }
    if (stub.size() == 0)
        return Fail(stub_label + " is empty; point to the installer stub with --stub PATH");
    kv::PeImage image;
    const bool is_pe = kv::ReadPeImage(stub, image);
    const std::string stub_problem = StubProblem(is_pe, image);
    if (!stub_problem.empty())
        return Fail(stub_label + " " + stub_problem +
                    "; the installer stub is a 32-bit Windows GUI program: point to "
                    "kervale-stub.exe with --stub PATH");
    if (CarriesPackage(stub))
        return Fail(stub_label +
                    " already carries a package (it is a built installer); use the bare " +
                    kStubFileName);
    StubWithoutSignature bare_stub(stub, image);
    if (!bare_stub.sound())
        return Fail(stub_label +
                    " has a certificate table that does not end the file: the stub is damaged");

    // The packaged files, checked before anything is written.
    const std::vector<PackagedInput> inputs = PackagedInputs(options);
    std::vector<std::unique_ptr<InputFile>> bodies;
    kv::fontinfo::FontFile first_font;
    std::string problem = CheckInputs(inputs, bodies, first_font);
    if (!problem.empty()) return Fail(problem);
    kv::Descriptor descriptor = DescriptorFor(options);
    std::string name_line, name_warning;
    problem =
        TakeFontName(options, options.fonts[0], first_font, descriptor, name_line, name_warning);
    if (!problem.empty()) return Fail(problem);

    // The output: a fresh file in its folder, renamed over the name at the end.
    const std::string output_label = "output " + Quoted(options.output);
    const std::string output_folder = DirName(options.output);
    const std::string output_name = BaseName(options.output);
    Folder folder;
    errno = 0;
    if (!folder.Open(output_folder, true))
        return Fail(output_label + ": its folder " + Quoted(output_folder) +
                    (StatPath(output_folder).is_directory
                         ? " cannot be opened: " + LastSystemError()
                         : std::string(" does not exist")));
    const FileIdentity existing = folder.Look(output_name);
    if (existing.kind == EntryKind::Folder)
        return Fail(output_label + " is a folder; give a file name ending in .exe");
    if (SameFile(existing, stub.identity()))
        return Fail(output_label + " is the stub itself; choose another output path");
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (SameFile(existing, bodies[i]->identity()))
            return Fail(output_label + " is also the " + inputs[i].kind + " " +
                        Quoted(inputs[i].path) + "; choose another output path");
    }

    for (const std::string& warning : BuildWarnings(options)) Warn(warning);
    if (!name_warning.empty()) Warn(name_warning);
    if (bare_stub.removed() > 0)
        Warn(stub_label + " is signed: its certificate table (" +
             std::to_string(bare_stub.removed()) +
             " bytes) is left out and its security directory cleared, since packing voids the "
             "signature; sign the finished installer");

    // Entry 1, nearest the end, is the descriptor; then readme, license, fonts.
    const std::string descriptor_text = kv::FormatDescriptor(descriptor);
    kv::MemorySource descriptor_body(descriptor_text.data(), descriptor_text.size());
    std::vector<kv::PackageFile> files;
    files.reserve(inputs.size() + 1);
    files.push_back({kv::kDescriptorName, &descriptor_body});
    for (size_t i = 0; i < inputs.size(); ++i) files.push_back({inputs[i].name, bodies[i].get()});

    FileSink sink(folder);
    if (!sink.Create())
        return Fail(output_label + " cannot be written: no new file can be made in " +
                    Quoted(output_folder) + ": " + sink.error());
    const bool written =
        kv::WritePackage(bare_stub, files.data(), static_cast<int>(files.size()), sink);
    if (!written || !sink.Close()) {
        if (!stub.error().empty()) return Fail(stub_label + " cannot be read: " + stub.error());
        for (size_t i = 0; i < bodies.size(); ++i)
            if (!bodies[i]->error().empty())
                return Fail(std::string(inputs[i].kind) + " " + Quoted(inputs[i].path) + " " +
                            bodies[i]->error());
        return Fail(output_label + " cannot be written: " +
                    (sink.error().empty() ? "write failed" : sink.error()));
    }
    if (!sink.PutInPlace(output_name))
        return Fail(output_label + " cannot be put in place: " + sink.error());

    if (!name_line.empty()) std::printf("%s\n", name_line.c_str());
    size_t fonts = options.fonts.size();
    std::printf(
        "Wrote %s: %lld bytes (stub %lld bytes + %zu files: descriptor, %s, %s, %zu font%s)\n",
        Quoted(options.output).c_str(), static_cast<long long>(sink.written()),
        static_cast<long long>(bare_stub.size()), files.size(),
        options.readme ? ("readme " + Quoted(descriptor.readme)).c_str() : "no readme",
        options.license ? ("license " + Quoted(descriptor.license)).c_str() : "no license", fonts,
        fonts == 1 ? "" : "s");
    return kExitOk;
}

namespace {

// Opens and reads a package; prints the reason and returns false when the
// file itself cannot be opened.
bool OpenPackage(const std::string& path, FileSource& source, PackageListing& listing,
                 ReadFonts fonts) {
    if (!source.Open(path)) {
        Fail("package " + Quoted(path) + " cannot be read: " + source.error());
        return false;
    }
    listing = ReadPackage(source, fonts);
    return true;
}

void PrintFontLines(const PackageListing& listing, const char* indent) {
    for (const std::string& line : FontLines(listing)) std::printf("%s%s\n", indent, line.c_str());
}

}  // namespace

int RunList(const std::string& package) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing, ReadFonts::Yes)) return kExitFailed;

    std::printf("Package %s: %lld bytes, count field %d\n", Quoted(package).c_str(),
                static_cast<long long>(listing.length), listing.count);
    std::printf("%5s  %10s  %-10s  %s\n", "Entry", "Size", "Role", "Name");
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const kv::TrailerEntry& e = listing.entries[i];
        std::printf("%5d  %10lld  %-10s  %s\n", e.index, static_cast<long long>(e.size),
                    RoleName(listing.RoleAt(i)), Escaped(e.name).c_str());
    }
    if (!listing.walked()) return Fail(InstallerRefusal(listing));
    const std::string stub = StubProblem(listing.stub_is_pe, listing.stub_image);
    std::printf("Stub and padding: %lld bytes, %s\n", static_cast<long long>(listing.stub_length),
                stub.empty() ? "a 32-bit Windows GUI program" : ("which " + stub).c_str());
    std::printf("Integrity: %s\n", IntegrityText(listing).c_str());

    if (listing.descriptor_entry < 0) return Fail("the package holds no entry named KERVALE.DAT");
    if (!listing.descriptor_error.empty())
        return Fail("the descriptor KERVALE.DAT cannot be read: " + listing.descriptor_error);
    std::printf("Descriptor (entry %d, %d of 6 fields):\n",
                listing.entries[static_cast<size_t>(listing.descriptor_entry)].index,
                listing.descriptor_fields);
    for (int i = 0; i < listing.descriptor_fields; ++i) {
        const kv::DescriptorField& field = kv::kDescriptorFieldTable[i];
        std::printf("  %d %-10s  %s\n", i + 1, field.label,
                    Quoted(listing.descriptor.*field.value).c_str());
    }
    std::printf("Fonts, as FreeType reads them:\n");
    PrintFontLines(listing, "  ");
    return kExitOk;
}

int RunExtract(const std::string& package, const std::string& directory, bool force) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing, ReadFonts::No)) return kExitFailed;
    // Like the installer: the whole package is judged before anything is written.
    const std::string refusal = InstallerRefusal(listing);
    if (!refusal.empty()) {
        if (!force)
            return Fail(Quoted(package) + ": " + refusal +
                        "; nothing was extracted (extract --force writes out what can be read)");
        if (listing.entries.empty()) return Fail(Quoted(package) + ": " + refusal);
        Warn(Quoted(package) + ": " + refusal + "; extracting what can be read (--force)");
    }

    if (directory.empty()) return Fail("the target folder is empty");
    RemoveTemporaryOnSignals();
    Folder folder;
    std::string problem;
    if (!OpenTargetFolder(directory, folder, problem)) return Fail(problem);

    // Each file is written under a fresh name and renamed into place, so
    // nothing that was already in the folder is ever written through.
    struct Placed {
        FileIdentity identity;
        size_t entry;
    };
    std::vector<Placed> placed;
    size_t files = 0, replaced = 0;
    auto written_so_far = [&]() {
        return files == 0 ? std::string()
                          : " (" + std::to_string(files) + " file" + (files == 1 ? "" : "s") +
                                " were written before)";
    };
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const kv::TrailerEntry& e = listing.entries[i];
        const std::string label = Quoted(JoinHostPath(directory, e.name));
        FileSink sink(folder);
        if (!sink.Create())
            return Fail(label + " cannot be written: no new file can be made in " +
                        Quoted(directory) + ": " + sink.error() + written_so_far());
        if (!kv::CopyRange(source, e.body_offset, e.size, sink) || !sink.Close()) {
            if (!source.error().empty())
                return Fail("package " + Quoted(package) + " cannot be read: " + source.error() +
                            written_so_far());
            return Fail(label + " cannot be written: " + sink.error() + written_so_far());
        }
        const FileIdentity there = folder.Look(e.name);
        if (there.kind != EntryKind::Missing && there.kind != EntryKind::File)
            return Fail(label + " is " + KindText(there.kind) +
                        " already; it is left as it is and nothing is written in its place" +
                        written_so_far());
        if (SameFile(there, source.identity()))
            return Fail(label + " is the package itself; extract into another folder" +
                        written_so_far());
        const Placed* earlier = nullptr;
        for (const Placed& p : placed)
            if (SameFile(p.identity, there)) earlier = &p;
        if (!sink.PutInPlace(e.name))
            return Fail(label + " cannot be put in place: " + sink.error() + written_so_far());
        if (earlier) {
            const kv::TrailerEntry& first = listing.entries[earlier->entry];
            Warn("entry " + std::to_string(e.index) + " " + Quoted(e.name) + " overwrote entry " +
                 std::to_string(first.index) + " " + Quoted(first.name) +
                 (first.name == e.name ? ": the package holds that name twice"
                                       : ": this folder, like Windows, takes both names as one "
                                         "file"));
        } else {
            ++files;
            if (there.kind == EntryKind::File) ++replaced;
        }
        placed.push_back({sink.identity(), i});
    }
    std::printf("Extracted %zu file%s from %s into %s", files, files == 1 ? "" : "s",
                Quoted(package).c_str(), Quoted(directory).c_str());
    if (replaced) std::printf(" (%zu replaced a file already there)", replaced);
    std::printf("\n");
    if (!refusal.empty())
        return Fail(
            "the installer would refuse this package; its files were written only because "
            "of --force");
    return kExitOk;
}

int RunVerify(const std::string& package) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing, ReadFonts::Yes)) return kExitFailed;
    const PackageVerdict verdict = JudgePackage(listing);
    for (const std::string& warning : verdict.warnings) Warn(warning);
    if (!verdict.ok()) return Fail(Quoted(package) + ": " + verdict.problem);
    if (!kv::HasExeSuffix(BaseName(package)))
        Warn(Quoted(package) +
             " does not end in .exe; the installer finds its own file only by its .exe name");
    std::printf("OK: %s: %s\n", Quoted(package).c_str(), Summary(listing).c_str());
    PrintFontLines(listing, "  ");
    return kExitOk;
}

}  // namespace kvpack
