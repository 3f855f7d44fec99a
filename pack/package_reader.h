// Reads a built package the way the installer does: the trailer walk of the
// format core, then the descriptor that the installer would find on disk.
// Works on any kv::ByteSource, so it is tested on memory buffers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "byte_source.h"
#include "descriptor.h"
#include "package_end.h"
#include "rules.h"
#include "trailer.h"

namespace kvpack {

struct PackageListing {
    int64_t length = 0;
    int count = 0;  // the count field as decoded
    std::vector<kv::TrailerEntry> entries;
    kv::TrailerError error = kv::TrailerError::None;  // the walk's, after `entries`
    bool count_field_failed = false;                  // the error came before any entry
    int64_t stub_length = 0;                          // valid when the walk succeeded
    int64_t package_end = 0;  // where the package ends: before a signature's certificate table
    kv::IntegrityState integrity = kv::IntegrityState::Absent;  // valid when the walk succeeded
    bool is_signed() const { return package_end < length; }

    // The entry whose content the installer reads as KERVALE.DAT: the last one
    // extracted under that name in any case (Windows names ignore case), or
    // -1. Only looked for when an entry bears the exact name.
    int descriptor_entry = -1;
    int descriptor_fields = 0;     // how many of the six fields it holds
    std::string descriptor_error;  // the entry could not be read
    kv::Descriptor descriptor;

    bool walked() const { return error == kv::TrailerError::None; }
    bool has_descriptor() const { return descriptor_entry >= 0 && descriptor_error.empty(); }
    Role RoleAt(size_t i) const;
};

// Walks the trailer and reads the descriptor. Never fails as such: what went
// wrong is recorded in the listing.
PackageListing ReadPackage(kv::ByteSource& source);

struct PackageVerdict {
    std::string problem;  // why the installer rejects or breaks; "" when fine
    std::vector<std::string> warnings;
    bool ok() const { return problem.empty(); }
};

// What the installer would make of the package.
PackageVerdict JudgePackage(const PackageListing& listing);

// The integrity record's state, and the signature's table if there is one.
std::string IntegrityText(const PackageListing& listing);

// One line for verify: files, roles, font name, web link, checksum.
std::string Summary(const PackageListing& listing);

}  // namespace kvpack
