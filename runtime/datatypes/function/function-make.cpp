#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// The spec as a function keeps it, read from its head: a spec given past its
// head is copied from its position (a position past the tail gives an empty copy).
Cell spec_from_head(const Cell* spec) {
    Cell s = *spec;
    if (block_index(&s) == 0) return s;
    Cell copy = *block_clone(&s, false, false);
    stack_pop(1);
    return copy;
}

// A record of five unset! cells.
Cell new_record() {
    Cell record;
    block_make_at(&record, kFunctionRecordCells);
    for (uint32_t i = 0; i < kFunctionRecordCells; i++)
        block_append_copy(&record, &g_unset_cell);
    return record;
}

// Pushes the value and makes its context lead back to it.
Cell* push_value(uint32_t header, Offset ctx, Offset spec, Offset record) {
    Cell* fn = stack_push_cell();
    *fn = Cell{header, ctx, spec, record};
    *context_self(ctx) = *fn;
    return fn;
}

// The blocks of a library function's body copy, nested ones included.
void mark_library(Offset node) {
    SeriesBuf* buf = buffer_of(node);
    if (buf->flags & kFlagLibrary) return;
    buf->flags |= kFlagLibrary;
    uint32_t n = buf->used() / sizeof(Cell);
    for (uint32_t i = 0; i < n; i++) {
        const Cell* c = at<Cell>(buffer_of(node)->head) + i;
        if (is_block_kind(type_of(c)) && type_of(c) != T_HASH) mark_library(c->data2);
    }
}

[[noreturn]] void bad_definition(const Cell* value) {
    error_fire(kCatScript, err::script::kBadFuncDef, value);
}

} // namespace

Cell* function_make_compiled(const Cell* spec, const Cell* body, Offset ctx, uint32_t code,
                             Offset owner, uint32_t flags) {
    Cell s = spec_from_head(spec);
    Cell record = new_record();
    Offset own = ctx ? ctx : context_make_from_words(&s, kContextFunction, true);
    Cell* fn = push_value(T_FUNCTION | (flags & ~0xFFu), own, s.data2, record.data2);

    Cell copy = g_none_cell;
    if (body && type_of(body) == T_BLOCK) {
        bool library = block_buffer(body)->flags & kFlagLibrary;
        copy = *block_clone(body, true, true);
        stack_pop(1);
        if (library && !code) {
            code = kCodeLibrary;
            mark_library(copy.data2);
        }
    }
    Cell* cells = function_record(fn);
    cells[kRecordBody] = copy;
    if (code) set_integer(&cells[kRecordCode], static_cast<int32_t>(code));
    if (owner) set_integer(&cells[kRecordOwner], static_cast<int32_t>(owner));
    if (!ctx && type_of(&copy) == T_BLOCK) context_bind_block(&copy, own, false);
    return fn;
}

uint32_t routine_count_arguments(const Cell* spec) {
    Cell s = *spec;
    uint32_t n = 0;
    for (uint32_t i = 0; i < block_buffer_length(&s); i++)
        if (type_of(block_cell_at(&s, i)) == T_WORD) n++;
    return n;
}

Cell* routine_make_compiled(const Cell* spec, const Cell* body, uint32_t code, int32_t return_type,
                            bool cell_arguments) {
    Cell s = spec_from_head(spec);
    uint32_t count = routine_count_arguments(&s);
    // The count has five header bits; more would spill into the new-line flag.
    if (count > kHeaderCountMask) bad_definition(&s);
    Cell record = new_record();
    Cell* cells = block_rs_head(&record);
    if (body && type_of(body) == T_BLOCK)
        cells[kRecordBody] = *body;
    else
        set_none(&cells[kRecordBody]);
    set_integer(&cells[kRecordCode], static_cast<int32_t>(code));
    set_integer(&cells[kRecordOwner], return_type);
    Offset ctx = context_make_from_words(&s, kContextFunction, true);
    uint32_t header =
        T_ROUTINE | (cell_arguments ? kRoutineCellArguments : 0) | count << kHeaderCountShift;
    return push_value(header, ctx, s.data2, record.data2);
}

Cell* function_make(Cell*, Cell* spec, int) {
    if (type_of(spec) != T_BLOCK || block_length_at(spec) < 2) bad_definition(spec);
    Cell fn_spec = block_rs_head(spec)[0];
    Cell body = block_rs_head(spec)[1];
    if (type_of(&fn_spec) != T_BLOCK || type_of(&body) != T_BLOCK) bad_definition(spec);
    uint32_t flags = function_validate_spec(&fn_spec);
    Cell fn = *function_make_compiled(&fn_spec, &body, 0, 0, 0, flags);
    stack_pop(1);
    return stack_set_last(&fn);
}

void function_push_unused_refinement(uint32_t n) {
    stack_push(&g_false_cell);
    for (uint32_t i = 1; i < n; i++)
        stack_push(&g_none_cell);
}

} // namespace xel
