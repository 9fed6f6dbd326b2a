// Path access for get and set: the interpreter's path walk with the value to
// set already evaluated and a case flag for the selections.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/binding/word-natives.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

bool is_function_value(uint8_t t) {
    return t == T_NATIVE || t == T_ACTION || t == T_FUNCTION || t == T_ROUTINE;
}

} // namespace

bool natives_path_access(const Cell* path_value, const Cell* value, bool case_, Cell* out) {
    Cell path = *path_value;
    bool set = value != nullptr;
    Cell to_set = set ? *value : g_none_cell;
    uint32_t first = block_index(&path) > 0 ? static_cast<uint32_t>(block_index(&path)) : 0;
    uint32_t tail = block_buffer_length(&path);
    if (first >= tail) error_fire(kCatScript, err::script::kEmptyPath);
    Cell head = *block_cell_at(&path, first);
    if (type_of(&head) != T_WORD) error_fire(kCatScript, err::script::kWordFirst, &path);

    Cell current = *context_get(&head);
    if (type_of(&current) == T_UNSET) error_fire(kCatScript, err::script::kUnsetPath, &path, &head);
    if (is_function_value(type_of(&current)))
        error_fire(kCatScript, set ? err::script::kInvalidPathSet : err::script::kInvalidPathGet,
                   &path);

    // One frame for the walk, so the selections never touch the caller's slots.
    Cell* start = g_stack_top;
    stack_mark_native(&head);
    Cell* slot = stack_push_cell();
    Cell gparent = g_none_cell;
    Cell previous = head;
    for (uint32_t i = first + 1; i < tail; i++) {
        Cell element = *block_cell_at(&path, i);
        Cell selector = element;
        if (type_of(&element) == T_GET_WORD) {
            selector = *context_get(&element);
        } else if (type_of(&element) == T_PAREN) {
            if (interp_eval_block(&selector, false).exit_pending()) return false;
            selector = *stack_top();
            g_stack_top = slot + 1;
        }
        if (type_of(&selector) == T_UNSET)
            error_fire(kCatScript, err::script::kInvalidPath, &path, &element);
        bool last = i + 1 == tail;
        Cell parent = current;
        Cell* result = actions_eval_path_typed(
            &parent, &selector, set && last ? &to_set : nullptr, &path, &gparent, &previous,
            static_cast<int>(i - first), case_, !set, last, false);
        current = *result;
        g_stack_top = slot + 1;
        gparent = parent;
        previous = selector;
    }
    stack_unwind_reset();
    g_stack_top = start;
    *out = set ? to_set : current;
    return true;
}

} // namespace xel
