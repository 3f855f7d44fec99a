// The writer's side of the trailer, for the packaging tool and the tests. In
// a file of its own so the installer stub, which never writes a package,
// links none of it: the 64-bit formatting alone would bring the runtime's
// 64-bit division helpers into the stub.
#include "trailer_writer.h"

#include <cstring>

#include "integrity.h"
#include "package_end.h"

namespace kv {

namespace {

// What printf's "%0<width>lld" gives, without printf's formatter.
// Returns the length written to `out` (at least `width`).
size_t FormatZeroPadded(long long value, size_t width, char (&out)[32]) {
    char digits[24];
    size_t n = 0;
    unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    size_t length = 0;
    if (value < 0) out[length++] = '-';
    for (size_t pad = length + n; pad < width; ++pad) out[length++] = '0';
    while (n > 0) out[length++] = digits[--n];
    return length;
}

}  // namespace

void EncodeCountField(int count, char (&field)[kCountBytes]) {
    char text[32];
    FormatZeroPadded(count, kCountBytes, text);
    std::memcpy(field, text, kCountBytes);
}

void EncodeNameField(const std::string& name, char (&field)[kNameBytes]) {
    std::memset(field, 0, kNameBytes);
    std::memcpy(field, name.data(), name.size() < kNameBytes ? name.size() : kNameBytes);
}

void EncodeSizeField(int64_t size, char (&field)[kSizeBytes]) {
    char text[32];
    FormatZeroPadded(size, kSizeBytes, text);
    std::memcpy(field, text, kSizeBytes);
}

bool WritePackage(ByteSource& stub, const PackageFile* files, int file_count, ByteSink& out) {
    const int64_t stub_size = stub.size();
    if (stub_size < 0 || !CopyRange(stub, 0, stub_size, out)) return false;

    // Zero bytes between the stub and the last body, where no reader looks,
    // make the length a multiple of 8: a signing tool then adds no padding of
    // its own in front of its certificate table.
    int64_t length = stub_size + kTrailerTailBytes;
    for (int i = 0; i < file_count; ++i) length += files[i].body->size() + kEntryHeadBytes;
    const char zeros[kPackageAlignment] = {};
    if (!out.write(zeros, static_cast<size_t>((kPackageAlignment - length % kPackageAlignment) %
                                              kPackageAlignment)))
        return false;

    CrcSink payload(&out);
    for (int i = file_count - 1; i >= 0; --i) {
        ByteSource& body = *files[i].body;
        const int64_t size = body.size();
        if (size < 0 || !CopyRange(body, 0, size, payload)) return false;
        char name_field[kNameBytes];
        char size_field[kSizeBytes];
        EncodeNameField(files[i].name, name_field);
        EncodeSizeField(size, size_field);
        if (!payload.write(name_field, kNameBytes) || !payload.write(size_field, kSizeBytes))
            return false;
    }
    char count_field[kCountBytes];
    EncodeCountField(file_count, count_field);
    if (!payload.write(count_field, kCountBytes)) return false;

    unsigned char filler[kFillerBytes] = {};
    unsigned char record[kRecordBytes];
    EncodeRecord({payload.count(), payload.crc()}, record);
    std::memcpy(filler, record, kRecordBytes);
    return out.write(filler, kFillerBytes);
}

}  // namespace kv
