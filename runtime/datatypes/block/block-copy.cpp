#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

bool typeset_has(const Cell* typeset, uint8_t type) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&typeset->data1);
    return (bytes[type >> 3] & (0x80u >> (type & 7))) != 0;
}

// What copy/types may copy: series and the other values with contents of their own.
bool is_copyable_nested(uint8_t t) {
    return is_series_kind(t) || t == T_BITSET || t == T_OBJECT || t == T_ERROR || t == T_MAP;
}

// The copy action of the cell's own type; its result is the frame's result slot.
Cell copy_of(Cell* value, bool deep) {
    auto fn = action_of<A_COPY>(type_of(value));
    if (!fn) return *value;
    Cell kept = *value;
    return *fn(&kept, nullptr, deep, nullptr);
}

// Replaces, in the copied cells [from, from + n) of block, each nested value
// that qualifies by its own copy, keeping the cell's header flags.
void copy_nested(Cell* block, uint32_t from, uint32_t n, bool deep, const Cell* types) {
    for (uint32_t i = from; i < from + n; i++) {
        Cell c = *block_cell_at(block, i);
        uint8_t t = type_of(&c);
        bool wanted;
        if (!types)
            wanted = is_series_kind(t);
        else if (type_of(types) == T_DATATYPE)
            wanted = t == types->data1 && is_copyable_nested(t);
        else
            wanted = typeset_has(types, t) && is_copyable_nested(t);
        if (!wanted) continue;
        Cell copy = copy_of(&c, deep || !types);
        copy.header = c.header;
        *block_cell_at(block, i) = copy;
    }
}

} // namespace

void block_copy_nested(Cell* block, uint32_t from, uint32_t n, bool deep, const Cell* types) {
    copy_nested(block, from, n, deep, types);
}

Cell* block_copy(Cell* value, Cell* part, bool deep, Cell* types) {
    Cell source = *value;
    Cell copy = *series_copy(&source, part, deep, types);
    if (!deep && !types) return stack_arguments();
    if (type_of(&copy) == T_HASH) cell_set_type(&copy, T_BLOCK);
    if (deep) {
        if (cycles_find(source.data2)) {
            cycles_reset();
            error_fire(kCatInternal, err::internal::kNoCycle);
        }
        cycles_push(source.data2);
    }
    // Kept on the stack: the nested copies write the frame's result slot.
    Cell* kept = stack_push(&copy);
    copy_nested(kept, 0, block_buffer_length(kept), deep, types);
    copy = *kept;
    stack_pop(1);
    if (deep) cycles_pop();
    Cell* result = stack_arguments();
    *result = copy;
    return result;
}

Cell* block_take(Cell* series, Cell* part, bool deep, bool last) {
    Cell taken = *series_take(series, part, deep, last);
    if (type_of(&taken) == T_NONE) return stack_arguments();
    Cell* kept = stack_push(&taken);
    if (deep) {
        copy_nested(kept, 0, block_buffer_length(kept), true, nullptr);
        hash_note_rebuilt(kept);
    }
    taken = *kept;
    stack_pop(1);
    Cell* result = stack_arguments();
    if (!part && block_buffer_length(&taken) == 1)
        *result = *block_cell_at(&taken, 0);
    else
        *result = taken;
    return result;
}

} // namespace xel
