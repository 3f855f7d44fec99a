#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <set>
#include <vector>

#include "file_io.h"
#include "name_rules.h"
#include "package_reader.h"
#include "platform_fs.h"
#include "option_checks.h"
#include "stub_identity.h"
#include "trailer.h"

namespace kvpack {

namespace {

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
    while (!path.empty() && IsPathSeparator(path.back()) && !EndsInRoot(path)) path.pop_back();
    return path;
}

// Opens the extraction folder, creating it when missing. A symbolic link in
// its place is refused, never followed: someone else may have put it there.
bool OpenTargetFolder(const std::string& directory, Folder& folder, std::string& problem) {
    const std::string label = "folder " + QuotedPath(directory);
    const std::string path = WithoutTrailingSeparators(directory);
    errno = 0;
    if (folder.Open(path, false)) return true;
    const std::string open_error = LastSystemError();
    const std::string link = LinkTarget(path);
    if (!link.empty()) {
        problem = label + " is a symbolic link to " + QuotedPath(link) +
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

// "DIR/NAME": the folder as given, the packaged name escaped as every value
// a package holds.
std::string EntryLabel(const std::string& directory, std::string_view name) {
    std::string folder = QuotedPath(JoinHostPath(directory, ""));
    folder.pop_back();  // its closing quote
    return folder + EscapedUtf8(name) + "\"";
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

namespace {

// Opens and reads a package; prints the reason and returns false when the
// file itself cannot be opened or is no installer at all.
bool OpenPackage(const std::string& path, FileSource& source, PackageListing& listing,
                 ReadFonts fonts) {
    if (!source.Open(path)) {
        Fail("package " + QuotedPath(path) + " cannot be read: " + source.error());
        return false;
    }
    listing = ReadPackage(source, fonts);
    if (listing.no_trailer) {
        Fail(QuotedPath(path) + " " + NotAnInstallerText(listing));
        return false;
    }
    return true;
}

void PrintIndented(const std::string& line, void*) { std::printf("  %s\n", line.c_str()); }

// Prints each font's lines as soon as they are known; returns how many font
// entries are not fonts.
size_t PrintFontLines(kv::ByteSource& source, const PackageListing& listing) {
    return WriteFontLines(source, listing, PrintIndented, nullptr);
}

}  // namespace

int RunList(const std::string& package) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing, ReadFonts::No)) return kExitFailed;

    std::printf("Package %s: %lld bytes, count field %d\n", QuotedPath(package).c_str(),
                static_cast<long long>(listing.length), listing.count);
    std::printf("%5s  %10s  %-10s  %s\n", "Entry", "Size", "Role", "Name");
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const kv::TrailerEntry& e = listing.entries[i];
        std::printf("%5d  %10lld  %-10s  %s\n", e.index, static_cast<long long>(e.size),
                    RoleName(listing.RoleAt(i)), EscapedWindows1252(e.name).c_str());
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
                    QuotedWindows1252(listing.descriptor.*field.value).c_str());
    }
    std::printf("Fonts, as FreeType reads them:\n");
    PrintFontLines(source, listing);
    return kExitOk;
}

namespace {

// One extract run: where the entries go, and what it has put there so far.
struct Extraction {
    Extraction(FileSource& package_file, const std::string& package_path, const std::string& target,
               const PackageListing& package_listing, bool replace_existing)
        : source(package_file),
          package(package_path),
          directory(target),
          listing(package_listing),
          overwrite(replace_existing) {}

    FileSource& source;
    const std::string& package;
    const std::string& directory;
    const PackageListing& listing;
    const bool overwrite;
    Folder folder;
    struct Placed {
        FileIdentity identity;
        size_t entry;
    };
    std::vector<Placed> placed;
    size_t files = 0, replaced = 0;

