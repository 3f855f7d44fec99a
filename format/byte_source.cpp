#include "byte_source.h"

#include <memory>

namespace kv {

bool CopyRange(ByteSource& from, int64_t offset, int64_t length, ByteSink& to,
               void (*between_chunks)(void*), void* context) {
    // Large chunks keep the per-chunk cost (two system calls and, in the
    // installer, one turn of the message loop) small against the copy itself.
    static constexpr int64_t kChunk = 1 << 20;
    const size_t buffer_size = static_cast<size_t>(length < kChunk ? length : kChunk);
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[buffer_size ? buffer_size : 1]);
    while (length > 0) {
        size_t n = length < kChunk ? static_cast<size_t>(length) : static_cast<size_t>(kChunk);
        if (!from.read(offset, buffer.get(), n) || !to.write(buffer.get(), n)) return false;
        offset += static_cast<int64_t>(n);
        length -= static_cast<int64_t>(n);
        if (between_chunks) between_chunks(context);
    }
    return true;
}

}  // namespace kv
