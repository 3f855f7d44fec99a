// What the PE headers of an executable say, as far as packages care: the
// installer finds where a signed package ends by them, the packaging tool
// judges and identifies a stub by them. Every field is read through a
// HeaderReader at its named offset within its header.
#pragma once

#include <cstdint>

#include "byte_source.h"

namespace kv {

// The PE/COFF layout: each offset counts from the start of its own header.
namespace pe {
// The DOS header, and where in it the offset of the PE signature lies.
constexpr int64_t kDosHeaderBytes = 64;
constexpr int64_t kPeOffsetAt = 0x3C;
constexpr char kSignature[4] = {'P', 'E', '\0', '\0'};
// The COFF file header, after the signature.
constexpr int64_t kFileHeaderBytes = 20;
constexpr int64_t kMachineAt = 0;
constexpr int64_t kSectionCountAt = 2;
constexpr int64_t kOptionalHeaderSizeAt = 16;
constexpr int64_t kCharacteristicsAt = 18;
// The optional header, after the file header. Its data directories follow
// NumberOfRvaAndSizes, whose place depends on the magic.
constexpr int64_t kMagicAt = 0;
constexpr int64_t kChecksumAt = 64;  // the same in PE32 and PE32+
constexpr int64_t kChecksumBytes = 4;
constexpr int64_t kSubsystemAt = 68;
constexpr int64_t kDirectoryCountAtPe32 = 92;
constexpr int64_t kDirectoryCountAtPe32Plus = 108;
constexpr int64_t kDirectoryCountBytes = 4;
// Each directory: an address (for the security directory, a file offset)
// and a size.
constexpr int64_t kDirectoryBytes = 8;
constexpr int64_t kDirectorySizeAt = 4;
constexpr uint32_t kSecurityDirectory = 4;
// The section table, after the optional header.
constexpr int64_t kSectionHeaderBytes = 40;
constexpr int64_t kRawSizeAt = 16;
constexpr int64_t kRawOffsetAt = 20;
constexpr uint32_t kMaxSections = 96;  // the format's own limit
// The certificate table a signing tool appends: WIN_CERTIFICATE entries,
// each a header (its length, revision and type) and content, 8-aligned.
constexpr int64_t kCertificateHeaderBytes = 8;
constexpr int64_t kCertificateAlignment = 8;

constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint16_t kSubsystemGui = 2;
constexpr uint16_t kSubsystemConsole = 3;
constexpr uint16_t kExecutableImage = 0x0002;  // COFF characteristics
constexpr uint16_t kDll = 0x2000;
}  // namespace pe

// Where an image's headers lie, and their bytes from the signature on: the
// file header, and as much of the optional header as packages read (up to
// the PE32+ security directory entry), as far as the file holds it.
struct PeHeaders {
    static constexpr size_t kHeadBytes = sizeof pe::kSignature + pe::kFileHeaderBytes;
    static constexpr size_t kOptionalBytesRead = pe::kDirectoryCountAtPe32Plus +
                                                 pe::kDirectoryCountBytes +
                                                 (pe::kSecurityDirectory + 1) * pe::kDirectoryBytes;
    int64_t file_header_at = 0;  // just after "PE\0\0"
    uint16_t optional_header_size = 0;
    unsigned char bytes[kHeadBytes + kOptionalBytesRead];
    size_t bytes_read = 0;

    [[gnu::always_inline]] HeaderReader file_header() const {
        return HeaderReader(bytes, bytes_read).Part(sizeof pe::kSignature, pe::kFileHeaderBytes);
    }
    // Within the bytes read and the size the file header gives it.
    [[gnu::always_inline]] HeaderReader optional_header() const {
        return HeaderReader(bytes, bytes_read).Part(kHeadBytes, optional_header_size);
    }
    int64_t optional_header_at() const { return file_header_at + pe::kFileHeaderBytes; }
    int64_t section_table_at() const { return optional_header_at() + optional_header_size; }
};

// False when the file has no DOS header pointing at a PE signature and a
// whole file header.
bool FindPeHeaders(ByteSource& file, PeHeaders& headers);

// The optional header's magic when it is PE32 or PE32+; false for any
// other, an image this reader does not understand.
bool ReadPeMagic(const PeHeaders& headers, uint16_t& magic);

// Where the security directory entry lies and what it says: where a
// signing tool's certificate table begins, and its size.
struct SecurityEntry {
    int64_t at = -1;  // the entry's file offset; -1: the image has none
    uint32_t offset = 0;
    uint32_t size = 0;
};
// False when the image has no security directory entry, or a magic this
// reader does not understand.
bool ReadSecurityEntry(const PeHeaders& headers, SecurityEntry& entry);
// The same from the file: false when it is no PE image this reader
// understands or has no such entry.
bool ReadSecurityEntry(ByteSource& file, SecurityEntry& entry);

// What the headers say, as far as the packaging tool judges a stub.
struct PeImage {
    uint16_t machine = 0;            // 0x14C: 32-bit x86
    uint16_t characteristics = 0;    // COFF flags: executable image, DLL, ...
    uint16_t magic = 0;              // 0x10B: PE32, 0x20B: PE32+
    uint16_t subsystem = 0;          // 2: Windows GUI, 3: console; 0 when not in the header
    int64_t security_entry_at = -1;  // file offset of the security directory entry; -1: none
    uint32_t security_offset = 0;    // the certificate table: file offset and size
    uint32_t security_size = 0;
};

// False when the file is not a PE image this reader understands: no PE
// headers, or an optional header without a known magic.
bool ReadPeImage(ByteSource& file, PeImage& image);

// What an installer stub is: a 32-bit x86 Windows GUI program, not a DLL.
// The first of these rules an image breaks; the packaging tool names it.
enum class ProgramFault { None, OtherMachine, NotPe32, Dll, NotExecutable, NotGui };
ProgramFault CheckWin32GuiProgram(const PeImage& image);
inline bool IsWin32GuiProgram(const PeImage& image) {
    return CheckWin32GuiProgram(image) == ProgramFault::None;
}

}  // namespace kv
