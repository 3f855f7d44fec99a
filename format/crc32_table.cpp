// The installer's own CRC-32: the stub links no zlib. Built in both builds,
// so the native tests can hold it to zlib's.
#include "crc32_table.h"

#include "byte_source.h"

namespace kv {

namespace {

uint32_t g_crc_table[8][256];
bool g_crc_ready = false;

void MakeCrcTable() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        g_crc_table[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        for (int t = 1; t < 8; ++t)
            g_crc_table[t][i] =
                (g_crc_table[t - 1][i] >> 8) ^ g_crc_table[0][g_crc_table[t - 1][i] & 0xFF];
    }
    g_crc_ready = true;
}

}  // namespace

uint32_t TableCrc32(uint32_t crc, const void* data, size_t n) {
    if (!g_crc_ready) MakeCrcTable();
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t c = ~crc;
    // Eight bytes a step: the check runs over every installer's whole payload.
    while (n >= 8) {
        const uint32_t lo = c ^ LoadLe32(p);
        const uint32_t hi = LoadLe32(p + 4);
        c = g_crc_table[7][lo & 0xFF] ^ g_crc_table[6][(lo >> 8) & 0xFF] ^
            g_crc_table[5][(lo >> 16) & 0xFF] ^ g_crc_table[4][lo >> 24] ^
            g_crc_table[3][hi & 0xFF] ^ g_crc_table[2][(hi >> 8) & 0xFF] ^
            g_crc_table[1][(hi >> 16) & 0xFF] ^ g_crc_table[0][hi >> 24];
        p += 8;
        n -= 8;
    }
    while (n--) c = g_crc_table[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}

}  // namespace kv
