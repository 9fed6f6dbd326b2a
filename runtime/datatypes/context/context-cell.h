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
// Word 2 of a context cell as stored, whatever holds the values (0 while
// none do): a function's call frame saves it and puts it back, and a
// compiled call points it at its arguments.
inline Offset context_cell_values(const Cell* cc) {
    XEL_ASSERT(type_of(cc) == T_CONTEXT);
    return cc->data2;
}
inline void context_cell_set_values(Cell* cc, Offset values) {
    XEL_ASSERT(type_of(cc) == T_CONTEXT);
    cc->data2 = values;
}
// The values block of a context whose values are not on the stack.
inline Offset context_values_node(Offset ctx) {
    return context_cell(ctx)->data2;
}
// Word 2 of a context's cell (context_cell_values).
inline Offset context_values_ref(Offset ctx) {
    return context_cell_values(context_cell(ctx));
}
inline void context_set_values_ref(Offset ctx, Offset values) {
    context_cell_set_values(context_cell(ctx), values);
}

} // namespace xel
