#include "runtime/hashing/murmur3.h"

namespace xel {

uint32_t g_hash_seed = 0x5EED1A2Bu;

uint32_t murmur3(const void* data, uint32_t length, uint32_t seed) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t h = seed;
    uint32_t blocks = length / 4;
    for (uint32_t i = 0; i < blocks; i++) {
        uint32_t k;
        std::memcpy(&k, bytes + 4 * i, 4);
        h = murmur3_block(h, k);
    }
    const uint8_t* tail = bytes + 4 * blocks;
    uint32_t k = 0;
    switch (length & 3) {
    case 3:
        k ^= static_cast<uint32_t>(tail[2]) << 16;
        [[fallthrough]];
    case 2:
        k ^= static_cast<uint32_t>(tail[1]) << 8;
        [[fallthrough]];
    case 1:
        k ^= tail[0];
        k *= 0xCC9E2D51u;
        k = murmur3_rotl(k, 15);
        k *= 0x1B873593u;
        h ^= k;
    }
    return murmur3_finish(h, length);
}

} // namespace xel
