// One pass of a loop body, shared by the loop natives.
#pragma once
#include "runtime/interpreter/interp.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

enum class Pass {
    Normal,
    Break,    // the loop ends; the loop frame's first cell holds its result
    Continue, // the next pass follows
    Leave,    // another exit is pending: the loop returns at once
};

// A loop count cell: a float! becomes an integer! in place.
void loop_count_to_integer(Cell* count);

// Evaluates the body into the (emptied) loop frame's first cell and takes a
// break or continue aimed at this loop.
inline Pass loop_pass(Cell* body) {
    stack_reset();
    if (!interp_eval_block(body, true).exit_pending()) [[likely]]
        return Pass::Normal;
    switch (exit_take_if(kThrowBreak, kThrowContinue)) {
    case kThrowBreak:
        return Pass::Break;
    case kThrowContinue:
        return Pass::Continue;
    default:
        return Pass::Leave;
    }
}

} // namespace xel
