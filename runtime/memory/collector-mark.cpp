// Marking: series by their nodes, cells by their datatypes' markers, hash
// tables by their kinds. Cell buffers are queued rather than walked recursively, so the
// depth of nested data never reaches the machine stack's.
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/collector-internal.h"

namespace xel {

using namespace gc;

namespace {

bool is_cell_buffer(const SeriesBuf* b) {
    return b->unit() == sizeof(Cell);
}

// A record marked through a slot must still be a table before its fields are
// followed: the slot may be stale (an old copy of a cell).
HashTable* table_record(Offset table) {
    const SeriesBuf* b = buffer_of(table);
    if (b->unit() != 1 || b->size < sizeof(HashTable) || b->used() < sizeof(HashTable))
        return nullptr;
    auto* t = at<HashTable>(b->head);
    return t->kind <= kHashOwnership ? t : nullptr;
}

// Indexed by the whole header byte: a stale cell may carry any.
CellMarker g_markers[256];

inline void mark_cell(Cell* c) {
    if (CellMarker marker = g_markers[type_of(c)]) marker(c);
}

} // namespace

void collector_set_marker(uint8_t type, CellMarker marker) {
    g_markers[type] = marker;
}

bool collector_follow_record(Offset* node, bool (*is_shape)(Offset node)) {
    collector_mark_series(node);
    return live_buffer(*node) && is_shape(*node) && g_state.followed.insert(*node).second;
}

SeriesBuf* collector_live_buffer(Offset node) {
    return live_buffer(node);
}

SeriesBuf* collector_marked_buffer(Offset* node) {
    *node = relocated(*node);
    SeriesBuf* b = live_buffer(*node);
    return b && (b->flags & kFlagMark) ? b : nullptr;
}

Offset collector_relocated(Offset node) {
    return relocated(node);
}

Cell* collector_record_cells(Offset node, uint32_t* count) {
    SeriesBuf* b = live_buffer(node);
    if (!b || !is_cell_buffer(b)) return nullptr;
    *count = b->used() / sizeof(Cell);
    return at<Cell>(b->head);
}

namespace {

// Marks the series without walking its cells; true when newly marked.
SeriesBuf* mark_only(Offset* node) {
    Offset n = relocated(*node);
    if (!n) return nullptr;
    if (n != *node) *node = n;
    SeriesBuf* b = live_buffer(n);
    if (!b || (b->flags & kFlagMark)) return nullptr;
    b->flags |= kFlagMark;
    if (b->flags & kFlagFixed) g_state.marked_outside.push_back(offset_of(b));
    return b;
}

} // namespace

void collector_mark_weak_table(Offset* table) {
    if (!collector_mark_series(table)) return;
    g_state.followed.insert(*table);
    HashTable* t = hash_record(*table);
    collector_mark_series(&t->flags);
    collector_mark_series(&t->keys);
    // The entries' cells are marked by the owner's sweep, only for the
    // entries that survive it.
    mark_only(&t->block);
}

// A cell buffer's cells are walked whichever path marks it first: a stale
// cell may name a node reused by a block as a string or a record, and a block
// marked without its walk would keep neither its cells' series nor their
// moved nodes.
bool collector_mark_series(Offset* node) {
    SeriesBuf* b = mark_only(node);
    if (!b) return false;
    if (is_cell_buffer(b)) mark_cells_later(b);
    return true;
}

void collector_unmark_series(Offset node) {
    if (SeriesBuf* b = live_buffer(node)) b->flags &= ~kFlagMark;
}

void collector_mark_block_node(Offset* node) {
    collector_mark_series(node);
}

void collector_mark_context(Offset* ctx) {
    collector_mark_block_node(ctx);
}

void collector_mark_cells(Cell* first, Cell* end) {
    for (Cell* c = first; c < end; c++)
        mark_cell(c);
}

void hash_mark(Offset* table) {
    if (!collector_follow_record(table, [](Offset node) { return table_record(node) != nullptr; }))
        return;
    HashTable* t = table_record(*table);
    collector_mark_series(&t->flags);
    collector_mark_series(&t->keys);
    switch (t->kind) {
    case kHashBlock:
        // aux: the reverse index; chains: a raw array of chain nodes.
        collector_mark_series(&t->aux);
        if (collector_mark_series(&t->chains)) {
            SeriesBuf* list = buffer_of(t->chains);
            for (Offset p = list->head; p + 4 <= list->tail; p += 4)
                collector_mark_series(at<Offset>(p));
        }
        break;
    case kHashPointer:
    case kHashOwnership: {
        t->block = relocated(t->block);
        SeriesBuf* entries = live_buffer(t->block);
        if (!entries || !t->aux) break;
        for (Offset p = entries->head; p + t->aux <= entries->tail; p += t->aux) {
            auto* e = at<Cell>(p);
            if (e->header == kHashEntryDeleted) continue;
            collector_mark_block_node(hash_entry_key_slot(e));
        }
        break;
    }
    default:
        break;
    }
    collector_mark_block_node(&t->block);
}

namespace gc {

void drain_pending() {
    while (!g_state.pending.empty()) {
        auto* b = at<SeriesBuf>(g_state.pending.back());
        g_state.pending.pop_back();
        Offset end = b->tail < b->data_end() ? b->tail : b->data_end();
        Offset first = b->head > b->data() ? b->head : b->data();
        for (Offset p = first; p + sizeof(Cell) <= end; p += sizeof(Cell))
            mark_cell(at<Cell>(p));
    }
}

} // namespace gc

} // namespace xel
