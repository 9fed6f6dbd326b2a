#include "runtime/datatypes/block/block-sort-call.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/spec-cache.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/interpreter/interp.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// Fills the frame as a call with two arguments would: further arguments none!,
// refinements false, /local and its words false and none!.
void push_arguments(const Cell* fn, const Cell* first, const Cell* second) {
    SpecList list = interp_cached_spec(fn);
    const Cell* values[2] = {first, second};
    int given = 0;
    bool active = true;
    for (const Cell* e = list.begin; e < list.end; e++) {
        if (type_of(e) == T_TYPESET) {
            if (argument_class(e) == kArgReturn) continue;
            stack_push(active && given < 2 ? values[given++] : &g_none_cell);
        } else {
            stack_push(&g_false_cell);
            active = false;
        }
    }
    if (list.trailing > 0) {
        stack_push(&g_false_cell);
        for (int i = 1; i < list.trailing; i++)
            stack_push(&g_none_cell);
    }
}

// The order an answer stands for.
int order_of(const Cell* answer) {
    switch (type_of(answer)) {
    case T_LOGIC:
        return answer->data1 ? 1 : -1;
    case T_INTEGER:
        return static_cast<int32_t>(answer->data2);
    case T_FLOAT: {
        double d = cell_double(answer);
        return d > 0 ? 1 : (d < 0 ? -1 : 0);
    }
    case T_NONE:
        return -1;
    default:
        return 1;
    }
}

// A record as a block of its cells (the shared block is emptied and refilled).
const Cell* record_block(Cell* block, const Cell* record, uint32_t size) {
    block_clear_from(block, 0);
    for (uint32_t i = 0; i < size; i++)
        block_append_copy(block, record + i);
    return block;
}

} // namespace

int sort_call_comparator(const void* a, const void* b, intptr_t order, intptr_t) {
    auto* o = reinterpret_cast<SortByFunction*>(order);
    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    const auto* x = static_cast<const Cell*>(a);
    const auto* y = static_cast<const Cell*>(b);
    if (o->whole_records) {
        x = record_block(&o->records[0], x, o->size);
        y = record_block(&o->records[1], y, o->size);
    }
    // Normally the second value is passed first; /reverse passes them in order.
    const Cell* first = o->reverse ? x : y;
    const Cell* second = o->reverse ? y : x;
    Cell fn = o->function;
    stack_push_cell();
    stack_mark_interp_func(g_word_compare_callback_marker, function_context(&fn));
    push_arguments(&fn, first, second);
    if (interp_call_function(&fn).exit_pending()) exit_raise_pending();
    Cell answer = *stack_arguments();
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
    return order_of(&answer);
}

} // namespace xel
