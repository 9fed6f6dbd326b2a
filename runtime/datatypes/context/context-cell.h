// The context cell's words that code outside context! reads and writes,
// light enough for the stack's inline frame pushes (context.h has the rest).
#pragma once
#include "runtime/cell.h"
#include "runtime/invariant.h"
#include "runtime/memory/series-memory.h"

namespace xel {

// The context cell of a context node: the first of its buffer's two cells.
inline Cell* context_cell(Offset ctx) {
    return at<Cell>(buffer_of(ctx)->head);
}
// The values block of a context whose values are not on the stack.
inline Offset context_values_node(Offset ctx) {
    return context_cell(ctx)->data2;
}
// Word 2 as stored, whatever holds the values: a function's call frame saves
// it and puts it back, and a compiled call points it at its arguments.
inline Offset context_values_ref(Offset ctx) {
    XEL_ASSERT(type_of(context_cell(ctx)) == T_CONTEXT);
    return context_cell(ctx)->data2;
}
inline void context_set_values_ref(Offset ctx, Offset values) {
    XEL_ASSERT(type_of(context_cell(ctx)) == T_CONTEXT);
    context_cell(ctx)->data2 = values;
}

} // namespace xel
