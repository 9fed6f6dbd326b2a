// Making, growing and copying tables, and the operations of map! and word
// tables. hash! (kind 0) is in hash-block.cpp, node-keyed tables in
// hash-pointer.cpp.
#include "runtime/hashing/hashtable.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/actions/action-slots.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/hashing/hash-internal.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

uint32_t g_node_generation = 0;
bool g_node_compaction_enabled = true;
bool g_collector_busy = false;
void (*g_map_prepare_key)(Cell* key, Cell* result) = nullptr;

namespace hash_detail {

void reset_buckets(Offset table, uint32_t buckets, uint32_t upper) {
    Offset flags = alloc_bytes_filled(buckets / 4, 0xAA);
    buffer_of(flags)->tail += buckets / 4;
    Offset keys = alloc_bytes_filled(4 * buckets, 0);
    buffer_of(keys)->tail += 4 * buckets;
    HashTable* t = hash_record(table);
    t->flags = flags;
    t->keys = keys;
    t->buckets = buckets;
    t->upper = upper;
    t->size = 0;
    t->occupied = 0;
}

bool values_equal_by_action(Cell* a, Cell* b, int op) {
    uint8_t type = type_of(a);
    if ((type == T_NONE || type == T_UNSET) && type == type_of(b)) return true;
    auto compare = action_of<A_COMPARE>(type);
    return compare && compare(a, b, op) == 0;
}

uint32_t words_entry_hash(const Cell* entry) {
    if (type_of(entry) == T_SYMBOL) {
        const SeriesBuf* name = buffer_of(symbol_name_node(entry));
        return hash_symbol(at(name->head), name->used());
    }
    return hash_mix(symbol_resolve(word_symbol(entry)));
}

} // namespace hash_detail

using namespace hash_detail;

namespace {

Cell* map_key_matches(const HashTable* t, int32_t key, Cell* probe, bool any_type, int op) {
    Cell* k = block_cells(t) + key;
    if (!any_type && type_of(k) != type_of(probe)) return nullptr;
    return values_equal(k, probe, op) ? k : nullptr;
}

// Inserts a position of kinds 1 and 2, where every put is a new entry.
void put_new_position(Offset table, uint32_t hash, int32_t position) {
    HashTable* t = hash_record(table);
    uint32_t slot;
    hash_probe(
        t, hash, [](int32_t) { return false; }, &slot);
    hash_claim(t, slot, position);
}

uint32_t entry_hash(const HashTable* t, int32_t position) {
    const Cell* c = block_cells(t) + position;
    return t->kind == kHashWords ? words_entry_hash(c) : table_hash(c);
}

void map_put_all(Offset table, uint32_t index, uint32_t step) {
    for (uint32_t i = index; i + 1 < block_cell_count(hash_record(table));) {
        Cell* key = block_cells(hash_record(table)) + i;
        Cell* found = hash_find(table, key, 0, 1, kCmpStrictEqual, false, false);
        if (found) {
            // A repeated key keeps its first pair, given the later value.
            *(found + 1) = *(key + 1);
            SeriesBuf* buf = buffer_of(hash_record(table)->block);
            Cell* tail = at<Cell>(buf->tail);
            std::memmove(key, key + 2, (tail - key - 2) * sizeof(Cell));
            buf->tail -= 2 * sizeof(Cell);
            continue;
        }
        Cell* put = hash_put(table, key);
        if (g_map_prepare_key) g_map_prepare_key(put, put);
        i += step;
    }
}

} // namespace

