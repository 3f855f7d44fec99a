#include "trailer.h"

#include <cstring>

#include "name_rules.h"
#include "package_end.h"
#include "text_utils.h"

namespace kv {

TrailerError DecodeCountField(const char (&field)[kCountBytes], int& count) {
    char text[kCountBytes];
    std::memcpy(text, field, kCountBytes);
    const double value = RoundHalfEven(LeadingNumber(text, StripCrLf(text, kCountBytes)));
    if (!(value >= -32768.0 && value <= 32767.0)) return TrailerError::CountOutOfRange;
    count = static_cast<int>(value);
    return TrailerError::None;
}

String DecodeNameField(const char (&field)[kNameBytes]) {
    char name[kNameBytes];
    std::memcpy(name, field, kNameBytes);
    const size_t length = StripCrLf(name, kNameBytes);
    const void* nul = std::memchr(name, '\0', length);
    return String(name, nul ? static_cast<size_t>(static_cast<const char*>(nul) - name) : length);
}

TrailerError DecodeSizeField(const char (&field)[kSizeBytes], int64_t& size) {
    size_t i = 0;
    const size_t n = kSizeBytes;
    while (i < n && field[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    int64_t value = 0;
    size_t digits = 0;
    while (i < n && field[i] >= '0' && field[i] <= '9') {
        value = value * 10 + (field[i] - '0');  // at most 10 digits: no overflow
        ++digits;
        ++i;
    }
    while (i < n && field[i] == ' ') ++i;
    if (digits == 0 || i != n) return TrailerError::SizeNotNumber;
    if (negative && value != 0) return TrailerError::SizeNegative;
    if (value > kMaxBodyBytes) return TrailerError::SizeTooLarge;
    size = value;
    return TrailerError::None;
}

TrailerError TrailerWalker::Start() {
    started_ = true;
    switch (FindPackageEnd(source_, end_)) {
    case PackageEndError::None: break;
    case PackageEndError::ReadFailed: return TrailerError::ReadFailed;
    case PackageEndError::CertificateTableDamaged: return TrailerError::CertificateTableDamaged;
    }
    const int64_t count_offset = end_ - kTrailerTailBytes;
    if (count_offset < 0) return TrailerError::PositionBeforeStart;
    char field[kCountBytes];
    if (!source_.read(count_offset, field, kCountBytes)) return TrailerError::ReadFailed;
    return DecodeCountField(field, count_);
}

TrailerError TrailerWalker::Next(TrailerEntry& entry) {
    const int64_t entry_end = end_ - kTrailerTailBytes + k_;
    const int64_t name_offset = entry_end - kEntryHeadBytes;
    const int64_t size_offset = entry_end - kSizeBytes;
    if (name_offset < 0) return TrailerError::PositionBeforeStart;

    char name_field[kNameBytes];
    char size_field[kSizeBytes];
    if (!source_.read(name_offset, name_field, kNameBytes) ||
        !source_.read(size_offset, size_field, kSizeBytes))
        return TrailerError::ReadFailed;

    int64_t size = 0;
    TrailerError error = DecodeSizeField(size_field, size);
    if (error != TrailerError::None) return error;
    if (name_offset - size < 0) return TrailerError::BodyBeforeStart;

    String name = DecodeNameField(name_field);
    if (!IsBareFileName(name)) return TrailerError::NameNotBare;

    entry.index = ++read_;
    entry.name = std::move(name);
    entry.size = size;
    entry.body_offset = name_offset - size;
    k_ -= size + kEntryHeadBytes;
    return TrailerError::None;
}

}  // namespace kv