    // Ends every message about a failed entry.
    std::string WrittenSoFar() const {
        return files == 0 ? std::string()
                          : " (" + std::to_string(files) + " file" + (files == 1 ? "" : "s") +
                                " were written before)";
    }
};

// Like the installer, extract judges the whole package before it writes
// anything; --force writes what can be read all the same. False when the
// run stops here.
bool MayExtract(const std::string& package, const PackageListing& listing,
                const std::string& refusal, bool force) {
    if (refusal.empty()) return true;
    if (!force) {
        Fail(QuotedPath(package) + ": " + refusal +
             "; nothing was extracted (extract --force writes out what can be read)");
        return false;
    }
    if (listing.entries.empty()) {
        Fail(QuotedPath(package) + ": " + refusal);
        return false;
    }
    Warn(QuotedPath(package) + ": " + refusal + "; extracting what can be read (--force)");
    return true;
}

// A later entry that landed on an earlier one's file: the same name twice,
// or names this folder, like Windows, takes for one.
void WarnOverwritten(const kv::TrailerEntry& first, const kv::TrailerEntry& later) {
    Warn("entry " + std::to_string(later.index) + " " + QuotedWindows1252(later.name) +
         " overwrote entry " + std::to_string(first.index) + " " + QuotedWindows1252(first.name) +
         (first.name == later.name ? ": the package holds that name twice"
                                   : ": this folder, like Windows, takes both names as one file"));
}

// What already stands in the folder under the package's names, judged
// before the first file is written so a refusal leaves the folder as it
// was: a plain file is replaced only with --overwrite; a folder, a link or
// anything else never.
std::string InTheWay(Extraction& x) {
    std::set<std::string> seen;
    std::vector<std::string> existing;
    for (const kv::TrailerEntry& e : x.listing.entries) {
        const std::string name(e.name);
        if (!seen.insert(name).second) continue;
        const FileIdentity there = x.folder.Look(name);
        if (there.kind == EntryKind::Missing) continue;
        const std::string label = EntryLabel(x.directory, name);
        if (there.kind != EntryKind::File)
            return label + " is " + KindText(there.kind) +
                   " already; it is left as it is and nothing was extracted";
        if (SameFile(there, x.source.identity()))
            return label + " is the package itself; extract into another folder";
        if (!x.overwrite) existing.push_back(label);
    }
    if (existing.empty()) return std::string();
    constexpr size_t kNamed = 5;
    std::string names;
    for (size_t i = 0; i < existing.size() && i < kNamed; ++i)
        names += (i ? ", " : "") + existing[i];
    if (existing.size() > kNamed)
        names += " and " + std::to_string(existing.size() - kNamed) + " more";
    return (existing.size() == 1 ? names + " exists"
                                 : std::to_string(existing.size()) + " files exist: " + names) +
           " already; nothing was extracted (extract --overwrite replaces existing files)";
}

// Each file is written under a fresh name and renamed into place, so
// nothing that was already in the folder is ever written through; what is
// there is replaced only when it is this run's own file or --overwrite says so.
std::string ExtractEntry(Extraction& x, size_t i) {
    const kv::TrailerEntry& e = x.listing.entries[i];
    const std::string name(e.name);
    const std::string label = EntryLabel(x.directory, name);
    FileSink sink(x.folder);
    if (!sink.Create())
        return label + " cannot be written: no new file can be made in " + QuotedPath(x.directory) +
               ": " + sink.error();
    if (!kv::CopyRange(x.source, e.body_offset, e.size, sink) || !sink.Close()) {
        if (!x.source.error().empty())
            return "package " + QuotedPath(x.package) + " cannot be read: " + x.source.error();
        return label + " cannot be written: " + sink.error();
    }
    const FileIdentity there = x.folder.Look(name);
    if (there.kind != EntryKind::Missing && there.kind != EntryKind::File)
        return label + " is " + KindText(there.kind) +
               " already; it is left as it is and nothing is written in its place";
    if (SameFile(there, x.source.identity()))
        return label + " is the package itself; extract into another folder";
    const Extraction::Placed* earlier = nullptr;
    for (const Extraction::Placed& p : x.placed)
        if (SameFile(p.identity, there)) earlier = &p;
    const bool replace = earlier || (x.overwrite && there.kind == EntryKind::File);
    if (!sink.PutInPlace(name, replace)) {
        if (sink.name_taken())
            return label +
                   " appeared while extract was writing; it is left as it is (extract "
                   "--overwrite replaces existing files)";
        return label + " cannot be put in place: " + sink.error();
    }
    if (earlier) {
        WarnOverwritten(x.listing.entries[earlier->entry], e);
    } else {
        ++x.files;
        if (there.kind == EntryKind::File) ++x.replaced;
    }
    x.placed.push_back({sink.identity(), i});
    return std::string();
}

}  // namespace

