#include "package_end.h"

#include <cstring>

namespace kv {

namespace {

// Every WIN_CERTIFICATE in the table has a length of at least its own
// 8-byte header, and the 8-aligned entries fill the table exactly.
bool CertificateTableIsSound(ByteSource& file, int64_t offset, int64_t size) {
    int64_t at = 0;
    for (int entries = 0; at < size; ++entries) {
        if (entries == kMaxCertificates) return false;
        unsigned char header[8];
        if (size - at < 8 || !file.read(offset + at, header, 8)) return false;
        const int64_t length = LoadLe32(header);
        if (length < 8 || length > size - at) return false;
        at += (length + 7) & ~int64_t{7};
    }
    return at == size || at - size < 8;
}

}  // namespace

bool ReadPeImage(ByteSource& file, PeImage& image) {
    image = PeImage();
    unsigned char dos[64];
    if (!file.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    const int64_t pe = LoadLe32(dos + 0x3C);
    unsigned char head[24 + 2];  // "PE\0\0", the COFF header, the optional header's magic
    if (!file.read(pe, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0) return false;
    image.machine = static_cast<uint16_t>(LoadLe16(head + 4));
    image.characteristics = static_cast<uint16_t>(LoadLe16(head + 4 + 18));
    const uint32_t optional_size = LoadLe16(head + 4 + 16);
    image.magic = static_cast<uint16_t>(LoadLe16(head + 24));
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
        image.subsystem = static_cast<uint16_t>(LoadLe16(subsystem));
    constexpr uint32_t kSecurity = 4;
    const uint32_t entry_at = count_at + 4 + kSecurity * 8;
    unsigned char count[4], entry[8];
    if (optional_size < entry_at + 8 || !file.read(pe + 24 + count_at, count, 4) ||
        LoadLe32(count) <= kSecurity || !file.read(pe + 24 + entry_at, entry, 8))
        return true;  // a PE image without a security directory
    image.security_entry_at = pe + 24 + entry_at;
    image.security_offset = LoadLe32(entry);
    image.security_size = LoadLe32(entry + 4);
    return true;
}

ProgramFault CheckWin32GuiProgram(const PeImage& image) {
    constexpr uint16_t kExecutable = 0x0002, kDll = 0x2000;
    if (image.machine != 0x14C) return ProgramFault::OtherMachine;
    if (image.magic != 0x10B) return ProgramFault::NotPe32;
    if (image.characteristics & kDll) return ProgramFault::Dll;
    if (!(image.characteristics & kExecutable)) return ProgramFault::NotExecutable;
    if (image.subsystem != 2) return ProgramFault::NotGui;
    return ProgramFault::None;
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
}  // namespace kv
