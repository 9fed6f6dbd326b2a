// The collector's fixed roots, in their order, and the structures outside
// the arena that hold nodes: call frames, the cycle stack and the ownership
// table's entries.
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/error-fire.h"
#include "runtime/hash/hashtable.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector-internal.h"
#include "runtime/natives/natives.h"
#include "runtime/ownership/ownership.h"
#include "runtime/printing/cycles.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/words/symbols.h"

namespace xel::gc {

namespace {

void mark_cell(Cell* c) {
    collector_mark_cells(c, c + 1);
}

// The ownership table keeps its entries without keeping what they name: an
// entry lives while its series and its owner live (sweep_ownership).
void mark_ownership_table() {
    if (!collector_mark_series(&g_ownership_table)) return;
    // Never followed as a table by a cell that names it, stale or not.
    g_state.followed.insert(g_ownership_table);
    HashTable* t = hash_record(g_ownership_table);
    collector_mark_series(&t->flags);
    collector_mark_series(&t->keys);
    collector_mark_series(&t->block);
}

bool marked(Offset node) {
    const SeriesBuf* b = live_buffer(relocated(node));
    return b && (b->flags & kFlagMark);
}

bool owner_dead(const Cell* owner) {
    uint8_t type = type_of(owner);
    return (type == T_OBJECT || type == T_ERROR || type == T_PORT) && owner->data1 &&
           !marked(owner->data1);
}

} // namespace

void relocate_outside_cells() {
    if (!g_state.relocation) return;
    cycles_relocate(g_state.relocation);
    for (CallFrame* f = g_frames_base; f < g_frames_top; f++) {
        f->word_ctx = relocated(f->word_ctx);
        f->func_ctx = relocated(f->func_ctx);
        f->saved_values = relocated(f->saved_values);
    }
}

void mark_roots() {
    // Both stack buffers are blocks of the root block, empty from head to
    // tail, so marking the root block marks them.
    collector_mark_block_value(&g_root);
    hash_mark(&g_symbol_table);
    mark_ownership_table();
    collector_mark_cells(g_stack_base, g_stack_top);
    stack_mark_frames([](Offset ctx) { collector_mark_context(&ctx); },
                      [](Offset node) { collector_mark_block_node(&node); });
    collector_mark_context(&g_global_context);
    mark_cell(&g_current_code);
    lexer_mark_states(mark_cell);

    // The run-time's other cells kept in globals.
    mark_cell(&g_print_buffer);
    mark_cell(&g_frameless_error);
    mark_cell(&g_state_stack_trace);
    mark_cell(&g_state_source_files);
    PendingError& pending = g_pending_error;
    if (pending.arg_count > 0 && pending.arg_count <= 3)
        collector_mark_cells(pending.args, pending.args + pending.arg_count);
}

void sweep_ownership() {
    if (!live_buffer(g_ownership_table)) return;
    HashTable* t = hash_record(g_ownership_table);
    uint32_t cells = t->aux / sizeof(Cell);
    uint32_t* flags = hash_flags(t);
    const int32_t* keys = hash_keys(t);
    Offset entries = buffer_of(t->block)->head;
    for (uint32_t b = 0; b < t->buckets; b++) {
        if (hash_bucket_state(flags, b) != kBucketLive) continue;
        auto* e = at<Cell>(entries + static_cast<uint32_t>(keys[b]));
        e->data1 = relocated(e->data1);
        SeriesBuf* key = live_buffer(e->data1);
        bool dead = !key || !(key->flags & kFlagMark);
        if (!dead && owner_dead(e + 2)) {
            // The series lives on unowned, free to take a new owner.
            key->flags &= ~kFlagOwned;
            dead = true;
        }
        if (dead) {
            e->header = 0;
            hash_set_bucket_state(flags, b, kBucketDeleted);
            t->size--;
        } else {
            collector_mark_cells(e + 1, e + cells);
        }
    }
}

} // namespace xel::gc
