#include <cmath>
#include <cstring>

#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

bool is_clone_nested(uint8_t t, bool any) {
    return t == T_BLOCK || (any && is_block_kind(t) && t != T_HASH);
}

// Fills the pushed copy's nested blocks with their own clones. Each nested
// clone is pushed above the copy and popped once written into it.
void clone_nested(Cell* copy, bool any) {
    uint32_t n = block_buffer_length(copy);
    for (uint32_t i = 0; i < n; i++) {
        Cell* c = block_cell_at(copy, i);
        if (!is_clone_nested(type_of(c), any)) continue;
        Cell nested = *c;
        Cell* clone = block_clone(&nested, true, any);
        // Keeps the nested value's new-line marker and its own type.
        clone->header = nested.header;
        *block_cell_at(copy, i) = *clone;
        stack_pop(1);
    }
}

} // namespace

Cell* block_clone(const Cell* source, bool deep, bool any) {
    Cell src = *source;
    uint32_t from = block_index(&src) < 0 ? 0 : static_cast<uint32_t>(block_index(&src));
    uint32_t len = block_buffer_length(&src);
    uint32_t n = from < len ? len - from : 0;
    Cell* copy = block_push_new(static_cast<int>(n));
    SeriesBuf* buf = block_buffer(copy);
    std::memcpy(at(buf->head), block_cell_at(&src, from), n * sizeof(Cell));
    buf->tail = buf->head + n * sizeof(Cell);
    cell_set_type(copy, type_of(&src));
    if (deep && n) {
        // A block met again inside itself would be cloned without end.
        if (cycles_find(src.data2)) {
            cycles_reset();
            error_fire(kCatInternal, err::internal::kNoCycle);
        }
        cycles_push(src.data2);
        clone_nested(copy, any);
        cycles_pop();
    }
    return copy;
}

namespace {

// A float capacity truncated toward zero; out-of-range outside int32 or NaN.
int32_t float_capacity(const Cell* spec) {
    double d = cell_double(spec);
    if (!(d <= 2147483647.0 && d >= -2147483648.0))
        error_fire(kCatScript, err::script::kOutOfRange, spec);
    return static_cast<int32_t>(std::trunc(d));
}

Cell* result_of(Cell* value, int type) {
    Cell* result = stack_arguments();
    *result = *value;
    cell_set_type(result, static_cast<uint8_t>(type));
    cell_clear_new_line(result);
    return result;
}

Cell* clone_result(Cell* spec, int type) {
    Cell* clone = block_clone(spec, false, false);
    Cell kept = *clone;
    stack_pop(1);
    return result_of(&kept, type);
}

// A map's body or a vector's items.
Cell* contents_result(Cell* spec, int type) {
    Cell made;
    if (type_of(spec) == T_MAP)
        map_body_block(spec, &made);
    else
        vector_to_block(spec, &made);
    return result_of(&made, type);
}

} // namespace

Cell* block_make(Cell* proto, Cell* spec, int type) {
    (void)proto;
    uint8_t t = type_of(spec);
    if (is_block_kind(t)) return clone_result(spec, type);
    if (t == T_MAP || t == T_VECTOR) return contents_result(spec, type);
    if (t == T_INTEGER || t == T_FLOAT) {
        int32_t n = t == T_INTEGER ? static_cast<int32_t>(spec->data2) : float_capacity(spec);
        Cell fresh;
        block_make_at(&fresh, n < 1 ? 1 : n);
        return result_of(&fresh, type);
    }
    Cell type_cell = datatype_cell(static_cast<uint32_t>(type));
    error_fire_bad_make_arg(&type_cell, spec);
}

Cell* block_to(Cell* proto, Cell* spec, int type) {
    (void)proto;
    if (is_block_kind(type_of(spec))) return clone_result(spec, type);
    if (type_of(spec) == T_MAP || type_of(spec) == T_VECTOR) return contents_result(spec, type);
    if (type_of(spec) == T_STRING) {
        Cell text = *spec;
        Cell* result = stack_arguments();
        lexer_load_string(result, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        cell_set_type(result, static_cast<uint8_t>(type));
        return result;
    }
    if (type_of(spec) == T_TYPESET) {
        Cell set = *spec;
        Cell* result = stack_arguments();
        typeset_to_block(&set, result);
        cell_set_type(result, static_cast<uint8_t>(type));
        return result;
    }
    Cell fresh;
    block_make_at(&fresh, 1);
    Cell* kept = stack_push(&fresh);
    block_append_copy(kept, spec);
    Cell done = *kept;
    stack_pop(1);
    return result_of(&done, type);
}

} // namespace xel