Offset hash_make(uint32_t n, const Cell* block, uint32_t kind, uint32_t cells) {
    Offset table = alloc_bytes_filled(sizeof(HashTable), 0);
    buffer_of(table)->tail += sizeof(HashTable);
    series_or_flags(table, kFlagHoldsNodes);
    if (n >= 4000) n *= 2;
    {
        HashTable* t = hash_record(table);
        t->kind = kind;
        if (kind == kHashPointer || kind == kHashOwnership) {
            t->aux = (cells + 1) * sizeof(Cell);
            t->stamp = current_stamp();
        }
    }
    uint32_t buckets = pow2_at_or_above(static_cast<uint32_t>(n / kLoadLimit));
    reset_buckets(table, buckets, static_cast<uint32_t>(buckets * kLoadLimit));
    if (n < 4) n = 4;
    if (kind == kHashBlock) block_table_init(table, n);

    Offset block_node;
    bool given =
        block && type_of(block) != T_NONE && kind != kHashPointer && kind != kHashOwnership;
    if (given) {
        block_node = series_node(block);
    } else {
        block_node = kind == kHashPointer || kind == kHashOwnership ? alloc_cells(n * (cells + 1))
                                                                    : alloc_cells(n);
    }
    hash_record(table)->block = block_node;
    if (!given) return table;

    switch (kind) {
    case kHashBlock: {
        // The table is reachable only from this cell while the cells go in.
        Cell keep;
        hash_set_cell(&keep, block_node, table);
        stack_push(&keep);
        hash_put_all(table, 0, 1);
        stack_pop(1);
        break;
    }
    case kHashMap:
        hash_put_all(table, 0, 2);
        break;
    default:
        hash_put_all(table, 0, 1);
        break;
    }
    return table;
}

void hash_put_all(Offset table, uint32_t index, uint32_t step) {
    if (step == 0) step = 1;
    if (hash_record(table)->kind == kHashMap) {
        map_put_all(table, index, step);
        return;
    }
    for (uint32_t i = index; i < block_cell_count(hash_record(table)); i += step) {
        int out = 0;
        hash_put_value(table, block_cells(hash_record(table)) + i, &out);
        if (out == 2 && hash_record(table)->kind == kHashBlock) return;
    }
}

void hash_grow_if_full(Offset table) {
    HashTable* t = hash_record(table);
    if (t->occupied < t->upper) return;
    bool tombstones = 2 * t->size < t->buckets;
    switch (t->kind) {
    case kHashMap:
        hash_resize(table, tombstones ? t->buckets - 1 : t->buckets + 1);
        break;
    case kHashWords:
        hash_resize(table, 16 * (tombstones ? t->buckets - 1 : t->buckets + 1));
        break;
    default:
        break;
    }
}

Cell* hash_put_value(Offset table, Cell* cell, int* out) {
    HashTable* t = hash_record(table);
    if (t->kind == kHashBlock) return block_table_put(table, cell, out);
    int32_t position = static_cast<int32_t>(cell - block_cells(t));
    hash_grow_if_full(table);
    t = hash_record(table);
    put_new_position(table, entry_hash(t, position), position);
    return block_cells(hash_record(table)) + position;
}

Cell* hash_put(Offset table, Cell* cell) {
    int out = 0;
    return hash_put_value(table, cell, &out);
}

Cell* hash_find(Offset table, const Cell* value, int32_t start, int32_t skip, int op, bool last,
                bool reverse) {
    HashTable* t = hash_record(table);
    if (t->kind == kHashBlock)
        return block_table_find(table, value, start, skip, op, last, reverse);
    Cell probe = *value;
    if (t->kind == kHashMap && type_of(&probe) >= T_WORD && type_of(&probe) <= T_GET_WORD)
        cell_set_type(&probe, T_SET_WORD);
    bool any_type = type_of(value) == 56;
    uint32_t slot;
    int32_t found = hash_probe(
        t, table_hash(value),
        [&](int32_t key) { return map_key_matches(t, key, &probe, any_type, op) != nullptr; },
        &slot);
    if (found < 0) return nullptr;
    t = hash_record(table);
    return block_cells(t) + hash_keys(t)[found];
}

Cell* hash_find_next(Offset table, const Cell* value, HashCursor* cursor) {
    HashTable* t = hash_record(table);
    uint32_t mask = t->buckets - 1;
    Cell probe = *value;
    if (t->kind == kHashMap && type_of(&probe) >= T_WORD && type_of(&probe) <= T_GET_WORD)
        cell_set_type(&probe, T_SET_WORD);
    for (;;) {
        if (cursor->bucket < 0) {
            cursor->first = table_hash(value) & mask;
            cursor->bucket = static_cast<int32_t>(cursor->first);
            cursor->step = 0;
        } else {
            cursor->step++;
            cursor->bucket = static_cast<int32_t>((cursor->bucket + cursor->step) & mask);
            if (static_cast<uint32_t>(cursor->bucket) == cursor->first) return nullptr;
        }
        t = hash_record(table);
        uint32_t state = hash_bucket_state(hash_flags(t), cursor->bucket);
        if (state == kBucketEmpty) return nullptr;
        if (state != kBucketLive) continue;
        int32_t key = hash_keys(t)[cursor->bucket];
        if (t->kind == kHashBlock && key < 0) {
            Offset chain = static_cast<Offset>(at<int32_t>(buffer_of(t->chains)->head)[-key - 1]);
            key = *at<int32_t>(buffer_of(chain)->head);
        }
        Cell* candidate = block_cells(t) + key;
        if (values_equal(candidate, &probe, kCmpEqual)) return candidate;
    }
}

