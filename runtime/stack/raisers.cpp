// The raisers of non-local exits. Errors leave as a C++ throw; break,
// continue, return, exit and throw unwind the frames and leave a pending
// exit code for the C++ callers to pass up to the target (exits.h).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "runtime/core/heap.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context-cell.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/memory/series-memory.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

void restore_context(const CallFrame* f) {
    if (frame_kind(f) == kFrameFunction && f->func_ctx != 0)
        context_set_values_ref(f->func_ctx, f->saved_values);
}

// Makes target the top frame, its own frame base current and empty; the
// function contexts of the frames passed are put back on the way.
Cell* keep_as_top(CallFrame* target) {
    Cell* base = frame_own_base(target);
    for (CallFrame* f = g_frames_top - 1; f > target; f--)
        restore_context(f);
    g_frames_top = target + 1;
    g_stack_args = g_stack_top = base;
    return base;
}

// The exit's target: the nearest frame below the innermost (or from the
// innermost with include_top) that satisfies found; nullptr when a try/all
// frame comes first or no frame does.
template <class Found> CallFrame* find_target(bool include_top, Found found) {
    CallFrame* f = g_frames_top - 1;
    if (f < g_frames_base) return nullptr;
    if (!include_top) {
        if (frame_kind(f) == kFrameTryAll) return nullptr;
        f--;
    }
    for (; f >= g_frames_base; f--) {
        if (found(f)) return f;
        if (frame_kind(f) == kFrameTryAll) return nullptr;
    }
    return nullptr;
}

[[noreturn]] void die_uncaught(Cell* error) {
    *g_stack_args = *error;
    std::string text;
    if (catch_at(kCatchErrors, [&] { text = error_form_text(g_stack_args); }))
        text = error_headline(error);
    text += '\n';
    std::fflush(stdout);
    (void)!write(2, text.data(), text.size());
    heap_free_all();
    std::exit(-2);
}

} // namespace

Cell g_frameless_error{};

// With no call frame at all no language code is running (start-up, or C++
// callers of the run-time such as tests): the error goes to the C++ catch
// point around that code in g_frameless_error, the stacks left as they are.
void stack_throw_error(Cell* error) {
    Cell err = *error;
    if (g_frames_top > g_frames_base) {
        Cell where = *stack_get_call();
        error_set_where(&err, &where);
        Cell near;
        if (interp_code_near(&near)) error_set_near(&err, &near);
        stack_error_set_where(&err);
        Cell* top = g_stack_top;
        stack_unroll(kFrameTry, false);
        CallFrame* popped = --g_frames_top;
        g_stack_args = frame_saved_base(popped);
        g_stack_top = top;
        uint32_t kind = frame_kind(popped);
        if (g_frames_top == g_frames_base && kind != kFrameTry && kind != kFrameTryAll)
            die_uncaught(&err);
    } else {
        g_frameless_error = err;
        throw_code(kThrowError);
    }
    stack_push(&err);
    throw_code(kThrowError);
}

void stack_throw_break(bool has_value, bool cont) {
    CallFrame* loop =
        find_target(false, [](const CallFrame* f) { return frame_kind(f) == kFrameLoop; });
    if (!loop) error_fire(kCatThrow, cont ? err::throw_::kContinue : err::throw_::kBreak);
    Cell value = *g_stack_args;
    Cell* slot = keep_as_top(loop);
    if (has_value && !cont)
        *slot = value;
    else
        set_unset(slot);
    exit_set(cont ? kThrowContinue : kThrowBreak);
}

void stack_throw_exit(bool ret, bool include_top) {
    CallFrame* target = find_target(
        include_top, [](const CallFrame* f) { return (f->header & kFrameExitTarget) != 0; });
    if (!target) error_fire(kCatThrow, err::throw_::kReturn);
    Cell value = *g_stack_args;
    Cell* slot = keep_as_top(target);
    if (ret)
        *slot = value;
    else
        set_unset(slot);
    exit_set(ret ? kThrowReturn : kThrowExit);
}

void stack_throw_throw(uint32_t code) {
    if (!g_throw_origin && g_frames_top > g_frames_base) g_throw_origin = g_frames_top - 1;
    Cell value = g_stack_args[0];
    Cell name = g_stack_args[1];
    CallFrame* target =
        find_target(true, [](const CallFrame* f) { return frame_kind(f) == kFrameCatch; });
    if (!target) error_fire(kCatThrow, err::throw_::kThrow, &value);
    keep_as_top(target);
    stack_push(&value);
    stack_push(&name);
    exit_set(code);
}

} // namespace xel
