// The ownership table as a root of the collector: it keeps its entries
// without keeping what they name, and after marking drops the entries whose
// series or owner died.
#include "runtime/datatypes/object/object.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/collector.h"
#include "runtime/ownership/ownership.h"

namespace xel {

namespace {

bool owner_dead(const Cell* owner) {
    uint8_t type = type_of(owner);
    if (type != T_OBJECT && type != T_ERROR && type != T_PORT) return false;
    Offset ctx = object_context(owner);
    return ctx && !collector_marked_buffer(&ctx);
}

} // namespace

void ownership_mark_table() {
    collector_mark_weak_table(&g_ownership_table);
}

void ownership_sweep() {
    if (!collector_live_buffer(g_ownership_table)) return;
    HashTable* t = hash_record(g_ownership_table);
    uint32_t cells = t->aux / sizeof(Cell);
    uint32_t* flags = hash_flags(t);
    const int32_t* keys = hash_keys(t);
    Offset entries = buffer_of(t->block)->head;
    for (uint32_t b = 0; b < t->buckets; b++) {
        if (hash_bucket_state(flags, b) != kBucketLive) continue;
        auto* e = at<Cell>(entries + static_cast<uint32_t>(keys[b]));
        SeriesBuf* key = collector_marked_buffer(hash_entry_key_slot(e));
        bool dead = !key;
        if (!dead && owner_dead(e + 2)) {
            // The series lives on unowned, free to take a new owner.
            key->flags &= ~kFlagOwned;
            dead = true;
        }
        if (dead) {
            hash_entry_delete(e);
            hash_set_bucket_state(flags, b, kBucketDeleted);
            t->size--;
        } else {
            collector_mark_cells(e + 1, e + cells);
        }
    }
}

} // namespace xel
