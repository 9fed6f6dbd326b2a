// The index of a hash! block. Equal values share one bucket: its key is then
// minus the number of a chain (a raw array of cell indexes) in the chain
// list. The reverse index gives each cell's bucket + 1 (-1: not indexed), so
// deletions and shifts reach their bucket without probing.
#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/hashing/hash-internal.h"
#include "runtime/memory/raw-array.h"

namespace xel {

using namespace hash_detail;

namespace {

constexpr uint32_t kShiftLimit = 30000;

int32_t* reverse_index(const HashTable* t) {
    return at<int32_t>(buffer_of(t->aux)->head);
}
uint32_t reverse_length(const HashTable* t) {
    return buffer_of(t->aux)->used() / 4;
}

// Makes the reverse index cover cells 0 to count - 1 (new entries -1).
void reverse_cover(Offset table, uint32_t count) {
    SeriesBuf* rev = buffer_of(hash_record(table)->aux);
    uint32_t have = rev->used() / 4;
    if (count <= have) return;
    uint32_t need = 4 * count;
    if (rev->head + need > rev->data_end()) {
        uint32_t size = rev->size * 2;
        while (size < need)
            size *= 2;
        rev = expand_series_copy(rev, size);
    }
    std::memset(at(rev->tail), 0xFF, need - rev->used());
    rev->tail = rev->head + need;
}

Offset chain_node(const HashTable* t, int32_t key) {
    return static_cast<Offset>(array_get_int(t->chains, static_cast<uint32_t>(-key)));
}

int32_t first_candidate(const HashTable* t, int32_t key) {
    return key >= 0 ? key : array_get_int(chain_node(t, key), 1);
}

// The candidates of a bucket key: the single index or the chain's indexes,
// valid until the next allocation.
struct Candidates {
    const int32_t* items;
    uint32_t count;
    int32_t single;
};
Candidates candidates(const HashTable* t, int32_t key) {
    if (key >= 0) return {nullptr, 1, key};
    const SeriesBuf* chain = buffer_of(chain_node(t, key));
    return {at<int32_t>(chain->head), chain->used() / 4, 0};
}

// A new chain holding two indexes; returns its key (minus its number).
int32_t new_chain(Offset table, int32_t a, int32_t b) {
    Offset chain = alloc_units(4, 4);
    array_append_int(chain, a);
    array_append_int(chain, b);
    Offset list = hash_record(table)->chains;
    int32_t free_slot = array_find_int(list, 0);
    if (free_slot >= 0) {
        array_set_int(list, static_cast<uint32_t>(free_slot / 4 + 1), static_cast<int32_t>(chain));
        return -(free_slot / 4 + 1);
    }
    array_append_int(list, static_cast<int32_t>(chain));
    return -static_cast<int32_t>(array_length(list));
}

// Whether the bucket of key holds values equal to the probe (compare code 0).
bool bucket_matches(const HashTable* t, int32_t key, Cell* probe) {
    return values_equal(block_cells(t) + first_candidate(t, key), probe, kCmpEqual);
}

void insert_index(Offset table, uint32_t index) {
    HashTable* t = hash_record(table);
    Cell probe = block_cells(t)[index];
    if (t->stamp == 0 && hash_node_dependent_type(type_of(&probe))) t->stamp = current_stamp();
    uint32_t slot;
    int32_t found = hash_probe(
        t, table_hash(&probe), [&](int32_t key) { return bucket_matches(t, key, &probe); }, &slot);
    if (found < 0) {
        hash_claim(t, slot, static_cast<int32_t>(index));
        reverse_index(t)[index] = static_cast<int32_t>(slot + 1);
        return;
    }
    int32_t key = hash_keys(t)[found];
    if (key >= 0) {
        key = new_chain(table, key, static_cast<int32_t>(index));
        hash_keys(hash_record(table))[found] = key;
    } else {
        array_append_int(chain_node(t, key), static_cast<int32_t>(index));
    }
    t = hash_record(table);
    t->size++;
    reverse_index(t)[index] = found + 1;
}

// Whether a candidate counts for a search from start in steps of skip.
bool in_step(int32_t l, int32_t start, int32_t skip, bool backward) {
    if (backward) return l < start && (start - l - 1) % skip == 0;
    return l >= start && (l - start) % skip == 0;
}

// Applies f(old index) -> new index to every stored index in [from, to), and
// returns the buckets touched. Each chain is visited once.
template <class F> void remap_indexes(Offset table, uint32_t from, uint32_t to, F&& f) {
    HashTable* t = hash_record(table);
    int32_t* rev = reverse_index(t);
    int32_t* keys = hash_keys(t);
    std::vector<bool> chain_seen(array_length(t->chains) + 1, false);
    uint32_t end = std::min(to, reverse_length(t));
    for (uint32_t i = from; i < end; i++) {
        if (rev[i] <= 0) continue;
        uint32_t b = static_cast<uint32_t>(rev[i] - 1);
        int32_t key = keys[b];
        if (key >= 0) {
            if (static_cast<uint32_t>(key) == i) keys[b] = f(key);
            continue;
        }
        if (chain_seen[static_cast<uint32_t>(-key)]) continue;
        chain_seen[static_cast<uint32_t>(-key)] = true;
        SeriesBuf* chain = buffer_of(chain_node(t, key));
        for (Offset p = chain->head; p < chain->tail; p += 4) {
            auto* item = at<int32_t>(p);
            if (static_cast<uint32_t>(*item) >= from && static_cast<uint32_t>(*item) < to)
                *item = f(*item);
        }
    }
}

} // namespace

namespace hash_detail {

void block_table_init(Offset table, uint32_t n) {
    Offset rev = alloc_bytes_filled(4 * n, 0xFF);
    buffer_of(rev)->tail += 4 * n;
    Offset chains = alloc_units(4, 4);
    series_or_flags(chains, kFlagHoldsNodes);
    HashTable* t = hash_record(table);
    t->aux = rev;
    t->chains = chains;
}

void block_table_clear_chains(Offset table) {
    HashTable* t = hash_record(table);
    array_clear(t->chains);
    SeriesBuf* rev = buffer_of(t->aux);
    std::memset(at(rev->head), 0xFF, rev->used());
}

void block_table_rebuild(Offset table, uint32_t buckets) {
    uint32_t count = block_cell_count(hash_record(table));
    while (static_cast<uint32_t>(buckets * kLoadLimit) <= count)
        buckets *= 2;
    reset_buckets(table, buckets, static_cast<uint32_t>(buckets * kLoadLimit));
    block_table_clear_chains(table);
    reverse_cover(table, count);
    hash_record(table)->stamp = 0;
    for (uint32_t i = 0; i < count; i++)
        insert_index(table, i);
}

Cell* block_table_put(Offset table, Cell* cell, int* out) {
    block_table_check_stamp(table);
    HashTable* t = hash_record(table);
    auto index = static_cast<uint32_t>(cell - block_cells(t));
    if (t->occupied >= t->upper) {
        if (2 * t->size < t->buckets) {
            // Tombstones fill the table: rebuild at the same bucket count.
            CompactionOff off;
            block_table_rebuild(table, t->buckets);
        } else {
            hash_resize(table, t->buckets + 1);
        }
        if (out) *out = 2;
        return block_cells(hash_record(table)) + index;
    }
    reverse_cover(table, index + 1);
    block_table_delete(table, index);
    insert_index(table, index);
    return block_cells(hash_record(table)) + index;
}

void block_table_delete(Offset table, uint32_t index) {
    HashTable* t = hash_record(table);
    if (index >= reverse_length(t)) return;
    int32_t* rev = reverse_index(t);
    if (rev[index] <= 0) return;
    uint32_t b = static_cast<uint32_t>(rev[index] - 1);
    rev[index] = -1;
    int32_t key = hash_keys(t)[b];
    bool empty = true;
    if (key < 0) {
        Offset chain = chain_node(t, key);
        int32_t at_byte = array_find_int(chain, static_cast<int32_t>(index));
        if (at_byte >= 0) array_remove_bytes(chain, static_cast<uint32_t>(at_byte), 4);
        empty = array_length(chain) == 0;
        if (empty) array_set_int(t->chains, static_cast<uint32_t>(-key), 0);
    }
    if (empty) hash_set_bucket_state(hash_flags(t), b, kBucketDeleted);
    t->size--;
}

Cell* block_table_find(Offset table, const Cell* value, int32_t start, int32_t skip, int op,
                       bool last, bool reverse) {
    HashTable* t = hash_record(table);
    if (t->stamp) {
        block_table_check_stamp(table);
        t = hash_record(table);
    }
    if (skip < 1) skip = 1;
    Cell probe = *value;
    Cell* cells = block_cells(t);
    uint32_t slot;
    int32_t found = hash_probe(
        t, table_hash(&probe),
        [&](int32_t key) {
            int32_t first = key >= 0 ? key : array_get_int(chain_node(t, key), 1);
            return values_equal(cells + first, &probe, kCmpEqual);
        },
        &slot);
    if (found < 0) return nullptr;
    int32_t best = -1;
    Candidates list = candidates(t, hash_keys(t)[found]);
    for (uint32_t k = 0; k < list.count; k++) {
        int32_t l = list.items ? list.items[k] : list.single;
        if (!in_step(l, start, skip, reverse)) continue;
        bool better = best < 0 || ((last || reverse) ? l > best : l < best);
        if (!better) continue;
        if (op != kCmpEqual && !values_equal(cells + l, &probe, op)) continue;
        best = l;
    }
    return best < 0 ? nullptr : cells + best;
}

void block_table_check_stamp(Offset table) {
    HashTable* t = hash_record(table);
    if (t->stamp == 0 || t->stamp == current_stamp() || g_collector_busy) return;
    CompactionOff off;
    hash_rehash(table, block_cell_count(t));
}

void block_table_copy_extras(Offset copy, Offset source) {
    Offset rev = copy_series(buffer_of(hash_record(source)->aux));
    Offset list = copy_series(buffer_of(hash_record(source)->chains));
    hash_record(copy)->aux = rev;
    hash_record(copy)->chains = list;
    uint32_t n = array_length(list);
    for (uint32_t i = 1; i <= n; i++) {
        auto chain = static_cast<Offset>(array_get_int(list, i));
        if (chain) array_set_int(list, i, static_cast<int32_t>(copy_series(buffer_of(chain))));
    }
}

} // namespace hash_detail

void hash_rehash(Offset table, uint32_t m) {
    CompactionOff off;
    block_table_rebuild(table, pow2_at_or_above(static_cast<uint64_t>(m * 1.5)));
}

int hash_shift_indexes(Offset table, int32_t offset, uint32_t index, uint32_t count, bool move) {
    if (count > kShiftLimit) return 1;
    if (move && offset < 0) {
        uint32_t gone = static_cast<uint32_t>(-offset);
        uint32_t from = gone > index ? 0 : index - gone;
        for (uint32_t i = from; i < index; i++)
            block_table_delete(table, i);
    }
    remap_indexes(table, index, index + count, [&](int32_t i) { return i + offset; });
    if (!move || offset == 0) return 0;
    int64_t target = static_cast<int64_t>(index) + offset;
    if (target < 0) target = 0;
    reverse_cover(table, static_cast<uint32_t>(target) + count);
    reverse_cover(table, index + count);
    int32_t* rev = reverse_index(hash_record(table));
    std::memmove(rev + target, rev + index, 4 * count);
    // The entries left behind by the move belong to no cell now.
    if (offset > 0) {
        uint32_t clear_to = std::min<uint32_t>(static_cast<uint32_t>(target), index + count);
        std::memset(rev + index, 0xFF, 4 * (clear_to - index));
    } else {
        uint32_t clear_from = static_cast<uint32_t>(target) + count;
        std::memset(rev + clear_from, 0xFF, 4 * (index + count - clear_from));
    }
    return 0;
}

void hash_move_range(Offset table, uint32_t to, uint32_t from, uint32_t count) {
    if (to == from || count == 0) return;
    // Old index -> new index over the span the move touches.
    uint32_t low = std::min(to, from);
    uint32_t high = std::max(to, from) + count;
    auto remap = [&](int32_t i) -> int32_t {
        auto u = static_cast<uint32_t>(i);
        if (u >= from && u < from + count) return static_cast<int32_t>(to + (u - from));
        if (to < from) return (u >= to && u < from) ? i + static_cast<int32_t>(count) : i;
        return (u >= from + count && u < to + count) ? i - static_cast<int32_t>(count) : i;
    };
    reverse_cover(table, high);
    remap_indexes(table, low, high, remap);
    int32_t* rev = reverse_index(hash_record(table));
    std::vector<int32_t> moved(rev + low, rev + high);
    for (uint32_t i = low; i < high; i++)
        rev[remap(static_cast<int32_t>(i))] = moved[i - low];
}

} // namespace xel
