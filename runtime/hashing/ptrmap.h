// The heap map: a small hash table on the C heap from one node address to
// another, the collector's node relocation map. It uses the same 2-bit
// bucket flags and triangular probing as the series-based tables, with
// buckets of 8 bytes (key, value), and grows in place.
#pragma once
#include <cstdint>

#include "runtime/memory/arena.h"

namespace xel {

struct PtrMap {
    uint32_t count;    // live pairs
    uint32_t* flags;   // 2 bits per bucket: 2 empty, 1 deleted, 0 live
    Offset* pairs;     // key, value per bucket
    uint32_t occupied; // live plus deleted buckets
    uint32_t buckets;  // a power of two
    uint32_t upper;    // occupied count at which the map grows
};

// A map with room for n pairs.
PtrMap* ptrmap_make(uint32_t n);
// Adds or replaces the value of a key.
void ptrmap_put(PtrMap* map, Offset key, Offset value);
// The value of a key, or 0 when absent.
Offset ptrmap_get(const PtrMap* map, Offset key);
void ptrmap_free(PtrMap* map);

} // namespace xel
