// What the installer accepts: one verdict over what it knows of a package,
// shared by the installer, which acts on it, and the packaging tool's verify
// and extract, which say it in words. The installer decides in two moments:
// before it writes anything (the trailer walk, the integrity record, a
// listed descriptor) and once the descriptor is extracted and read.
#pragma once

#include <cstdint>

#include "byte_source.h"
#include "integrity.h"
#include "trailer.h"

namespace kv {

// What the installer knows before it writes anything.
struct ListingFacts {
    TrailerError walk = TrailerError::None;             // the walk's first error
    IntegrityState integrity = IntegrityState::Absent;  // checked after a whole walk only
    bool descriptor_listed = false;  // an entry bears the descriptor's name exactly
};

// The trailer walked as the installer walks it, then the integrity record
// checked: `on_entry` sees every entry the walk takes, in order;
// `between_chunks` runs during the checksum, as in CopyRange.
struct PackageWalk {
    ListingFacts facts;
    int count = 0;                 // the count field as decoded
    bool failed_at_count = false;  // the walk failed before any entry
    int64_t package_end = 0;       // before a signature's certificate table
    // Where the last body begins once the walk is whole (the stub's end);
    // after a failed walk, just below the last entry it took.
    int64_t lowest_offset = 0;
};
template <typename OnEntry>
PackageWalk WalkPackage(ByteSource& package, OnEntry&& on_entry, void (*between_chunks)(void*),
                        void* context) {
    PackageWalk walk;
    TrailerWalker walker(package);
    TrailerError& error = walk.facts.walk;
    error = walker.Start();
    walk.failed_at_count = error != TrailerError::None;
    walk.count = walker.count();
    TrailerEntry entry;
    // The trailer is read whole before anything is written.
    while (error == TrailerError::None && !walker.done()) {
        error = walker.Next(entry);
        if (error != TrailerError::None) break;
        on_entry(entry);
        walk.facts.descriptor_listed =
            walk.facts.descriptor_listed || entry.name == kDescriptorName;
    }
    walk.package_end = walker.package_end();
    walk.lowest_offset = walker.lowest_offset();
    if (error == TrailerError::None)
        walk.facts.integrity =
            CheckIntegrity(package, walk.package_end, walk.lowest_offset, between_chunks, context);
    return walk;
}

// The descriptor as the installer reads it after the extraction: its
// first kRequiredDescriptorFields fields, which it cannot run without.
constexpr int kRequiredDescriptorFields = 5;
struct DescriptorFacts {
    int fields = 0;  // how many were read; 0 when the file could not be read
    bool signature_valid = false;
};

// Why the installer refuses a package, in the order it checks.
enum class Refusal : uint8_t {
    None,
    TrailerDamaged,
    ChecksumMismatch,
    IntegrityRecordDamaged,
    NoDescriptor,        // no entry named KERVALE.DAT
    DescriptorTooShort,  // fewer than kRequiredDescriptorFields fields
    WrongSignature,
};

// What the installer does: runs, or ends with one of its two messages.
enum class InstallerOutcome : uint8_t { Runs, DamagedFile, DatafileCorrupted };

struct InstallerVerdict {
    Refusal reason = Refusal::None;
    bool accepted() const { return reason == Refusal::None; }
    InstallerOutcome outcome() const {
        if (reason == Refusal::None) return InstallerOutcome::Runs;
        return reason == Refusal::WrongSignature ? InstallerOutcome::DatafileCorrupted
                                                 : InstallerOutcome::DamagedFile;
    }
};

// The verdict on what is known so far: without `descriptor` (before the
// extraction) a listing that passes is accepted for now, and the same
// listing with its descriptor's facts gives the final verdict.
InstallerVerdict JudgeAsInstaller(const ListingFacts& listing, const DescriptorFacts* descriptor);

}  // namespace kv
