// Walks the trailer of arbitrary bytes, with the signature's certificate
// table and the integrity record: every entry must come back with a bare
// name, a body inside the package and a size within the format's range.
#include <cstdint>
#include <cstdlib>

#include "integrity.h"
#include "package_end.h"
#include "name_rules.h"
#include "trailer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kv::MemorySource source(data, size);
    kv::TrailerWalker walker(source);
    if (walker.Start() != kv::TrailerError::None) return 0;
    if (walker.package_end() < 0 || walker.package_end() > static_cast<int64_t>(size)) std::abort();
    int64_t lowest = walker.package_end();
    kv::TrailerEntry e;
    while (!walker.done()) {
        if (walker.Next(e) != kv::TrailerError::None) return 0;
        if (!kv::IsBareFileName(e.name)) std::abort();
        if (e.size < 0 || e.size > kv::kMaxBodyBytes) std::abort();
        if (e.body_offset < 0 || e.body_offset + e.size > lowest) std::abort();
        lowest = e.body_offset;
    }
    kv::CheckIntegrity(source, walker.package_end(), walker.lowest_offset());
    return 0;
}
