#include "runtime/hashing/ptrmap.h"

#include <cstring>

#include "runtime/core/heap.h"
#include "runtime/hashing/hashtable.h"

namespace xel {

namespace {

uint32_t* new_flags(uint32_t buckets) {
    size_t bytes = buckets < 16 ? 4 : buckets / 4;
    auto* flags = static_cast<uint32_t*>(heap_alloc(bytes));
    std::memset(flags, 0xAA, bytes);
    return flags;
}

// The bucket holding key, or (through *slot) the empty bucket it would
// take. Pairs are never removed, so there are no deleted buckets.
int32_t find(const PtrMap* map, Offset key, uint32_t* slot) {
    uint32_t mask = map->buckets - 1;
    uint32_t i = hash_mix(key) & mask;
    for (uint32_t k = 1; hash_bucket_state(map->flags, i) != kBucketEmpty; k++) {
        if (map->pairs[2 * i] == key) return static_cast<int32_t>(i);
        i = (i + k) & mask;
    }
    *slot = i;
    return -1;
}

// Doubles the buckets and places every live pair again.
void grow(PtrMap* map) {
    uint32_t old_buckets = map->buckets;
    uint32_t* old_flags = map->flags;
    map->buckets *= 2;
    map->upper = static_cast<uint32_t>(map->buckets * 0.77);
    map->pairs = static_cast<Offset*>(heap_realloc(map->pairs, 8ull * map->buckets));
    map->flags = new_flags(map->buckets);
    map->occupied = 0;
    Offset* moved = static_cast<Offset*>(heap_alloc(8ull * old_buckets));
    std::memcpy(moved, map->pairs, 8ull * old_buckets);
    for (uint32_t b = 0; b < old_buckets; b++) {
        if (hash_bucket_state(old_flags, b) != kBucketLive) continue;
        uint32_t slot = 0;
        find(map, moved[2 * b], &slot);
        hash_set_bucket_state(map->flags, slot, kBucketLive);
        map->pairs[2 * slot] = moved[2 * b];
        map->pairs[2 * slot + 1] = moved[2 * b + 1];
        map->occupied++;
    }
    heap_free(moved);
    heap_free(old_flags);
}

} // namespace

PtrMap* ptrmap_make(uint32_t n) {
    auto* map = static_cast<PtrMap*>(heap_alloc(sizeof(PtrMap)));
    uint32_t buckets = 4;
    while (buckets * 0.77 <= n)
        buckets *= 2;
    map->count = 0;
    map->occupied = 0;
    map->buckets = buckets;
    map->upper = static_cast<uint32_t>(buckets * 0.77);
    map->flags = new_flags(buckets);
    map->pairs = static_cast<Offset*>(heap_alloc(8ull * buckets));
    return map;
}

void ptrmap_put(PtrMap* map, Offset key, Offset value) {
    uint32_t slot = 0;
    int32_t found = find(map, key, &slot);
    if (found >= 0) {
        map->pairs[2 * found + 1] = value;
        return;
    }
    if (map->occupied >= map->upper) {
        grow(map);
        find(map, key, &slot);
    }
    map->occupied++;
    hash_set_bucket_state(map->flags, slot, kBucketLive);
    map->pairs[2 * slot] = key;
    map->pairs[2 * slot + 1] = value;
    map->count++;
}

Offset ptrmap_get(const PtrMap* map, Offset key) {
    uint32_t slot = 0;
    int32_t found = find(map, key, &slot);
    return found < 0 ? 0 : map->pairs[2 * found + 1];
}

void ptrmap_free(PtrMap* map) {
    heap_free(map->flags);
    heap_free(map->pairs);
    heap_free(map);
}

} // namespace xel
