// The routines over the argument stack and the call frames, for the
// debugging tools.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

RoutineValue integer_answer(int64_t n) {
    Cell out;
    set_integer(&out, static_cast<int32_t>(n));
    return routine_answer(out);
}

} // namespace

RoutineValue routine_stack_size(const RoutineValue*, uint32_t) {
    return integer_answer(g_stack_top - g_stack_base);
}

RoutineValue routine_pick_stack(const RoutineValue* args, uint32_t) {
    int32_t index = integer_get(args[0].cell);
    if (index < 1 || index >= g_stack_top - g_stack_base) return routine_answer(g_none_cell);
    Cell copy = g_stack_base[index - 1];
    return routine_answer(copy);
}

// The routine's own frame is the top one; its caller's base is the answer.
RoutineValue routine_frame_index(const RoutineValue*, uint32_t) {
    return integer_answer(frame_saved_base(stack_top_frame()) - g_stack_base);
}

// Each function or native frame below the routine's own: its name and the
// position of its first argument cell.
RoutineValue routine_collect_calls(const RoutineValue* args, uint32_t) {
    Cell block = *args[0].cell;
    for (CallFrame* f = g_frames_base; f < stack_top_frame(); f++) {
        uint32_t kind = frame_kind(f);
        if (kind != kFrameFunction && kind != kFrameNative) continue;
        Cell position;
        set_integer(&position, static_cast<int32_t>(frame_own_base(f) - g_stack_base));
        word_make_in(&block, frame_symbol(f));
        block_append_copy(&block, &position);
    }
    return routine_answer(block);
}

} // namespace xel
