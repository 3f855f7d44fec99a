#include "integrity.h"

#include <cstring>

#include "crc32_table.h"
#include "trailer.h"

#ifdef KERVALE_ZLIB_CRC
#include <zlib.h>
#endif

namespace kv {

void EncodeRecord(const IntegrityRecord& record, unsigned char (&bytes)[kRecordBytes]) {
    std::memset(bytes, 0, kRecordBytes);
    std::memcpy(bytes, kRecordMarker, sizeof kRecordMarker);
    auto put = [&](int at, uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put(16, kRecordVersion, 4);
    put(20, record.payload_length, 8);
    put(28, record.crc32, 4);
}

RecordState DecodeRecord(const unsigned char (&bytes)[kRecordBytes], IntegrityRecord& record) {
    unsigned char any = 0;
    for (unsigned char b : bytes) any |= b;
    if (any == 0) return RecordState::Absent;
    if (std::memcmp(bytes, kRecordMarker, sizeof kRecordMarker) != 0 ||
        LoadLe32(bytes + 16) != kRecordVersion)
        return RecordState::Damaged;
    record.payload_length =
        LoadLe32(bytes + 20) | (static_cast<uint64_t>(LoadLe32(bytes + 24)) << 32);
    record.crc32 = LoadLe32(bytes + 28);
    return RecordState::Present;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t n) {
#ifdef KERVALE_ZLIB_CRC
    // The packaging tool checksums every byte it writes; zlib's routine is
    // about three times faster than the table routine.
    while (n > 0) {
        const uInt part = n > 0x40000000u ? 0x40000000u : static_cast<uInt>(n);
        crc = static_cast<uint32_t>(crc32(crc, static_cast<const Bytef*>(data), part));
        data = static_cast<const unsigned char*>(data) + part;
        n -= part;
    }
    return crc;
#else
    return TableCrc32(crc, data, n);
#endif
}

IntegrityState CheckIntegrity(ByteSource& file, int64_t package_end, int64_t payload_start,
                              void (*between_chunks)(void*), void* context) {
    const int64_t filler = package_end - kFillerBytes;
    unsigned char bytes[kRecordBytes];
    IntegrityRecord record;
    // Unread bytes are not known to be zero.
    if (filler < 0 || !file.read(filler, bytes, kRecordBytes)) return IntegrityState::RecordDamaged;
    switch (DecodeRecord(bytes, record)) {
    case RecordState::Absent: return IntegrityState::Absent;
    case RecordState::Damaged: return IntegrityState::RecordDamaged;
    case RecordState::Present: break;
    }
    if (payload_start < 0 || payload_start > filler ||
        record.payload_length != static_cast<uint64_t>(filler - payload_start))
        return IntegrityState::Mismatch;

    CrcSink crc;
    if (!CopyRange(file, payload_start, filler - payload_start, crc, between_chunks, context))
        return IntegrityState::Mismatch;
    return crc.crc() == record.crc32 ? IntegrityState::Valid : IntegrityState::Mismatch;
}

}  // namespace kv
