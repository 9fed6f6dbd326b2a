// stats: how much memory the run-time holds.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/interpreter/interp.h"
#include "runtime/memory/memory-usage.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// Calls the library's show-memory-stats with the statistics block in a
// function frame of its word; its result is dropped.
void show_memory_stats(const Cell* data) {
    Cell word = *word_load("show-memory-stats");
    Cell fn = *word_get_checked(&word);
    if (type_of(&fn) != T_FUNCTION) error_fire(kCatScript, err::script::kInvalidArg, &word);
    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    stack_push_cell();
    stack_mark_func(&word, function_context(&fn));
    stack_push(data);
    SpecList list = interp_cached_spec(&fn);
    for (int i = 0; i < list.trailing; i++)
        stack_push(i == 0 ? &g_false_cell : &g_none_cell);
    if (interp_call_function(&fn).exit_pending()) return;
    stack_unwind_keep();
    g_stack_args = saved_args;
    g_stack_top = saved_top;
}

} // namespace

void natives_memory_in_use(Cell* result) {
    double used = memory_stats(nullptr, 1);
    if (used > 2147483647.0)
        float_make_at(result, used);
    else
        set_integer(result, static_cast<int32_t>(used));
}

uint32_t natives_stats(int, const int32_t* refs) {
    bool show = ref_present(refs[0]), info = ref_present(refs[1]);
    if (!show && !info) {
        natives_memory_in_use(stack_arguments());
        return 0;
    }
    Cell data;
    block_make_at(&data, 5);
    Cell* held = stack_push(&data);
    memory_stats(&data, show ? 3 : 2);
    if (show) {
        show_memory_stats(&data);
        if (exit_pending()) return 0;
        set_unset(stack_arguments());
    } else {
        *stack_arguments() = data;
    }
    g_stack_top = held;
    return 0;
}

} // namespace xel
