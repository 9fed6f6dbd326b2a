// Call-frame pushes, pops and unrolls.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context-cell.h"
#include "runtime/memory/series-memory.h"
#include "runtime/stack/stack.h"

namespace xel {

CallFrame* g_throw_origin = nullptr;

namespace {

void restore_context(const CallFrame* f) {
    if (frame_kind(f) == kFrameFunction && f->func_ctx != 0)
        context_set_values_ref(f->func_ctx, f->saved_values);
}

// Pops the top frame; returns it (still readable until the next push).
CallFrame* pop_frame() {
    XEL_ASSERT(g_frames_top > g_frames_base);
    CallFrame* f = --g_frames_top;
    g_stack_args = frame_saved_base(f);
    return f;
}

} // namespace

Cell* frame_own_base(const CallFrame* f) {
    return f + 1 < g_frames_top ? frame_saved_base(f + 1) : g_stack_args;
}

Cell* stack_mark_compiled_func(const Cell* word, Offset func_ctx) {
    if (func_ctx) context_set_values_ref(func_ctx, offset_of(g_stack_args));
    return stack_mark(word, kHeaderCompiledFunc);
}

void stack_set_interp_flag() {
    stack_top_frame()->header |= kFrameInterpreted;
}

CallFrame* stack_mark_exit_target() {
    CallFrame* f = g_frames_top - 2;
    if (f < g_frames_base || (f->header & kFrameExitTarget)) return nullptr;
    f->header |= kFrameExitTarget;
    return f;
}

void stack_clear_exit_target(CallFrame* f) {
    f->header &= ~kFrameExitTarget;
}

bool stack_in_interp(CallFrame* from, bool only_next) {
    CallFrame* f = (from ? from : g_frames_top) - 1;
    for (; f >= g_frames_base; f--) {
        if (f->header & kFrameInterpreted) return true;
        if (only_next) break;
    }
    return false;
}

void stack_revert() {
    Cell* last = stack_top();
    if (type_of(last) == T_ERROR) *g_stack_args = *last;
    g_stack_top = g_stack_args + 1;
}

void stack_unwind() {
    Cell* base = g_stack_args;
    CallFrame* f = pop_frame();
    restore_context(f);
    if (g_frames_top == g_frames_base)
        g_stack_args = g_stack_top = g_stack_base;
    else
        g_stack_top = base;
}

void stack_unwind_func() {
    Cell* base = g_stack_args;
    restore_context(pop_frame());
    g_stack_top = base + 1;
}

void stack_unwind_func_reset() {
    restore_context(pop_frame());
    g_stack_top = g_stack_args;
}

void stack_unwind_reset() {
    pop_frame();
    g_stack_top = g_stack_args;
}

void stack_unwind_func_last() {
    Cell* base = g_stack_args;
    restore_context(pop_frame());
    *g_stack_args = *base;
    g_stack_top = base + 1;
}

void stack_unroll(uint32_t kind, bool inclusive) {
    CallFrame* start = g_frames_top;
    if (start == g_frames_base) {
        g_stack_top = g_stack_args + 1;
        return;
    }
    while (g_frames_top > g_frames_base) {
        CallFrame* f = --g_frames_top;
        restore_context(f);
        uint32_t k = frame_kind(f);
        if (k == kind || k == kFrameTryAll) break;
    }
    if (inclusive) g_frames_top++;
    if (g_frames_top == start) {
        g_stack_top = g_stack_args + 1;
    } else if (g_frames_top == g_frames_base) {
        g_stack_args = g_stack_top = g_stack_base;
    } else {
        g_stack_top = g_stack_args + 1;
        g_stack_args = frame_saved_base(g_frames_top);
    }
    if (!inclusive) g_frames_top++;
}

void stack_unroll_last(uint32_t kind) {
    Cell* innermost = g_stack_args;
    stack_unroll(kind, true);
    *g_stack_args = *innermost;
    g_stack_top = g_stack_args;
}

} // namespace xel
