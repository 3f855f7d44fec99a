#include "package_end.h"

namespace kv {

namespace {

// Every WIN_CERTIFICATE in the table has a length of at least its own
// header, and the 8-aligned entries fill the table exactly.
bool CertificateTableIsSound(ByteSource& file, int64_t offset, int64_t size) {
    int64_t at = 0;
    for (int entries = 0; at < size; ++entries) {
        if (entries == kMaxCertificates) return false;
        unsigned char header[pe::kCertificateHeaderBytes];
        if (size - at < pe::kCertificateHeaderBytes ||
            !file.read(offset + at, header, sizeof header))
            return false;
        const int64_t length = LoadLe32(header);  // the header's first field
        if (length < pe::kCertificateHeaderBytes || length > size - at) return false;
        at += (length + pe::kCertificateAlignment - 1) & ~(pe::kCertificateAlignment - 1);
    }
    return at == size || at - size < pe::kCertificateAlignment;
}

}  // namespace

PackageEndError FindPackageEnd(ByteSource& file, int64_t& end) {
    end = file.size();
    if (end < 0) return PackageEndError::ReadFailed;
    SecurityEntry security;
    if (!ReadSecurityEntry(file, security)) return PackageEndError::None;
    const int64_t offset = security.offset, size = security.size;
    // Only a table that ends the file counts: one that ends earlier had
    // bytes appended after signing (a package built on a signed stub).
    if (size == 0 || offset + size != end) return PackageEndError::None;
    if (offset == 0 || offset % pe::kCertificateAlignment != 0 ||
        !CertificateTableIsSound(file, offset, size))
        return PackageEndError::CertificateTableDamaged;
    end = offset;
    return PackageEndError::None;
}

}  // namespace kv
