// The installer's own CRC-32 against zlib's, the independent reference.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "crc32_table.h"
#include "integrity.h"

namespace {

uint32_t Zlib(uint32_t crc, const unsigned char* data, size_t n) {
    return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(n)));
}

// Every alignment and every length around the eight-byte steps, then random
// spans, each also continued from a random split point.
TEST(TableCrc32, MatchesZlibAtEveryOffsetAndLength) {
    std::mt19937 random(12);
    std::vector<unsigned char> bytes(1 << 16);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());

    struct Span {
        size_t offset, length;
    };
    std::vector<Span> spans;
    for (size_t offset = 0; offset < 8; ++offset)
        for (size_t length = 0; length <= 40; ++length) spans.push_back({offset, length});
    for (int i = 0; i < 300; ++i) {
        const size_t offset = random() % 4096;
        spans.push_back({offset, random() % (bytes.size() - offset + 1)});
    }
    for (const Span& s : spans) {
        const unsigned char* p = bytes.data() + s.offset;
        const uint32_t expected = Zlib(0, p, s.length);
        ASSERT_EQ(kv::TableCrc32(0, p, s.length), expected) << s.offset << "+" << s.length;
        const size_t split = s.length ? random() % (s.length + 1) : 0;
        const uint32_t first = kv::TableCrc32(0, p, split);
        EXPECT_EQ(first, Zlib(0, p, split));
        EXPECT_EQ(kv::TableCrc32(first, p + split, s.length - split), expected)
            << s.offset << "+" << s.length << " split at " << split;
    }
}

}  // namespace
