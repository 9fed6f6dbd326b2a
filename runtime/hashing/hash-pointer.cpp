// Tables keyed by node addresses (kinds 3 and 4). Entries live in a cell
// block: a first cell (header unset! when live, 0 when deleted; word 1 the
// key) and the value cells. Buckets hold the entry's byte offset.
#include <cstring>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/hashing/hash-internal.h"

namespace xel {

using namespace hash_detail;

namespace {

Cell* entry_at(const HashTable* t, int32_t offset) {
    return at<Cell>(buffer_of(t->block)->head + static_cast<uint32_t>(offset));
}

void check_stamp(Offset table) {
    HashTable* t = hash_record(table);
    if (t->stamp == current_stamp() || g_collector_busy) return;
    CompactionOff off;
    pointer_table_rebuild(table, t->buckets);
}

int32_t find_entry(const HashTable* t, Offset key, uint32_t* slot) {
    return hash_probe(
        t, hash_mix(key),
        [&](int32_t offset) {
            const Cell* e = entry_at(t, offset);
            return e->header != kHashEntryDeleted && hash_entry_key(e) == key;
        },
        slot);
}

void reset_entry(Cell* entry, uint32_t cells) {
    entry->header = T_UNSET;
    for (uint32_t i = 1; i < cells; i++)
        set_unset(&entry[i]);
}

void delete_bucket(HashTable* t, int32_t bucket) {
    hash_entry_delete(entry_at(t, hash_keys(t)[bucket]));
    hash_set_bucket_state(hash_flags(t), static_cast<uint32_t>(bucket), kBucketDeleted);
    t->size--;
}

} // namespace

namespace hash_detail {

void pointer_table_rebuild(Offset table, uint32_t buckets) {
    HashTable* t = hash_record(table);
    uint32_t entry_bytes = t->aux;
    uint32_t live = t->size;
    while (static_cast<uint32_t>(buckets * kLoadLimit) <= live)
        buckets *= 2;
    // A compact entries block: the live entries in their order.
    Offset fresh = alloc_cells(live ? live * entry_bytes / sizeof(Cell) : 1);
    t = hash_record(table);
    SeriesBuf* old = buffer_of(t->block);
    SeriesBuf* out = buffer_of(fresh);
    for (Offset p = old->head; p < old->tail; p += entry_bytes) {
        if (at<Cell>(p)->header == kHashEntryDeleted) continue;
        std::memcpy(at(out->tail), at(p), entry_bytes);
        out->tail += entry_bytes;
    }
    reset_buckets(table, buckets, static_cast<uint32_t>(buckets * kLoadLimit));
    t = hash_record(table);
    t->block = fresh;
    t->stamp = current_stamp();
    out = buffer_of(fresh);
    for (Offset p = out->head; p < out->tail; p += entry_bytes) {
        uint32_t slot;
        find_entry(t, hash_entry_key(at<Cell>(p)), &slot);
        hash_claim(t, slot, static_cast<int32_t>(p - out->head));
    }
}

} // namespace hash_detail

Cell* hash_put_key(Offset table, Offset key) {
    check_stamp(table);
    HashTable* t = hash_record(table);
    uint32_t cells = t->aux / sizeof(Cell);
    uint32_t slot;
    int32_t found = find_entry(t, key, &slot);
    if (found >= 0) {
        Cell* e = entry_at(t, hash_keys(t)[found]);
        reset_entry(e, cells);
        return e + 1;
    }
    if (t->occupied >= t->upper) {
        hash_resize(table, 2 * t->size < t->buckets ? t->buckets : 2 * t->buckets);
        t = hash_record(table);
        find_entry(t, key, &slot);
    }
    // A deleted bucket still names its dead entry: the new entry takes its
    // place, so the entries block never outgrows the occupied buckets.
    Cell* e;
    if (hash_bucket_state(hash_flags(t), slot) == kBucketDeleted) {
        e = entry_at(t, hash_keys(t)[slot]);
    } else {
        e = reinterpret_cast<Cell*>(series_reserve_tail(buffer_of(t->block), t->aux));
        t = hash_record(table);
    }
    reset_entry(e, cells);
    hash_entry_set_key(e, key);
    hash_claim(t, slot, static_cast<int32_t>(offset_of(e) - buffer_of(t->block)->head));
    return e + 1;
}

Cell* hash_get_key(Offset table, Offset key) {
    check_stamp(table);
    HashTable* t = hash_record(table);
    uint32_t slot;
    int32_t found = find_entry(t, key, &slot);
    return found < 0 ? nullptr : entry_at(t, hash_keys(t)[found]) + 1;
}

Cell* hash_remove_key(Offset table, Offset key) {
    check_stamp(table);
    HashTable* t = hash_record(table);
    uint32_t slot;
    int32_t found = find_entry(t, key, &slot);
    if (found < 0) return nullptr;
    Cell* e = entry_at(t, hash_keys(t)[found]);
    delete_bucket(t, found);
    return e + 1;
}

void hash_sweep_pointer_table(Offset table) {
    HashTable* t = hash_record(table);
    const uint32_t* flags = hash_flags(t);
    for (uint32_t b = 0; b < t->buckets; b++) {
        if (hash_bucket_state(flags, b) != kBucketLive) continue;
        Cell* e = entry_at(t, hash_keys(t)[b]);
        bool dead = !(buffer_of(hash_entry_key(e))->flags & kFlagMark);
        if (!dead && t->kind == kHashOwnership) {
            const Cell* owner = e + 2;
            if (is_object_kind(type_of(owner)) && object_context(owner))
                dead = !(buffer_of(object_context(owner))->flags & kFlagMark);
        }
        if (dead) delete_bucket(t, static_cast<int32_t>(b));
    }
}

} // namespace xel
