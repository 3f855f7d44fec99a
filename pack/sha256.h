// SHA-256 (FIPS 180-4): tells one stub from another by its bytes. Plain C++,
// so both builds of the tool compute the same digest without a library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "byte_source.h"

namespace kvpack {

// Also a sink, so kv::CopyRange can feed it a file a chunk at a time.
class Sha256 final : public kv::ByteSink {
public:
    Sha256();
    void Update(const void* data, size_t n);
    bool write(const void* data, size_t n) override {
        Update(data, n);
        return true;
    }
    // The digest as 64 lower-case hex digits, as sha256sum prints it. Ends
    // the computation: Update must not be called afterwards.
    std::string HexDigest();

private:
    void Block(const unsigned char* block);

    uint32_t state_[8];
    unsigned char pending_[64];
    size_t pending_bytes_ = 0;
    uint64_t total_bytes_ = 0;
};

// The digest of the first `length` bytes of `source`, read in chunks; ""
// when they cannot be read.
std::string Sha256Of(kv::ByteSource& source, int64_t length);

}  // namespace kvpack
