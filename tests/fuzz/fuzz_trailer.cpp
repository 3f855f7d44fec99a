// Walks the trailer of arbitrary bytes as the installer does, with the
// signature's certificate table and the integrity record: every entry must
// come back with a bare name, a body inside the package and a size within
// the format's range, and a listing the installer accepts lists the descriptor.
#include <cstdint>
#include <cstdlib>

#include "installer_verdict.h"
#include "name_rules.h"
#include "trailer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kv::MemorySource source(data, size);
    // Each body lies below the one before it; the first one below the
    // package's end, which is checked once the walk has found it.
    int64_t lowest = static_cast<int64_t>(size), first_end = -1;
    const kv::PackageWalk walk = kv::WalkPackage(
        source,
        [&](const kv::TrailerEntry& e) {
            if (!kv::IsBareFileName(e.name)) std::abort();
            if (e.size < 0 || e.size > kv::kMaxBodyBytes) std::abort();
            if (e.body_offset < 0 || e.body_offset + e.size > lowest) std::abort();
            if (first_end < 0) first_end = e.body_offset + e.size;
            lowest = e.body_offset;
        },
        nullptr, nullptr);
    if (walk.facts.walk != kv::TrailerError::None) return 0;
    if (walk.package_end < 0 || walk.package_end > static_cast<int64_t>(size)) std::abort();
    if (first_end > walk.package_end || walk.lowest_offset != lowest) std::abort();
    if (kv::JudgeAsInstaller(walk.facts, nullptr).accepted() && !walk.facts.descriptor_listed)
        std::abort();
    return 0;
}
