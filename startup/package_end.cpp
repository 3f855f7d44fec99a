#include "package_end.h"

#include <cstring>
#include <memory>

#include "trailer.h"

#ifdef KERVALE_ZLIB_CRC
#include <zlib.h>
#endif

namespace kv {

namespace {

uint32_t U16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t U32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Every WIN_CERTIFICATE in the table has a length of at least its own
// 8-byte header, and the 8-aligned entries fill the table exactly.
bool CertificateTableIsSound(ByteSource& file, int64_t offset, int64_t size) {
    int64_t at = 0;
    for (int entries = 0; at < size; ++entries) {
        if (entries == kMaxCertificates) return false;
        unsigned char header[8];
        if (size - at < 8 || !file.read(offset + at, header, 8)) return false;
        const int64_t length = U32(header);
        if (length < 8 || length > size - at) return false;
        at += (length + 7) & ~int64_t{7};
    }
    return at == size || at - size < 8;
}

#ifndef KERVALE_ZLIB_CRC
uint32_t g_crc_table[8][256];
bool g_crc_ready = false;

void MakeCrcTable() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        g_crc_table[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        for (int t = 1; t < 8; ++t)
            g_crc_table[t][i] = (g_crc_table[t - 1][i] >> 8) ^ g_crc_table[0][g_crc_table[t - 1][i] & 0xFF];
    }
    g_crc_ready = true;
}
#endif

}  // namespace

bool ReadPeImage(ByteSource& file, PeImage& image) {
    image = PeImage();
    unsigned char dos[64];
    if (!file.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    const int64_t pe = U32(dos + 0x3C);
    unsigned char head[24 + 2];  // "PE\0\0", the COFF header, the optional header's magic
    if (!file.read(pe, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0) return false;
    image.machine = static_cast<uint16_t>(U16(head + 4));
    image.characteristics = static_cast<uint16_t>(U16(head + 4 + 18));
    const uint32_t optional_size = U16(head + 4 + 16);
    image.magic = static_cast<uint16_t>(U16(head + 24));
    uint32_t count_at;  // NumberOfRvaAndSizes, within the optional header
    if (image.magic == 0x10B) {
        count_at = 92;
    } else if (image.magic == 0x20B) {
        count_at = 108;
    } else {
        return false;
    }
    constexpr uint32_t kSubsystemAt = 68;  // the same in PE32 and PE32+
    unsigned char subsystem[2];
    if (optional_size >= kSubsystemAt + 2 && file.read(pe + 24 + kSubsystemAt, subsystem, 2))
        image.subsystem = static_cast<uint16_t>(U16(subsystem));
    constexpr uint32_t kSecurity = 4;
    const uint32_t entry_at = count_at + 4 + kSecurity * 8;
    unsigned char count[4], entry[8];
    if (optional_size < entry_at + 8 || !file.read(pe + 24 + count_at, count, 4) ||
        U32(count) <= kSecurity || !file.read(pe + 24 + entry_at, entry, 8))
        return true;  // a PE image without a security directory
    image.security_entry_at = pe + 24 + entry_at;
    image.security_offset = U32(entry);
    image.security_size = U32(entry + 4);
    return true;
}

bool IsWin32GuiProgram(const PeImage& image) {
    constexpr uint16_t kExecutable = 0x0002, kDll = 0x2000;
    return image.machine == 0x14C && image.magic == 0x10B && image.subsystem == 2 &&
           (image.characteristics & kExecutable) != 0 && (image.characteristics & kDll) == 0;
}

PackageEndError FindPackageEnd(ByteSource& file, int64_t& end) {
    end = file.size();
    if (end < 0) return PackageEndError::ReadFailed;
    PeImage image;
    if (!ReadPeImage(file, image) || image.security_entry_at < 0) return PackageEndError::None;
    const int64_t offset = image.security_offset, size = image.security_size;
    // Only a table that ends the file counts: one that ends earlier had
    // bytes appended after signing (a package built on a signed stub).
    if (size == 0 || offset + size != end) return PackageEndError::None;
    if (offset == 0 || offset % 8 != 0 || !CertificateTableIsSound(file, offset, size))
        return PackageEndError::CertificateTableDamaged;
    end = offset;
    return PackageEndError::None;
}

void EncodeRecord(const IntegrityRecord& record, unsigned char (&bytes)[kRecordBytes]) {
    std::memset(bytes, 0, kRecordBytes);
    std::memcpy(bytes, kRecordMarker, sizeof kRecordMarker);
    auto put = [&](int at, uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put(16, kRecordVersion, 4);
    put(20, record.payload_length, 8);
    put(28, record.crc32, 4);
}

RecordState DecodeRecord(const unsigned char (&bytes)[kRecordBytes], IntegrityRecord& record) {
    int flipped_bits = 0;
    for (size_t i = 0; i < sizeof kRecordMarker; ++i)
        for (unsigned diff = bytes[i] ^ static_cast<unsigned char>(kRecordMarker[i]); diff;
             diff &= diff - 1)
            ++flipped_bits;
    if (flipped_bits > 2) return RecordState::Absent;
    if (flipped_bits > 0 || U32(bytes + 16) != kRecordVersion) return RecordState::Damaged;
    record.payload_length = U32(bytes + 20) | (static_cast<uint64_t>(U32(bytes + 24)) << 32);
    record.crc32 = U32(bytes + 28);
    return RecordState::Present;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t n) {
#ifdef KERVALE_ZLIB_CRC
    // The packaging tool checksums every byte it writes; zlib's routine is
    // about three times faster than the table below.
    while (n > 0) {
        const uInt part = n > 0x40000000u ? 0x40000000u : static_cast<uInt>(n);
        crc = static_cast<uint32_t>(crc32(crc, static_cast<const Bytef*>(data), part));
        data = static_cast<const unsigned char*>(data) + part;
        n -= part;
    }
    return crc;
#else
    if (!g_crc_ready) MakeCrcTable();
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t c = ~crc;
    // Eight bytes a step: the check runs over every installer's whole payload.
    while (n >= 8) {
        const uint32_t lo = c ^ U32(p);
        const uint32_t hi = U32(p + 4);
        c = g_crc_table[7][lo & 0xFF] ^ g_crc_table[6][(lo >> 8) & 0xFF] ^
            g_crc_table[5][(lo >> 16) & 0xFF] ^ g_crc_table[4][lo >> 24] ^
            g_crc_table[3][hi & 0xFF] ^ g_crc_table[2][(hi >> 8) & 0xFF] ^
            g_crc_table[1][(hi >> 16) & 0xFF] ^ g_crc_table[0][hi >> 24];
        p += 8;
        n -= 8;
    }
    while (n--) c = g_crc_table[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
#endif
}

IntegrityState CheckIntegrity(ByteSource& file, int64_t package_end, int64_t payload_start,
                              void (*between_chunks)(void*), void* context) {
    const int64_t filler = package_end - kFillerBytes;
    unsigned char bytes[kRecordBytes];
    IntegrityRecord record;
    if (filler < 0 || !file.read(filler, bytes, kRecordBytes)) return IntegrityState::Absent;
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
