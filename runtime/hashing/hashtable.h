// One hash table serves every use of the run-time: open addressing over a
// power-of-two bucket count, 2 flag bits per bucket, triangular probing, at
// most 0.77 of the buckets occupied, tombstones for deletions. Tables never hold values:
// buckets hold positions in a block (hash!, map!, symbols, context words) or
// byte offsets of entries (tables keyed by node addresses).
//
// A table is referred to by the node of the byte series holding its record.
// Buffers move on allocation: Cell* results are valid until the next call
// that may allocate.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/hashing/murmur3.h"
#include "runtime/memory/series-memory.h"

namespace xel {

enum HashKind : uint32_t {
    kHashBlock = 0,     // index of a hash! block
    kHashMap = 1,       // index of a map!'s key/value block
    kHashWords = 2,     // the symbol table and every context's word table
    kHashPointer = 3,   // keyed by node addresses
    kHashOwnership = 4, // keyed by node addresses: the ownership table
};

// The record: eleven words in a 44-byte byte series.
struct HashTable {
    uint32_t size;     // live entries
    uint32_t aux;      // kind 0: reverse index node; kinds 3, 4: entry size in bytes
    Offset chains;     // kind 0: chain list node
    Offset flags;      // 2 bits per bucket, 16 buckets per word
    Offset keys;       // one 32-bit word per bucket
    Offset block;      // the indexed block, or the entries block of kinds 3, 4
    uint32_t occupied; // live plus deleted buckets
    uint32_t buckets;  // a power of two, at least 4
    uint32_t upper;    // occupied count at which the table is resized
    uint32_t kind;
    uint32_t stamp; // 0, or the node-compaction generation + 1 at the last build
};
static_assert(sizeof(HashTable) == 44);

// Bucket states in the 2-bit flags.
enum : uint32_t { kBucketLive = 0, kBucketDeleted = 1, kBucketEmpty = 2 };

inline HashTable* hash_record(Offset table) {
    return at<HashTable>(buffer_of(table)->head);
}
inline uint32_t* hash_flags(const HashTable* t) {
    return at<uint32_t>(buffer_of(t->flags)->head);
}
inline int32_t* hash_keys(const HashTable* t) {
    return at<int32_t>(buffer_of(t->keys)->head);
}
inline uint32_t hash_bucket_state(const uint32_t* flags, uint32_t i) {
    return (flags[i >> 4] >> ((i & 15) * 2)) & 3;
}
inline void hash_set_bucket_state(uint32_t* flags, uint32_t i, uint32_t state) {
    uint32_t shift = (i & 15) * 2;
    flags[i >> 4] = (flags[i >> 4] & ~(3u << shift)) | (state << shift);
}

// What tables keyed by node addresses need of the collector: node compaction
// moves nodes, so such tables record the generation they were built in and
// rebuild when it changed. Table rebuilds switch node compaction off.
extern uint32_t g_node_generation;
extern bool g_node_compaction_enabled;
extern bool g_collector_busy;

// Called on each new map! key after it is put by hash_put_all (the map! type
// prepares stored keys: copies series, turns words into set-words).
extern void (*g_map_prepare_key)(Cell* key, Cell* result);

// Hashes. Tables hash case-insensitively; case only matters to the compares.
uint32_t hash_value(const Cell* value, bool case_sensitive);
uint32_t hash_string(const Cell* value, bool case_sensitive);
// The UTF-8 name with only A to Z lowered.
uint32_t hash_symbol(const uint8_t* name, uint32_t length);
// Whether a value's hash depends on a node address.
bool hash_node_dependent_type(uint8_t type);

// A new table for n entries over a block (null or none!: a new block of n
// cells). kinds 0, 1, 2 index the block's cells (one every 2 cells for map!);
// kinds 3 and 4 hold entries of 1 + cells cells.
Offset hash_make(uint32_t n, const Cell* block, uint32_t kind, uint32_t cells);

// Indexes cells of the table's block from index, one every step cells. A map!
// keeps the first pair of a repeated key, with the value of the last pair.
void hash_put_all(Offset table, uint32_t index, uint32_t step);
// Indexes a cell of the table's block. *out becomes 2 when the hash! was
// rebuilt instead (the cell is then already in). Returns the cell.
Cell* hash_put_value(Offset table, Cell* cell, int* out);
Cell* hash_put(Offset table, Cell* cell);

// The cell matching value under a compare code (0 equal, 2 strict, 9 same),
// or null. hash!: the nearest match at or after start whose distance from
// start is a multiple of skip; last: the furthest; reverse: the nearest
// before start. map!: the key cell (removed entries included).
Cell* hash_find(Offset table, const Cell* value, int32_t start, int32_t skip, int op, bool last,
                bool reverse);

// Walks the cells equal to a value along its probe path, one per call.
struct HashCursor {
    int32_t bucket = -1; // -1 to start
    uint32_t first = 0;
    uint32_t step = 0;
};
Cell* hash_find_next(Offset table, const Cell* value, HashCursor* cursor);

// hash!: drops the cell's index; map!: marks the pair removed (value header 0).
void hash_delete(Offset table, Cell* cell);
// hash!: drops the indexes of n cells from index (all of them: clears).
void hash_remove_range(Offset table, uint32_t index, uint32_t n);
// hash!: count cells from index moved by offset in the block (insertions,
// removals); with move the reverse index follows them, and a negative offset
// first drops the cells it covers below index. Returns 1, doing nothing, above
// 30,000 cells: the caller rebuilds the table instead.
int hash_shift_indexes(Offset table, int32_t offset, uint32_t index, uint32_t count, bool move);
// hash!: count cells moved from index from so that the first lands at to.
void hash_move_range(Offset table, uint32_t to, uint32_t from, uint32_t count);
void hash_clear(Offset table);
// A copy of the table (hash!: with reverse index and chains) over another block.
Offset hash_copy(Offset table, Offset block_node);
// Word tables: a copy of the record, its words block, keys and flags.
Offset hash_copy_table(Offset table);

// Growth. hash_rehash rebuilds a hash! for m cells; hash_resize_in_place
// moves the live buckets into a table of m buckets (rounded up).
void hash_resize(Offset table, uint32_t m);
void hash_rehash(Offset table, uint32_t m);
void hash_resize_in_place(Offset table, uint32_t m);
// Before an insertion: grows the table when it is full (kinds 1 and 2).
void hash_grow_if_full(Offset table);

// Kinds 3 and 4, keyed by node addresses. put: finds or adds the entry, resets
// its cells to unset! and returns its first value cell. get: that cell or
// null. remove: marks it deleted, returns its first value cell or null.
Cell* hash_put_key(Offset table, Offset key);
Cell* hash_get_key(Offset table, Offset key);
Cell* hash_remove_key(Offset table, Offset key);
// Deletes the entries whose key series (or, for the ownership table, whose
// owner object's context) the collector left unmarked.
void hash_sweep_pointer_table(Offset table);
// An entry of kinds 3 and 4 is its key cell (header unset!, 0 once deleted;
// word 1 the key node) followed by its value cells.
constexpr uint32_t kHashEntryDeleted = 0;
inline Offset hash_entry_key(const Cell* entry) {
    return entry->data1;
}
inline void hash_entry_set_key(Cell* entry, Offset key) {
    entry->data1 = key;
}
// The key's word itself, for the collector, which rewrites it as nodes move.
inline Offset* hash_entry_key_slot(Cell* entry) {
    return &entry->data1;
}
inline void hash_entry_delete(Cell* entry) {
    entry->header = kHashEntryDeleted;
}

// Probe along the triangular path of a hash. match(key) decides at each live
// bucket. Returns the bucket found (also in *slot), or -1 with *slot the
// bucket a new entry takes (the first deleted one on the path, else the
// empty one reached).
template <class Match>
inline int32_t hash_probe(const HashTable* t, uint32_t hash, Match&& match, uint32_t* slot) {
    const uint32_t* flags = hash_flags(t);
    const int32_t* keys = hash_keys(t);
    uint32_t mask = t->buckets - 1;
    uint32_t i = hash & mask;
    uint32_t first = i;
    int32_t deleted = -1;
    for (uint32_t k = 1;; k++) {
        uint32_t state = hash_bucket_state(flags, i);
        if (state == kBucketEmpty) break;
        if (state == kBucketLive) {
            if (match(keys[i])) {
                *slot = i;
                return static_cast<int32_t>(i);
            }
        } else if (deleted < 0) {
            deleted = static_cast<int32_t>(i);
        }
        i = (i + k) & mask;
        if (i == first) {
            i = ~0u;
            break;
        }
    }
    *slot = deleted >= 0 ? static_cast<uint32_t>(deleted) : i;
    return -1;
}

// Claims a bucket returned by hash_probe for a new key.
inline void hash_claim(HashTable* t, uint32_t bucket, int32_t key) {
    uint32_t* flags = hash_flags(t);
    if (hash_bucket_state(flags, bucket) == kBucketEmpty) t->occupied++;
    hash_set_bucket_state(flags, bucket, kBucketLive);
    hash_keys(t)[bucket] = key;
    t->size++;
}

} // namespace xel
