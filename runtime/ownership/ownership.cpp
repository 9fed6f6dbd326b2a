#include "runtime/ownership/ownership.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/collector.h"
#include "runtime/printing/cycles.h"

namespace xel {

Offset g_ownership_table = 0;
void (*g_object_fire_on_deep_change)(Cell* owner, Cell* word, Cell* target, Cell* action,
                                     Cell* new_value, int index, int part) = nullptr;

namespace {

// Series types that can be owned without holding other values.
bool is_flat_ownable(uint8_t type) {
    switch (type) {
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
    case T_BINARY:
    case T_VECTOR:
    case T_IMAGE:
    case T_BITSET:
        return true;
    default:
        return false;
    }
}

bool is_ownable(uint8_t type) {
    return is_block_kind(type) || is_flat_ownable(type);
}

bool owned_flag(const Cell* value) {
    if (type_of(value) == T_IMAGE) return value->header & kImageOwned;
    return series_buffer(value)->flags & kFlagOwned;
}

void set_owned_flag(Cell* value, bool on) {
    if (type_of(value) == T_IMAGE) {
        value->header = on ? value->header | kImageOwned : value->header & ~kImageOwned;
        return;
    }
    SeriesBuf* buf = series_buffer(value);
    buf->flags = on ? buf->flags | kFlagOwned : buf->flags & ~kFlagOwned;
}

bool object_owns_series(Offset ctx) {
    return context_cell(ctx)->header & kContextOwnsSeries;
}

// Step 1 of setting an owner: an entry for the series unless it has one.
void claim(Cell* value, const Cell& owner, const Cell& word) {
    if (owned_flag(value)) return;
    set_owned_flag(value, true);
    Cell copy = *value;
    if (hash_get_key(g_ownership_table, series_node(&copy))) return;
    Cell* entry = hash_put_key(g_ownership_table, series_node(&copy));
    entry[0] = copy;
    entry[1] = owner;
    entry[2] = word;
}

// Cells are re-fetched at every step: entries added on the way may move
// every buffer.
void set_owner_deep(Cell* value, const Cell& owner, const Cell& word) {
    uint8_t type = type_of(value);
    if (is_block_kind(type)) {
        Cell block = *value;
        claim(value, owner, word);
        if (cycles_find(series_node(&block))) return;
        cycles_push(series_node(&block));
        for (auto i = static_cast<uint32_t>(series_index(&block)); i < block_buffer_length(&block);
             i++)
            set_owner_deep(block_cell_at(&block, i), owner, word);
        cycles_pop();
    } else if (is_flat_ownable(type)) {
        if (series_node(value)) claim(value, owner, word);
    } else if (type == T_OBJECT) {
        Offset ctx = object_context(value);
        if (object_owns_series(ctx) || cycles_find(ctx)) return;
        cycles_push(ctx);
        if (context_has_values(ctx)) {
            for (uint32_t i = 0; i < context_word_count(ctx); i++) {
                Cell* field = context_value_at(ctx, i);
                if (type_of(field) == T_OBJECT && object_context(field) == object_context(&owner))
                    continue;
                Cell field_word = *context_word_at(ctx, i);
                set_owner_deep(context_value_at(ctx, i), owner, field_word);
            }
        }
        cycles_pop();
    }
}

void unbind_series(Cell* value) {
    Cell copy = *value;
    set_owned_flag(value, false);
    Cell* entry = hash_get_key(g_ownership_table, series_node(&copy));
    if (!entry) return;
    for (int i = 0; i < 3; i++)
        set_unset(&entry[i]);
    hash_remove_key(g_ownership_table, series_node(&copy));
    // Only a series that still had its entry is walked, so cycles end.
    if (is_block_kind(type_of(&copy)))
        for (auto i = static_cast<uint32_t>(series_index(&copy)); i < block_buffer_length(&copy);
             i++)
            ownership_unbind(block_cell_at(&copy, i));
}

// The node an event on the value is keyed by, or 0 when it cannot be owned.
Offset owned_node(const Cell* value) {
    uint8_t type = type_of(value);
    if (type == T_OBJECT) return object_context(value);
    if (!is_ownable(type) || !series_node(value)) return 0;
    // Series other than images carry the flag on their buffer: a clear flag
    // spares the lookup on every change of an unowned series.
    if (type != T_IMAGE && !owned_flag(value)) return 0;
    return series_node(value);
}

} // namespace

void ownership_init() {
    g_ownership_table = hash_make(kOwnershipTableSize, nullptr, kHashOwnership, 3);
    collector_add_root_callback(ownership_mark_table);
}

void ownership_set_owner(Cell* value, const Cell* owner, const Cell* word) {
    Cell owner_copy = *owner;
    Cell word_copy = *word;
    set_owner_deep(value, owner_copy, word_copy);
}

void ownership_set_owner_flagged(Cell* value, const Cell* owner, const Cell* word) {
    Offset ctx = object_context(owner);
    ownership_set_owner(value, owner, word);
    context_cell(ctx)->header |= kContextOwnsSeries;
}

void ownership_unbind(Cell* value) {
    uint8_t type = type_of(value);
    if (is_ownable(type)) {
        if (series_node(value)) unbind_series(value);
    } else if (type == T_OBJECT) {
        Offset ctx = object_context(value);
        if (object_owns_series(ctx) || cycles_find(ctx)) return;
        cycles_push(ctx);
        if (context_has_values(ctx))
            for (uint32_t i = 0; i < context_word_count(ctx); i++)
                ownership_unbind(context_value_at(ctx, i));
        cycles_pop();
    }
}

void ownership_unbind_range(const Cell* block, int32_t index, int32_t count) {
    Cell copy = *block;
    for (int32_t i = index; i < index + count; i++) {
        if (i < 0) continue;
        if (static_cast<uint32_t>(i) >= block_buffer_length(&copy)) break;
        ownership_unbind(block_cell_at(&copy, static_cast<uint32_t>(i)));
    }
}

Cell* ownership_find_owner(Offset node) {
    Cell* entry = hash_get_key(g_ownership_table, node);
    return entry ? entry + 1 : nullptr;
}

bool ownership_check(const Cell* value, const Cell* action, const Cell* new_value, int index,
                     int part) {
    Offset node = owned_node(value);
    if (!node || !g_object_fire_on_deep_change) return false;
    const Cell* entry = hash_get_key(g_ownership_table, node);
    if (!entry || !object_events(&entry[1])) return false;
    // Copies: the handler runs code that may move every buffer.
    Cell owner = entry[1];
    Cell word = entry[2];
    Cell target = *value;
    Cell act = *action;
    Cell fresh;
    if (new_value)
        fresh = *new_value;
    else
        set_none(&fresh);
    g_object_fire_on_deep_change(&owner, &word, &target, &act, new_value ? &fresh : nullptr, index,
                                 part);
    return true;
}

} // namespace xel
