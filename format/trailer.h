// The package trailer: the directory appended to the installer executable.
//
// Read from the end of the file backwards:
//   [stub][entry N]...[entry 2][entry 1][count: 5][filler: 514]
// and each entry is [body: s][name: 40, NUL-filled][size: 10, decimal].
// Entry 1, nearest the end, is listed and extracted first.
#pragma once

#include <cstdint>

#include "byte_source.h"
#include "small_string.h"

namespace kv {

constexpr int64_t kFillerBytes = 514;
constexpr int64_t kCountBytes = 5;
constexpr int64_t kNameBytes = 40;
constexpr int64_t kSizeBytes = 10;
constexpr int64_t kEntryHeadBytes = kNameBytes + kSizeBytes;       // 50
constexpr int64_t kTrailerTailBytes = kCountBytes + kFillerBytes;  // 519
constexpr int64_t kMaxBodyBytes = 2147483647;                      // 2^31 - 1
constexpr int kMaxEntries = 32767;

constexpr const char kDescriptorName[] = "KERVALE.DAT";

enum class TrailerError {
    None,
    ReadFailed,               // the source could not be read where the walk looked
    CountOutOfRange,          // the count field is outside -32768..32767
    PositionBeforeStart,      // a name or size field would lie before the file's start
    SizeNotNumber,            // a size field that is not one decimal number
    SizeNegative,             // a size below 0
    SizeTooLarge,             // a size above 2^31 - 1
    BodyBeforeStart,          // a body that would begin before the file's start
    NameNotBare,              // a name that is not a bare file name
    CertificateTableDamaged,  // a signature's table that is not where it must be
};

// Field decoders, exposed for tests and for the fuzzers.
// Count: CR/LF removed, the leading number rounded half to even.
TrailerError DecodeCountField(const char (&field)[kCountBytes], int& count);
// Name: CR/LF removed, cut at the first NUL.
String DecodeNameField(const char (&field)[kNameBytes]);
// Size: one decimal number, spaces allowed around it.
TrailerError DecodeSizeField(const char (&field)[kSizeBytes], int64_t& size);

struct TrailerEntry {
    int index = 0;            // 1 for the entry nearest the end
    String name;              // the decoded, bare name
    int64_t size = 0;         // body length in bytes
    int64_t body_offset = 0;  // 0-based offset of the body's first byte
};

// Walks the directory entry by entry, as the installer does: the count is
// read first, then entries from the end backwards. At least one entry is
// always read, whatever the count says.
class TrailerWalker {
public:
    explicit TrailerWalker(ByteSource& source) : source_(source) {}

    // Takes the package's end and reads the count field.
    TrailerError Start();
    int count() const { return count_; }
    // Where the package ends: the file's length, or where a signature's
    // certificate table begins.
    int64_t package_end() const { return end_; }
    // Offset just past the stub: where the last entry's body begins, once
    // the walk is complete.
    int64_t lowest_offset() const { return end_ - kTrailerTailBytes + k_; }

    bool done() const { return started_ && read_ > 0 && read_ >= count_; }
    // Reads the next entry; on success moves past it.
    TrailerError Next(TrailerEntry& entry);

private:
    ByteSource& source_;
    int64_t end_ = 0;
    int64_t k_ = 0;  // running offset: 0, then lowered by each entry's size + 50
    int count_ = 0;
    int read_ = 0;
    bool started_ = false;
};

// Walks the whole directory; `on_entry` sees every entry in order and may
// return false to stop early. Returns the first error, or None.
template <typename OnEntry>
TrailerError WalkTrailer(ByteSource& source, OnEntry&& on_entry) {
    TrailerWalker walker(source);
    TrailerError error = walker.Start();
    if (error != TrailerError::None) return error;
    TrailerEntry entry;
    while (!walker.done()) {
        error = walker.Next(entry);
        if (error != TrailerError::None) return error;
        if (!on_entry(entry)) break;
    }
    return TrailerError::None;
}

}  // namespace kv
