// Where the package ends, and the integrity record in the trailer filler.
//
// A code-signing tool appends its certificate table after our trailer; the
// PE header's security directory then says where that table begins, and the
// package ends there. The packaging tool pads every package to a multiple of
// 8 bytes so that the signing tool's own padding never shifts the trailer.
//
// The 514-byte filler, which older readers never look at, may carry an
// integrity record: a marker, a version, the payload's length and its
// CRC-32. The payload runs from the last entry's first body byte up to and
// including the count field.
#pragma once

#include <cstdint>

#include "byte_source.h"

namespace kv {

enum class PackageEndError { None, ReadFailed, CertificateTableDamaged };

// The offset where the package ends: the file's length, or the start of a
// certificate table that ends exactly at the end of a PE file. A table that
// is not at the end, claims more bytes than the file has, or is malformed
// is an error.
PackageEndError FindPackageEnd(ByteSource& file, int64_t& end);

// The package's length must be a multiple of this, for signing.
constexpr int64_t kPackageAlignment = 8;

constexpr int64_t kRecordBytes = 32;
constexpr char kRecordMarker[16] = {'K', 'E', 'R', 'V', 'A', 'L', 'E', ' ',
                                    'C', 'H', 'E', 'C', 'K', ' ', '1', '\0'};
constexpr uint32_t kRecordVersion = 1;

struct IntegrityRecord {
    uint64_t payload_length = 0;
    uint32_t crc32 = 0;
};

// The record's 32 bytes at the start of the filler: marker (16), version
// (u32 LE), payload length (u64 LE), CRC-32 (u32 LE).
void EncodeRecord(const IntegrityRecord& record, unsigned char (&bytes)[kRecordBytes]);
// False when the bytes hold no record of a version this reader knows.
bool DecodeRecord(const unsigned char (&bytes)[kRecordBytes], IntegrityRecord& record);

// CRC-32 (the common reflected 0xEDB88320 polynomial), continued from `crc`
// (0 to start).
uint32_t Crc32(uint32_t crc, const void* data, size_t n);

enum class IntegrityState { Absent, Valid, Mismatch };

// Checks the record of the package that ends at `package_end`, whose last
// entry's body begins at `payload_start` (the trailer walk's lowest offset).
// `between_chunks` runs after every chunk read, as in CopyRange.
IntegrityState CheckIntegrity(ByteSource& file, int64_t package_end, int64_t payload_start,
                              void (*between_chunks)(void*) = nullptr, void* context = nullptr);

// A sink that keeps the CRC-32 and count of the bytes written to it, and
// passes them on to `next` when there is one.
class CrcSink final : public ByteSink {
public:
    explicit CrcSink(ByteSink* next = nullptr) : next_(next) {}
    bool write(const void* data, size_t n) override {
        crc_ = Crc32(crc_, data, n);
        count_ += n;
        return !next_ || next_->write(data, n);
    }
    uint32_t crc() const { return crc_; }
    uint64_t count() const { return count_; }

private:
    ByteSink* next_;
    uint32_t crc_ = 0;
    uint64_t count_ = 0;
};

}  // namespace kv