void hash_delete(Offset table, Cell* cell) {
    HashTable* t = hash_record(table);
    int32_t index = static_cast<int32_t>(cell - block_cells(t));
    switch (t->kind) {
    case kHashBlock:
        block_table_delete(table, static_cast<uint32_t>(index));
        break;
    case kHashMap:
        (cell + 1)->header = 0;
        if (t->size) t->size--;
        break;
    default:
        break;
    }
}

void hash_remove_range(Offset table, uint32_t index, uint32_t n) {
    HashTable* t = hash_record(table);
    uint32_t count = block_cell_count(t);
    if (index == 0 && n >= count) {
        hash_clear(table);
        return;
    }
    if (t->kind == kHashBlock) {
        for (uint32_t i = index; i < index + n; i++)
            block_table_delete(table, i);
        return;
    }
    uint32_t* flags = hash_flags(t);
    int32_t* keys = hash_keys(t);
    for (uint32_t b = 0; b < t->buckets; b++) {
        if (hash_bucket_state(flags, b) != kBucketLive) continue;
        auto key = static_cast<uint32_t>(keys[b]);
        if (key >= index && key < index + n) {
            hash_set_bucket_state(flags, b, kBucketDeleted);
            t->size--;
        }
    }
}

void hash_clear(Offset table) {
    HashTable* t = hash_record(table);
    t->size = 0;
    t->occupied = 0;
    SeriesBuf* flags = buffer_of(t->flags);
    std::memset(at(flags->head), 0xAA, flags->used());
    if (t->kind == kHashBlock) block_table_clear_chains(table);
    if (t->kind == kHashPointer || t->kind == kHashOwnership) {
        SeriesBuf* entries = buffer_of(t->block);
        entries->tail = entries->head;
    }
}

Offset hash_copy(Offset table, Offset block_node) {
    Offset copy = copy_series(buffer_of(table));
    Offset flags = copy_series(buffer_of(hash_record(table)->flags));
    Offset keys = copy_series(buffer_of(hash_record(table)->keys));
    HashTable* c = hash_record(copy);
    c->flags = flags;
    c->keys = keys;
    c->block = block_node;
    if (c->kind == kHashBlock) block_table_copy_extras(copy, table);
    return copy;
}

Offset hash_copy_table(Offset table) {
    Offset block = copy_series(buffer_of(hash_record(table)->block));
    return hash_copy(table, block);
}

void hash_resize(Offset table, uint32_t m) {
    CompactionOff off;
    switch (hash_record(table)->kind) {
    case kHashBlock:
        hash_rehash(table, m);
        break;
    case kHashMap:
    case kHashWords:
        hash_resize_in_place(table, m);
        break;
    default:
        pointer_table_rebuild(table, pow2_at_or_above(m));
        break;
    }
}

void hash_resize_in_place(Offset table, uint32_t m) {
    uint32_t buckets = pow2_at_or_above(m);
    auto upper = static_cast<uint32_t>(buckets * kLoadLimit + 0.5);
    HashTable* t = hash_record(table);
    if (t->size >= upper) return;

    // Word tables keep their entries in order of creation along every probe
    // path, so the first spelling of a word is still met first.
    std::vector<int32_t> positions;
    positions.reserve(t->size);
    const uint32_t* flags = hash_flags(t);
    const int32_t* keys = hash_keys(t);
    for (uint32_t b = 0; b < t->buckets; b++)
        if (hash_bucket_state(flags, b) == kBucketLive) positions.push_back(keys[b]);
    if (t->kind == kHashWords) std::sort(positions.begin(), positions.end());

    reset_buckets(table, buckets, upper);
    for (int32_t p : positions) {
        t = hash_record(table);
        put_new_position(table, entry_hash(t, p), p);
    }
}

} // namespace xel
