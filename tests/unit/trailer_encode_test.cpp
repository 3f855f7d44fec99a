#include "trailer_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EncodeFields, ZeroPaddedDecimalThatTheDecodersReadBack) {
    char count[kv::kCountBytes];
    kv::EncodeCountField(2, count);
    EXPECT_EQ(std::string(count, sizeof count), "00002");
    kv::EncodeCountField(32767, count);
    EXPECT_EQ(std::string(count, sizeof count), "32767");
    kv::EncodeCountField(0, count);
    EXPECT_EQ(std::string(count, sizeof count), "00000");
    int decoded = -1;
    ASSERT_EQ(kv::DecodeCountField(count, decoded), kv::TrailerError::None);
    EXPECT_EQ(decoded, 0);
    kv::EncodeCountField(-12, count);  // as "%05d" writes it
    EXPECT_EQ(std::string(count, sizeof count), "-0012");

    char size[kv::kSizeBytes];
    kv::EncodeSizeField(40000, size);
    EXPECT_EQ(std::string(size, sizeof size), "0000040000");
    kv::EncodeSizeField(0, size);
    EXPECT_EQ(std::string(size, sizeof size), "0000000000");
    kv::EncodeSizeField(kv::kMaxBodyBytes, size);
    EXPECT_EQ(std::string(size, sizeof size), "2147483647");
    int64_t back = 0;
    ASSERT_EQ(kv::DecodeSizeField(size, back), kv::TrailerError::None);
    EXPECT_EQ(back, kv::kMaxBodyBytes);
}

}  // namespace
