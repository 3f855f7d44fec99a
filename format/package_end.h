// Where the package ends.
//
// A code-signing tool appends its certificate table after our trailer; the
// PE header's security directory then says where that table begins, and the
// package ends there. The packaging tool pads every package to a multiple of
// 8 bytes so that the signing tool's own padding never shifts the trailer.
#pragma once

#include <cstdint>

#include "byte_source.h"
#include "pe_image.h"

namespace kv {

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

// The package's length must be a multiple of this, for signing: a signing
// tool starts its certificate table at the next such offset.
constexpr int64_t kPackageAlignment = pe::kCertificateAlignment;

}  // namespace kv
