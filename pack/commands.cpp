#include "commands.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "file_io.h"
#include "package_reader.h"
#include "platform_fs.h"
#include "rules.h"
#include "trailer.h"

namespace kvpack {

namespace {

constexpr const char kStubFileName[] = "kervale-stub.exe";

// The temporary output, removed again on Ctrl+C or a kill so that an
// interrupted build leaves nothing behind.
char g_temp_path[4096];

extern "C" void RemoveTempAndReraise(int signal_number) {
    if (g_temp_path[0]) std::remove(g_temp_path);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// Owns the temporary output file: removed unless committed.
class TempOutput {
public:
    explicit TempOutput(std::string path) : path_(std::move(path)) {
        if (path_.size() < sizeof g_temp_path) {
            std::memcpy(g_temp_path, path_.c_str(), path_.size() + 1);
            std::signal(SIGINT, RemoveTempAndReraise);
            std::signal(SIGTERM, RemoveTempAndReraise);
        }
    }
    ~TempOutput() {
        if (!committed_) std::remove(path_.c_str());
        g_temp_path[0] = '\0';
    }
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    const std::string& path() const { return path_; }
    bool CommitAs(const std::string& final_path) {
        committed_ = MoveReplacing(path_, final_path);
        return committed_;
    }

private:
    std::string path_;
    bool committed_ = false;
};

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsPathSeparator(folder.back())) return folder + name;
    return folder + kPreferredSeparator + name;
}

std::string DefaultStubPath() {
    const std::string self = SelfExecutablePath();
    return self.empty() ? std::string(kStubFileName) : JoinPath(DirName(self), kStubFileName);
}

// Why the file at `path` cannot go into a package as `label`, or "".
std::string InputProblem(const std::string& label, const std::string& path, int64_t max_size,
                         int64_t& size) {
    const FileStatus status = StatPath(path);
    if (!status.exists) {
        FileSource probe;  // for the system's own reason
        probe.Open(path);
        return label + " cannot be read: " + probe.error();
    }
    if (status.is_directory) return label + " is a folder, not a file";
    if (!status.is_regular) return label + " is not a regular file";
    FileSource probe;
    if (!probe.Open(path)) return label + " cannot be read: " + probe.error();
    size = probe.size();
    if (size > max_size)
        return label + " is " + std::to_string(size) +
               " bytes long; a packaged file holds at most " + std::to_string(max_size) + " bytes";
    return std::string();
}

// The stub must be a bare installer: packing a built installer again would
// hide the new package behind the old one's trailer walk.
bool CarriesPackage(const std::string& stub_path) {
    FileSource stub;
    bool found = false;
    if (!stub.Open(stub_path)) return false;
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

    // The stub.
    const bool default_stub = !options.stub;
    const std::string stub_path = default_stub ? DefaultStubPath() : *options.stub;
    const std::string stub_label = "stub " + Quoted(stub_path);
    if (!StatPath(stub_path).exists)
        return Fail(stub_label + " not found; " +
                    (default_stub
                         ? "the tool looks for kervale-stub.exe next to itself. Point to the "
                           "installer stub with --stub PATH"
                         : std::string("check the path given with --stub")));
    int64_t stub_size = 0;
    std::string problem = InputProblem(stub_label, stub_path, INT64_MAX, stub_size);
    if (!problem.empty()) return Fail(problem);
    FileSource stub;
    if (!stub.Open(stub_path)) return Fail(stub_label + " cannot be read: " + stub.error());
    if (stub.size() == 0)
        return Fail(stub_label + " is empty; point to the installer stub with --stub PATH");
    if (CarriesPackage(stub_path))
        return Fail(stub_label +
                    " already carries a package (it is a built installer); use the bare " +
                    kStubFileName);

    // The packaged files, checked before anything is written.
    const std::vector<PackagedInput> inputs = PackagedInputs(options);
    std::vector<std::unique_ptr<InputFile>> bodies;
    bodies.reserve(inputs.size());
    for (const PackagedInput& input : inputs) {
        int64_t size = 0;
        problem = InputProblem(std::string(input.kind) + " " + Quoted(input.path), input.path,
                               kv::kMaxBodyBytes, size);
        if (!problem.empty()) return Fail(problem);
        bodies.push_back(std::make_unique<InputFile>(input.path, size));
    }

    // The output.
    const std::string output_label = "output " + Quoted(options.output);
    const FileStatus output_status = StatPath(options.output);
    if (output_status.is_directory)
        return Fail(output_label + " is a folder; give a file name ending in .exe");
    const std::string output_folder = DirName(options.output);
    if (!StatPath(output_folder).is_directory)
        return Fail(output_label + ": its folder " + Quoted(output_folder) + " does not exist");
    if (output_status.exists) {
        if (SameFile(options.output, stub_path))
            return Fail(output_label + " is the stub itself; choose another output path");
        for (const PackagedInput& input : inputs)
            if (SameFile(options.output, input.path))
                return Fail(output_label + " is also the " + input.kind + " " + Quoted(input.path) +
                            "; choose another output path");
    }

    for (const std::string& warning : BuildWarnings(options)) Warn(warning);

    // Entry 1, nearest the end, is the descriptor; then readme, license, fonts.
    const kv::Descriptor descriptor = DescriptorFor(options);
    const std::string descriptor_text = kv::FormatDescriptor(descriptor);
    kv::MemorySource descriptor_body(descriptor_text.data(), descriptor_text.size());
    std::vector<kv::PackageFile> files;
    files.reserve(inputs.size() + 1);
    files.push_back({kv::kDescriptorName, &descriptor_body});
    for (size_t i = 0; i < inputs.size(); ++i) files.push_back({inputs[i].name, bodies[i].get()});

    TempOutput temp(options.output + "." + std::to_string(ProcessId()) + ".part");
    FileSink sink;
    if (!sink.Create(temp.path()))
        return Fail(output_label + " cannot be written: " + Quoted(temp.path()) + ": " +
                    sink.error());
    const bool written = kv::WritePackage(stub, files.data(), static_cast<int>(files.size()), sink);
    const bool closed = sink.Close();
    if (!written || !closed) {
        if (!stub.error().empty()) return Fail(stub_label + " cannot be read: " + stub.error());
        for (size_t i = 0; i < bodies.size(); ++i)
            if (!bodies[i]->error().empty())
                return Fail(std::string(inputs[i].kind) + " " + Quoted(inputs[i].path) + " " +
                            bodies[i]->error());
        return Fail(output_label + " cannot be written: " +
                    (sink.error().empty() ? "write failed" : sink.error()));
    }
    if (!temp.CommitAs(options.output))
        return Fail(output_label + " cannot be put in place: " + LastSystemError());

    const int64_t total = StatPath(options.output).size;
    size_t fonts = options.fonts.size();
    std::printf(
        "Wrote %s: %lld bytes (stub %lld bytes + %zu files: descriptor, %s, %s, %zu font%s)\n",
        options.output.c_str(), static_cast<long long>(total), static_cast<long long>(stub.size()),
        files.size(),
        options.readme ? ("readme " + Quoted(descriptor.readme)).c_str() : "no readme",
        options.license ? ("license " + Quoted(descriptor.license)).c_str() : "no license", fonts,
        fonts == 1 ? "" : "s");
    return kExitOk;
}

namespace {

// Opens and reads a package; prints the reason and returns false when the
// file itself cannot be opened.
bool OpenPackage(const std::string& path, FileSource& source, PackageListing& listing) {
    if (!source.Open(path)) {
        Fail("package " + Quoted(path) + " cannot be read: " + source.error());
        return false;
    }
    listing = ReadPackage(source);
    return true;
}

}  // namespace

int RunList(const std::string& package) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing)) return kExitFailed;

    std::printf("Package %s: %lld bytes, count field %d\n", package.c_str(),
                static_cast<long long>(listing.length), listing.count);
    std::printf("%5s  %10s  %-10s  %s\n", "Entry", "Size", "Role", "Name");
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const kv::TrailerEntry& e = listing.entries[i];
        std::printf("%5d  %10lld  %-10s  %s\n", e.index, static_cast<long long>(e.size),
                    RoleName(listing.RoleAt(i)), e.name.c_str());
    }
    if (!listing.walked()) return Fail(JudgePackage(listing).problem);
    std::printf("Stub and padding: %lld bytes\n", static_cast<long long>(listing.stub_length));
    std::printf("Integrity: %s\n", IntegrityText(listing).c_str());

    if (listing.descriptor_entry < 0) return Fail("the package holds no entry named KERVALE.DAT");
    if (!listing.descriptor_error.empty())
        return Fail("the descriptor KERVALE.DAT cannot be read: " + listing.descriptor_error);
    std::printf("Descriptor (entry %d, %d of 6 fields):\n",
                listing.entries[static_cast<size_t>(listing.descriptor_entry)].index,
                listing.descriptor_fields);
    const kv::Descriptor& d = listing.descriptor;
    const std::pair<const char*, const std::string*> fields[] = {
        {"signature", &d.signature}, {"readme", &d.readme},   {"license", &d.license},
        {"font name", &d.font_name}, {"web url", &d.web_url}, {"link title", &d.link_name}};
    for (int i = 0; i < listing.descriptor_fields; ++i)
        std::printf("  %d %-10s  %s\n", i + 1, fields[i].first, Quoted(*fields[i].second).c_str());
    return kExitOk;
}

