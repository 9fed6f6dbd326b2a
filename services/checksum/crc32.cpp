// CRC-32 with the reflected polynomial 0xEDB88320, eight bytes a step: each
// of the eight tables gives a byte's contribution from that many bytes back.
#include <array>
#include <cstring>

#include "services/checksum/checksum.h"

namespace xel {

namespace {

using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables make_tables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t c = i;
        for (int k = 0; k < 8; k++)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; i++)
        for (int k = 1; k < 8; k++)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr Tables kTables = make_tables();

} // namespace

uint32_t checksum_crc32(const uint8_t* bytes, size_t count, uint32_t crc) {
    uint32_t c = ~crc;
    while (count >= 8) {
        uint32_t lo;
        uint32_t hi;
        std::memcpy(&lo, bytes, 4);
        std::memcpy(&hi, bytes + 4, 4);
        lo ^= c;
        c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
            kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
            kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
        bytes += 8;
        count -= 8;
    }
    while (count--)
        c = kTables[0][(c ^ *bytes++) & 0xFF] ^ (c >> 8);
    return ~c;
}

} // namespace xel
