// MurmurHash3 (x86, 32-bit) and its finaliser: the hashes of every table.
// The run-time hashes under one seed, fixed once at start-up.
#pragma once
#include <cstdint>
#include <cstring>

namespace xel {

// Set once by the random generator's init; never changed afterwards.
extern uint32_t g_hash_seed;

inline uint32_t murmur3_rotl(uint32_t x, int r) {
    return (x << r) | (x >> (32 - r));
}

// The finaliser: spreads every input bit over the whole word.
inline uint32_t hash_mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x;
}

// One 4-byte block folded into the running hash.
inline uint32_t murmur3_block(uint32_t h, uint32_t k) {
    k *= 0xCC9E2D51u;
    k = murmur3_rotl(k, 15);
    k *= 0x1B873593u;
    h ^= k;
    h = murmur3_rotl(h, 13);
    return h * 5 + 0xE6546B64u;
}

// Length (in bytes) mixed in, then the finaliser.
inline uint32_t murmur3_finish(uint32_t h, uint32_t length) {
    return hash_mix(h ^ length);
}

uint32_t murmur3(const void* data, uint32_t length, uint32_t seed);

inline uint32_t hash_murmur3(const void* data, uint32_t length) {
    return murmur3(data, length, g_hash_seed);
}

} // namespace xel
