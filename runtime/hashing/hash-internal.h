// Shared pieces of the hash table files.
#pragma once
#include <cstdint>

#include "runtime/actions/compare-ops.h"
#include "runtime/hashing/hashtable.h"

namespace xel::hash_detail {

constexpr double kLoadLimit = 0.77;

inline uint32_t pow2_at_or_above(uint64_t n) {
    uint32_t p = 4;
    while (p < n)
        p <<= 1;
    return p;
}

inline Cell* block_cells(const HashTable* t) {
    return at<Cell>(buffer_of(t->block)->head);
}
inline uint32_t block_cell_count(const HashTable* t) {
    return buffer_of(t->block)->used() / sizeof(Cell);
}

// Gives the table fresh, empty flags and keys for a bucket count (allocates:
// fetch the record again afterwards).
void reset_buckets(Offset table, uint32_t buckets, uint32_t upper);

// Equality of two values under a compare code, through their type's compare.
bool values_equal_by_action(Cell* a, Cell* b, int op);
// The same, answering integers and chars at once: the hot case of lookups
// (both keep their number in word 2).
inline bool values_equal(Cell* a, Cell* b, int op) {
    uint8_t type = type_of(a);
    if ((type == T_INTEGER || type == T_CHAR) && type == type_of(b) &&
        (op == kCmpEqual || op == kCmpStrictEqual || op == kCmpSame || op == kCmpFind))
        return cell_payload_word(a, 2) == cell_payload_word(b, 2);
    return values_equal_by_action(a, b, op);
}

// The hash of a value in a hash! or map! index (case-insensitive).
inline uint32_t table_hash(const Cell* value) {
    uint8_t type = type_of(value);
    if (type == T_INTEGER || type == T_CHAR) return hash_mix(cell_payload_word(value, 2));
    return hash_value(value, false);
}

// The hash of a word-table entry: a symbol! by its name, a word by its
// canonical symbol.
uint32_t words_entry_hash(const Cell* entry);

// Keeps node compaction off while a table is rebuilt.
struct CompactionOff {
    bool saved = g_node_compaction_enabled;
    CompactionOff() { g_node_compaction_enabled = false; }
    ~CompactionOff() { g_node_compaction_enabled = saved; }
    CompactionOff(const CompactionOff&) = delete;
    CompactionOff& operator=(const CompactionOff&) = delete;
};

inline uint32_t current_stamp() {
    return g_node_generation + 1;
}

// The table kinds' own parts.
void block_table_init(Offset table, uint32_t n);
Cell* block_table_put(Offset table, Cell* cell, int* out);
Cell* block_table_find(Offset table, const Cell* value, int32_t start, int32_t skip, int op,
                       bool last, bool reverse);
void block_table_delete(Offset table, uint32_t index);
void block_table_clear_chains(Offset table);
void block_table_check_stamp(Offset table);
void block_table_copy_extras(Offset copy, Offset source);
void block_table_rebuild(Offset table, uint32_t buckets);

void pointer_table_rebuild(Offset table, uint32_t buckets);

} // namespace xel::hash_detail
