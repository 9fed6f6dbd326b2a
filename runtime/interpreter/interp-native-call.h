// The pieces of a native's or action's call on the lean paths (a call by
// word, an infix call, a plan's call step): its frame, its routine run with
// every refinement absent, its frame popped with the result kept.
#pragma once
#include <array>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/invariant.h"
#include "runtime/natives/natives.h"
#include "runtime/stack/stack.h"

namespace xel {

// The refinements a routine's call can name.
constexpr int kMaxRefinements = 64;

// Every refinement absent, for any routine: a constant row, so a plain call
// fills nothing.
inline constexpr std::array<int32_t, kMaxRefinements> kNoRefinements = [] {
    std::array<int32_t, kMaxRefinements> refs{};
    refs.fill(kRefAbsent);
    return refs;
}();

// Runs a native's or action's routine with every refinement absent: inline
// where every plain native call passes (lean_call, a plan's call step), out
// of line for the rarer callers.
[[gnu::always_inline]] inline void run_native_inline(const Cell* fn) {
    NativeFn routine = type_of(fn) == T_NATIVE ? native_code(native_entry(fn))
                                               : g_actions_table[native_entry(fn) - 1];
    if (!routine) [[unlikely]]
        error_fire(kCatInternal, err::internal::kNotDone);
    routine(0, kNoRefinements.data());
}

// The frame of a native or action called by the lean path, which always has
// a word for it (call_name_word gives the anonymous marker when the call has
// no name of its own): no test for a missing word.
inline void mark_lean_native_frame(const Cell* word) {
    XEL_ASSERT(word);
    stack_mark_header(word_symbol(word) << 8 | kHeaderInterpNative, word_context(word));
}

// The end of a lean call whose routine or body has run: the frame popped and
// its result moved into the call's slot. The top moves once, unless tracing
// shows the result first.
inline void lean_call_done(Cell* slot, Cell* code, Cell* pos, const Cell* name) {
    Cell* result = stack_unwind_frame();
    if (g_tracing) [[unlikely]] {
        g_stack_top = result + 1;
        trace_fire(kTraceReturn, code, pos, name, result);
    }
    *slot = *result;
    g_stack_top = slot + 1;
}

} // namespace xel
