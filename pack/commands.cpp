#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "file_io.h"
#include "name_rules.h"
#include "package_reader.h"
#include "platform_fs.h"
#include "option_checks.h"
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

namespace {

// One extract run: where the entries go, and what it has put there so far.
struct Extraction {
    Extraction(FileSource& package_file, const std::string& package_path, const std::string& target,
               const PackageListing& package_listing)
        : source(package_file),
          package(package_path),
          directory(target),
          listing(package_listing) {}

    FileSource& source;
    const std::string& package;
    const std::string& directory;
    const PackageListing& listing;
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
        Fail(Quoted(package) + ": " + refusal +
             "; nothing was extracted (extract --force writes out what can be read)");
        return false;
    }
    if (listing.entries.empty()) {
        Fail(Quoted(package) + ": " + refusal);
        return false;
    }
    Warn(Quoted(package) + ": " + refusal + "; extracting what can be read (--force)");
    return true;
}

// A later entry that landed on an earlier one's file: the same name twice,
// or names this folder, like Windows, takes for one.
void WarnOverwritten(const kv::TrailerEntry& first, const kv::TrailerEntry& later) {
    Warn("entry " + std::to_string(later.index) + " " + Quoted(later.name) + " overwrote entry " +
         std::to_string(first.index) + " " + Quoted(first.name) +
         (first.name == later.name ? ": the package holds that name twice"
                                   : ": this folder, like Windows, takes both names as one file"));
}

// Each file is written under a fresh name and renamed into place, so
// nothing that was already in the folder is ever written through.
std::string ExtractEntry(Extraction& x, size_t i) {
    const kv::TrailerEntry& e = x.listing.entries[i];
    const std::string label = Quoted(JoinHostPath(x.directory, e.name));
    FileSink sink(x.folder);
    if (!sink.Create())
        return label + " cannot be written: no new file can be made in " + Quoted(x.directory) +
               ": " + sink.error();
    if (!kv::CopyRange(x.source, e.body_offset, e.size, sink) || !sink.Close()) {
        if (!x.source.error().empty())
            return "package " + Quoted(x.package) + " cannot be read: " + x.source.error();
        return label + " cannot be written: " + sink.error();
    }
    const FileIdentity there = x.folder.Look(e.name);
    if (there.kind != EntryKind::Missing && there.kind != EntryKind::File)
        return label + " is " + KindText(there.kind) +
               " already; it is left as it is and nothing is written in its place";
    if (SameFile(there, x.source.identity()))
        return label + " is the package itself; extract into another folder";
    const Extraction::Placed* earlier = nullptr;
    for (const Extraction::Placed& p : x.placed)
        if (SameFile(p.identity, there)) earlier = &p;
    if (!sink.PutInPlace(e.name)) return label + " cannot be put in place: " + sink.error();
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

int RunExtract(const std::string& package, const std::string& directory, bool force) {
    FileSource source;
    PackageListing listing;
    if (!OpenPackage(package, source, listing, ReadFonts::No)) return kExitFailed;
    const std::string refusal = InstallerRefusal(listing);
    if (!MayExtract(package, listing, refusal, force)) return kExitFailed;

    if (directory.empty()) return Fail("the target folder is empty");
    RemoveTemporaryOnSignals();
    Extraction x{source, package, directory, listing};
    std::string problem;
    if (!OpenTargetFolder(directory, x.folder, problem)) return Fail(problem);
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        problem = ExtractEntry(x, i);
        if (!problem.empty()) return Fail(problem + x.WrittenSoFar());
    }
    std::printf("Extracted %zu file%s from %s into %s", x.files, x.files == 1 ? "" : "s",
                Quoted(package).c_str(), Quoted(directory).c_str());
    if (x.replaced) std::printf(" (%zu replaced a file already there)", x.replaced);
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
             " does not end in .exe; Windows and its users know a program by that ending");
    std::printf("OK: %s: %s\n", Quoted(package).c_str(), Summary(listing).c_str());
    PrintFontLines(listing, "  ");
    return kExitOk;
}

}  // namespace kvpack
