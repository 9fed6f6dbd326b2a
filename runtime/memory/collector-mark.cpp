// Marking: series by their nodes, cells by their datatypes, hash tables by
// their kinds. Cell buffers are queued rather than walked recursively, so the
// depth of nested data never reaches the machine stack's.
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/hash/hashtable.h"
#include "runtime/memory/collector-internal.h"

namespace xel {

using namespace gc;

namespace {

constexpr uint32_t kEventBlockFlag = 0x10000;

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

// A record's fields are followed once per collection, whether or not its
// series was marked already: a path that does not know it as a record (a node
// on the machine stack, a stale cell naming a reused node) may have marked it
// first, and marking its series again would then skip the nodes it names.
bool follow_record(Offset* node) {
    collector_mark_series(node);
    return live_buffer(*node) && g_state.followed.insert(*node).second;
}

// function!'s record keeps the owner object's context node as an integer!.
void mark_function_owner(Offset record) {
    SeriesBuf* b = live_buffer(record);
    if (!b || !is_cell_buffer(b) || b->used() < kFunctionRecordCells * sizeof(Cell)) return;
    Cell* owner = at<Cell>(b->head) + kRecordOwner;
    if (type_of(owner) == T_INTEGER && owner->data2) collector_mark_context(&owner->data2);
}

// An object's event record: two cells whose word 3 names the spec block its
// handlers' local counts were taken from.
void mark_event_record(Offset* record) {
    if (!follow_record(record)) return;
    SeriesBuf* b = buffer_of(*record);
    if (!is_cell_buffer(b)) return;
    for (Cell* c = at<Cell>(b->head); c < at<Cell>(b->tail); c++)
        if (c->data3) collector_mark_block_node(&c->data3);
}

void mark_cell(Cell* c) {
    switch (type_of(c)) {
    case T_BLOCK:
    case T_PAREN:
    case T_PATH:
    case T_LIT_PATH:
    case T_SET_PATH:
    case T_GET_PATH:
        collector_mark_block_node(&c->data2);
        break;
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
        collector_mark_series(&c->data2);
        collector_mark_series(&c->data3);
        break;
    case T_SYMBOL:
        // Word 2 caches the spelling as a string! buffer once asked for.
        collector_mark_series(&c->data3);
        collector_mark_series(&c->data2);
        break;
    case T_CONTEXT:
        hash_mark(&c->data1);
        if (!(c->header & kContextStackValues)) collector_mark_block_node(&c->data2);
        break;
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
    case T_REFINEMENT:
    case T_ISSUE:
        collector_mark_context(&c->data1);
        break;
    case T_NATIVE:
    case T_ACTION:
        collector_mark_block_node(&c->data2);
        collector_mark_block_node(&c->data3);
        break;
    case T_OP: {
        uint8_t source = op_source_type(c);
        bool function = source == T_FUNCTION || source == T_ROUTINE;
        if (function) collector_mark_context(&c->data1);
        collector_mark_block_node(&c->data2);
        collector_mark_block_node(&c->data3);
        if (source == T_FUNCTION) mark_function_owner(c->data3);
        break;
    }
    case T_FUNCTION:
    case T_ROUTINE:
        collector_mark_context(&c->data1);
        collector_mark_block_node(&c->data2);
        collector_mark_block_node(&c->data3);
        if (type_of(c) == T_FUNCTION) mark_function_owner(c->data3);
        break;
    case T_BITSET:
    case T_VECTOR:
    case T_BINARY:
    case T_IMAGE:
        collector_mark_series(&c->data2);
        break;
    case T_OBJECT:
    case T_ERROR:
    case T_PORT:
        collector_mark_context(&c->data1);
        mark_event_record(&c->data3);
        break;
    case T_HASH:
    case T_MAP:
        collector_mark_block_node(&c->data2);
        hash_mark(&c->data3);
        break;
    case T_EVENT:
        if (c->data3 & kEventBlockFlag) collector_mark_block_node(&c->data2);
        break;
    default:
        break;
    }
}

} // namespace

bool collector_mark_series(Offset* node) {
    Offset n = relocated(*node);
    if (!n) return false;
    if (n != *node) *node = n;
    SeriesBuf* b = live_buffer(n);
    if (!b || (b->flags & kFlagMark)) return false;
    b->flags |= kFlagMark;
    if (b->flags & kFlagFixed) g_state.marked_outside.push_back(offset_of(b));
    return true;
}

void collector_unmark_series(Offset node) {
    if (SeriesBuf* b = live_buffer(node)) b->flags &= ~kFlagMark;
}

void collector_mark_block_node(Offset* node) {
    if (!collector_mark_series(node)) return;
    SeriesBuf* b = buffer_of(*node);
    if (is_cell_buffer(b)) mark_cells_later(b);
}

void collector_mark_block_value(Cell* block) {
    collector_mark_block_node(&block->data2);
}

void collector_mark_context(Offset* ctx) {
    collector_mark_block_node(ctx);
}

void collector_mark_cells(Cell* first, Cell* end) {
    for (Cell* c = first; c < end; c++)
        mark_cell(c);
}

void hash_mark(Offset* table) {
    if (!follow_record(table)) return;
    HashTable* t = table_record(*table);
    if (!t) return;
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
            if (!e->header) continue;
            collector_mark_block_node(&e->data1);
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
