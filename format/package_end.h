// Where the package ends.
//
// A code-signing tool appends its certificate table after our trailer; the
// PE header's security directory then says where that table begins, and the
// package ends there. The packaging tool pads every package to a multiple of
// 8 bytes so that the signing tool's own padding never shifts the trailer.
#pragma once

#include <cstdint>

#include "byte_source.h"

namespace kv {

// What the PE headers of an executable say, as far as packages care.
struct PeImage {
    uint16_t machine = 0;            // 0x14C: 32-bit x86
    uint16_t characteristics = 0;    // COFF flags: executable image, DLL, ...
    uint16_t magic = 0;              // 0x10B: PE32, 0x20B: PE32+
    uint16_t subsystem = 0;          // 2: Windows GUI, 3: console
    int64_t security_entry_at = -1;  // file offset of the security directory entry; -1: none
    uint32_t security_offset = 0;    // the certificate table: file offset and size
    uint32_t security_size = 0;
};

// False when the file is not a PE image this reader understands.
bool ReadPeImage(ByteSource& file, PeImage& image);

// What an installer stub is: a 32-bit x86 Windows GUI program, not a DLL.
// The first of these rules an image breaks; the packaging tool names it.
enum class ProgramFault { None, OtherMachine, NotPe32, Dll, NotExecutable, NotGui };
ProgramFault CheckWin32GuiProgram(const PeImage& image);
inline bool IsWin32GuiProgram(const PeImage& image) {
    return CheckWin32GuiProgram(image) == ProgramFault::None;
}

// Real certificate tables hold one or two entries; more than this is damage,
// and the bound keeps the read calls few.
constexpr int kMaxCertificates = 64;

enum class PackageEndError { None, ReadFailed, CertificateTableDamaged };

// The offset where the package ends: the start of a certificate table that
// ends exactly at the end of a PE file, else the file's length. A table that
// does not end the file was left behind by bytes appended after signing and
// does not count; a table that ends the file but is malformed (misaligned,
// an entry shorter than its header or longer than the table, more than
// kMaxCertificates entries) is an error.
PackageEndError FindPackageEnd(ByteSource& file, int64_t& end);

// The package's length must be a multiple of this, for signing.
constexpr int64_t kPackageAlignment = 8;

}  // namespace kv
