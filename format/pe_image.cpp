#include "pe_image.h"

#include <cstring>

namespace kv {

bool FindPeHeaders(ByteSource& file, PeHeaders& headers) {
    unsigned char dos_bytes[pe::kDosHeaderBytes];
    uint32_t pe_at = 0;
    if (!file.read(0, dos_bytes, sizeof dos_bytes) || dos_bytes[0] != 'M' || dos_bytes[1] != 'Z' ||
        !HeaderReader(dos_bytes, sizeof dos_bytes).ReadU32(pe::kPeOffsetAt, pe_at))
        return false;
    // The signature and the file header whole, the optional header as far
    // as the file holds it.
    int64_t n = file.size() - pe_at;
    if (n > int64_t{sizeof headers.bytes}) n = sizeof headers.bytes;
    if (n < int64_t{PeHeaders::kHeadBytes} || !file.read(pe_at, headers.bytes, size_t(n)) ||
        std::memcmp(headers.bytes, pe::kSignature, sizeof pe::kSignature) != 0)
        return false;
    headers.bytes_read = size_t(n);
    headers.file_header_at = pe_at + int64_t{sizeof pe::kSignature};
    return headers.file_header().ReadU16(pe::kOptionalHeaderSizeAt, headers.optional_header_size);
}

bool ReadPeMagic(const PeHeaders& headers, uint16_t& magic) {
    return headers.optional_header().ReadU16(pe::kMagicAt, magic) &&
           (magic == pe::kMagicPe32 || magic == pe::kMagicPe32Plus);
}

bool ReadSecurityEntry(const PeHeaders& headers, SecurityEntry& entry) {
    const HeaderReader optional = headers.optional_header();
    uint16_t magic = 0;
    if (!ReadPeMagic(headers, magic)) return false;
    // The data directories follow their count.
    const size_t count_at =
        magic == pe::kMagicPe32 ? pe::kDirectoryCountAtPe32 : pe::kDirectoryCountAtPe32Plus;
    const size_t entry_at =
        count_at + pe::kDirectoryCountBytes + pe::kSecurityDirectory * pe::kDirectoryBytes;
    uint32_t directories = 0;
    if (!optional.ReadU32(count_at, directories) || directories <= pe::kSecurityDirectory ||
        !optional.ReadU32(entry_at, entry.offset) ||
        !optional.ReadU32(entry_at + pe::kDirectorySizeAt, entry.size))
        return false;
    entry.at = headers.optional_header_at() + int64_t(entry_at);
    return true;
}

bool ReadSecurityEntry(ByteSource& file, SecurityEntry& entry) {
    PeHeaders headers;
    return FindPeHeaders(file, headers) && ReadSecurityEntry(headers, entry);
}

bool ReadPeImage(ByteSource& file, PeImage& image) {
    image = PeImage();
    PeHeaders headers;
    if (!FindPeHeaders(file, headers) || !ReadPeMagic(headers, image.magic)) return false;
    // The file header was read whole.
    headers.file_header().ReadU16(pe::kMachineAt, image.machine);
    headers.file_header().ReadU16(pe::kCharacteristicsAt, image.characteristics);
    if (!headers.optional_header().ReadU16(pe::kSubsystemAt, image.subsystem)) image.subsystem = 0;
    SecurityEntry security;
    if (ReadSecurityEntry(headers, security)) {
        image.security_entry_at = security.at;
        image.security_offset = security.offset;
        image.security_size = security.size;
    }
    return true;
}

ProgramFault CheckWin32GuiProgram(const PeImage& image) {
    if (image.machine != pe::kMachineI386) return ProgramFault::OtherMachine;
    if (image.magic != pe::kMagicPe32) return ProgramFault::NotPe32;
    if (image.characteristics & pe::kDll) return ProgramFault::Dll;
    if (!(image.characteristics & pe::kExecutableImage)) return ProgramFault::NotExecutable;
    if (image.subsystem != pe::kSubsystemGui) return ProgramFault::NotGui;
    return ProgramFault::None;
}

}  // namespace kv