int RunExtract(const std::string& package, const std::string& directory, bool force,
               bool overwrite) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing, ReadFonts::No)) return kExitFailed;
    const std::string refusal = InstallerRefusal(listing);
    if (!MayExtract(package, listing, refusal, force)) return kExitFailed;

    if (directory.empty()) return Fail("the target folder is empty");
    RemoveTemporaryOnSignals();
    Extraction x{source, package, directory, listing, overwrite};
    std::string problem;
    if (!OpenTargetFolder(directory, x.folder, problem)) return Fail(problem);
    problem = InTheWay(x);
    if (!problem.empty()) return Fail(problem);
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        problem = ExtractEntry(x, i);
        if (!problem.empty()) return Fail(problem + x.WrittenSoFar());
    }
    std::printf("Extracted %zu file%s from %s into %s", x.files, x.files == 1 ? "" : "s",
                QuotedPath(package).c_str(), QuotedPath(directory).c_str());
    if (x.replaced) std::printf(" (%zu replaced a file already there)", x.replaced);
    std::printf("\n");
    if (!refusal.empty())
        return Fail(
            "the installer would refuse this package; its files were written only because "
            "of --force");
    return kExitOk;
}

namespace {

// Whether the package's stub is Kervale's: "" when it is, else the line
// that says it is not.
std::string ForeignStub(FileSource& source, const PackageListing& listing) {
    kv::SliceSource stub(source, 0, listing.stub_length);
    const std::string digest = StubDigest(stub);
    if (digest.empty()) return "its stub cannot be read: " + source.error();
    const KervaleStubs kervale = LoadKervaleStubs();
    return kervale.Knows(digest) ? std::string() : "stub " + kervale.NotKervaleText(digest);
}

}  // namespace

int RunVerify(const std::string& package, bool any_stub) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing, ReadFonts::Yes)) return kExitFailed;
    const PackageVerdict verdict = JudgePackage(listing);
    for (const std::string& warning : verdict.warnings) Warn(warning);
    if (!verdict.ok()) return Fail(QuotedPath(package) + ": " + verdict.problem);
    const std::string foreign = ForeignStub(source, listing);
    if (!foreign.empty() && !any_stub)
        return Fail(QuotedPath(package) + ": " + foreign +
                    "; the installer runs code that is not Kervale's (verify --any-stub accepts "
                    "any stub)");
    if (!foreign.empty()) Warn(QuotedPath(package) + ": " + foreign + " (accepted: --any-stub)");
    if (!kv::HasExeSuffix(BaseName(package)))
        Warn(QuotedPath(package) +
             " does not end in .exe; Windows and its users know a program by that ending");
    std::printf("OK: %s: %s\n", QuotedPath(package).c_str(), Summary(listing).c_str());
    // The fonts are read once more to be shown: what was judged must be
    // what is shown.
    if (PrintFontLines(source, listing) > 0)
        return Fail(QuotedPath(package) +
                    ": a font that passed the check did not read as one when shown: the file "
                    "changed while it was verified");
    return kExitOk;
}

}  // namespace kvpack