int RunExtract(const std::string& package, const std::string& directory) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing)) return kExitFailed;
    // Like the installer: the whole directory is walked before anything is written.
    if (!listing.walked()) return Fail(JudgePackage(listing).problem);

    const std::string directory_label = "folder " + Quoted(directory);
    if (directory.empty()) return Fail("the target folder is empty");
    const FileStatus directory_status = StatPath(directory);
    if (directory_status.exists && !directory_status.is_directory)
        return Fail(directory_label + " is a file, not a folder");
    errno = 0;
    if (!MakeDirectories(directory))
        return Fail(directory_label + " cannot be created: " + LastSystemError());

    for (const kv::TrailerEntry& e : listing.entries) {
        const std::string path = JoinPath(directory, e.name);
        // A fresh file: never write through a link that was already there.
        std::remove(path.c_str());
        FileSink sink;
        if (!sink.Create(path)) return Fail(Quoted(path) + " cannot be written: " + sink.error());
        const bool copied = kv::CopyRange(source, e.body_offset, e.size, sink);
        const bool closed = sink.Close();
        if (!copied || !closed) {
            std::remove(path.c_str());
            if (!source.error().empty())
                return Fail("package " + Quoted(package) + " cannot be read: " + source.error());
            return Fail(Quoted(path) + " cannot be written: " + sink.error());
        }
    }
    std::printf("Extracted %zu files from %s into %s\n", listing.entries.size(), package.c_str(),
                directory.c_str());
    return kExitOk;
}

int RunVerify(const std::string& package) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing)) return kExitFailed;
    const PackageVerdict verdict = JudgePackage(listing);
    for (const std::string& warning : verdict.warnings) Warn(warning);
    if (!verdict.ok()) return Fail(Quoted(package) + ": " + verdict.problem);
    const std::string name = BaseName(package);
    if (name.size() < 4 || !EqualIgnoringCase(name.substr(name.size() - 4), ".exe"))
        Warn(Quoted(package) +
             " does not end in .exe; the installer finds its own file only by its .exe name");
    std::printf("OK: %s: %s\n", package.c_str(), Summary(listing).c_str());
    return kExitOk;
}

}  // namespace kvpack
