// The integrity record in the trailer filler, and the CRC-32 it holds.
//
// The 514-byte filler, which older readers never look at, may carry an
// integrity record: a marker, a version, the payload's length and its
// CRC-32. The payload runs from the last entry's first body byte up to and
// including the count field.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_source.h"

namespace kv {

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

// Absent: the record's 32 bytes are all zero, as older packages hold them.
// Damaged: anything else that is not our marker with our version, so a
// changed byte (and with it any damage elsewhere) never turns the check off.
enum class RecordState { Absent, Present, Damaged };
RecordState DecodeRecord(const unsigned char (&bytes)[kRecordBytes], IntegrityRecord& record);

// CRC-32 (the common reflected 0xEDB88320 polynomial), continued from `crc`
// (0 to start): zlib's in the host build, TableCrc32 (crc32_table.h) in the
// stub.
uint32_t Crc32(uint32_t crc, const void* data, size_t n);

enum class IntegrityState { Absent, Valid, Mismatch, RecordDamaged };

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
