// Walks the trailer of arbitrary bytes: every entry must come back with a
// bare name, a body inside the data and a size within the format's range.
#include <cstdint>
#include <cstdlib>

#include "text_utils.h"
#include "trailer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kv::MemorySource source(data, size);
    int64_t lowest = static_cast<int64_t>(size);
    kv::WalkTrailer(source, [&](const kv::TrailerEntry& e) {
        if (!kv::IsBareFileName(e.name)) std::abort();
        if (e.size < 0 || e.size > kv::kMaxBodyBytes) std::abort();
        if (e.body_offset < 0 || e.body_offset + e.size > lowest) std::abort();
        lowest = e.body_offset;
        return true;
    });
    return 0;
}
