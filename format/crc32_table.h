// The installer's own CRC-32 routine: the stub links no zlib.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {

// Crc32 by tables, eight bytes a step.
uint32_t TableCrc32(uint32_t crc, const void* data, size_t n);

}  // namespace kv
