#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-internal.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/invariant.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// The value an object's field element selects when an earlier walk bound the
// element's word to the object and the field is set: the walk's result
// without its frame, when nothing could see the difference (fast paths on and
// tracing off, which every caller has tested; room on both stacks for the
// frame the walk pushes). nullptr when the walk must run.
const Cell* bound_field(const Cell* object, const Cell* element) {
    XEL_ASSERT(g_interp_fast && !g_tracing);
    if (type_of(object) != T_OBJECT || type_of(element) != T_WORD ||
        word_context(element) != object_context(object) || g_frames_top >= g_frames_end ||
        g_stack_top + 1 >= g_stack_end)
        return nullptr;
    const Cell* v = context_peek_fast(element);
    return v && type_of(v) != T_UNSET ? v : nullptr;
}

} // namespace

Evaluated<Cell*> interp_eval_bound_path(Cell* pos, Cell* end, Cell* code, bool get) {
    // Nothing here allocates: the path's buffer stays where it is.
    Cell* first = buffer_head(pos);
    Cell* head = walk_start(first, pos);
    Cell* tail = block_rs_tail(pos);
    if (head + 1 >= tail || type_of(head) != T_WORD) return nullptr;
    const Cell* object = context_peek_fast(head);
    if (!object) return nullptr;
    const Cell* field = bound_field(object, head + 1);
    if (!field) return nullptr;
    Cell value = *field;
    if (!get && is_callable(type_of(&value))) {
        Cell name = *pos;
        series_set_index(&name, static_cast<int32_t>(head + 1 - first));
        // The field's word names the call, as it heads the name.
        return interp_call_by_path(&value, pos + 1, end, code, &name, head + 1, head + 2 < tail);
    }
    if (head + 2 != tail) return nullptr;
    stack_push(&value);
    return pos + 1;
}

Evaluated<Cell*> interp_eval_path(Cell* pos, Cell* end, Cell* code, bool set, bool get) {
    Cell path = *pos;
    Cell* head = walk_start(buffer_head(&path), &path);
    Cell* tail = block_rs_tail(&path);
    if (head >= tail) error_fire(kCatScript, err::script::kEmptyPath);
    if (type_of(head) != T_WORD) error_fire(kCatScript, err::script::kWordFirst, &path);
    if (g_tracing) [[unlikely]] {
        trace_fire(kTraceEnter, &path, head, nullptr, nullptr);
        trace_fire(kTraceFetch, &path, head, nullptr, head);
    }

    Cell* next = pos + 1;
    Cell to_set{T_UNSET, 0, 0, 0};
    if (set) {
        Evaluated<Cell*> after = interp_eval_expression(next, end, code, false, true, false);
        if (after.exit_pending()) return after;
        next = after.value();
        to_set = *stack_top();
        g_stack_top--;
    }

    Cell current = *context_get_fast(head);
    if (type_of(&current) == T_UNSET) error_fire(kCatScript, err::script::kUnsetPath, &path, head);
    Cell* start = g_stack_top;
    if (is_callable(type_of(&current))) {
        if (set) error_fire(kCatScript, err::script::kInvalidPathSet, &path);
        if (get) {
            stack_push(&current);
            return next;
        }
        Cell name = path;
        series_set_index(&name, static_cast<int32_t>(head - buffer_head(&path)));
        return interp_eval_code(&current, next, end, code, &name, kApplyNone, false);
    }

    // One frame for the walk, so the selections never touch the caller's slots.
    stack_mark_native(head);
    Cell* slot = stack_push_cell();
    Cell gparent = g_none_cell;
    Cell previous = *head;
    for (Cell* e = head + 1; e < tail; e++) {
        // A selector that is the element itself is passed as the path's own
        // cell: an object binds it there, so the next walk skips the lookup.
        Cell selector = *e;
        Cell* element = e;
        if (type_of(e) == T_GET_WORD) {
            element = &selector;
            selector = *context_get(e);
        } else if (type_of(e) == T_PAREN) {
            element = &selector;
            if (interp_eval_block(&selector, false).exit_pending()) return next;
            selector = *stack_top();
            g_stack_top = slot + 1;
        }
        if (type_of(&selector) == T_UNSET)
            error_fire(kCatScript, err::script::kInvalidPath, &path, e);
        bool last = e + 1 == tail;
        Cell parent = current;
        Cell* result = actions_eval_path_typed(&parent, element, set && last ? &to_set : nullptr,
                                               &path, &gparent, &previous,
                                               static_cast<int>(e - head), false, get, last, false);
        selector = *element;
        current = *result;
        g_stack_top = slot + 1;
        gparent = parent;
        previous = selector;
        if (g_tracing) [[unlikely]]
            trace_fire(kTracePush, &path, e, nullptr, &current);
        if (!set && !get && is_callable(type_of(&current))) {
            stack_unwind_reset();
            g_stack_top = start;
            Cell name = path;
            series_set_index(&name, static_cast<int32_t>(e - buffer_head(&path)));
            return interp_eval_code(&current, next, end, code, &name, kApplyNone, false);
        }
    }
    stack_unwind_reset();
    g_stack_top = start;
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceExit, &path, tail, nullptr, &current);
    stack_push(set ? &to_set : &current);
    return next;
}

} // namespace xel
