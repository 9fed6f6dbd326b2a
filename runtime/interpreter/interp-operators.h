// The operators that follow a value: applied left to right, those on
// numbers computed in place when nothing could see the call.
#pragma once
#include "runtime/actions/action-slots.h"
#include "runtime/actions/dispatch.h"
#include "runtime/actions/fast-paths.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/interpreter/interp-internal.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/natives.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

constexpr int kInfixCompare = 8;

// The fast case an operator has on numbers: a MathOp (add, subtract or
// multiply), or a CompareOp plus kInfixCompare; -1 when it has none.
// kind is the op's native or action type, number its entry in that table.
inline int infix_number_code_of(uint8_t kind, uint32_t number) {
    static constexpr int kCompareOfNative[] = {kCmpEqual,       kCmpNotEqual, kCmpStrictEqual,
                                               kCmpLesser,      kCmpGreater,  kCmpLesserEqual,
                                               kCmpGreaterEqual};
    if (kind == T_ACTION) {
        switch (number) {
        case A_ADD:
            return kMathAdd;
        case A_SUBTRACT:
            return kMathSubtract;
        case A_MULTIPLY:
            return kMathMultiply;
        default:
            return -1;
        }
    }
    if (kind == T_NATIVE && number >= kNativeEqual && number <= kNativeGreaterOrEqual)
        return kInfixCompare + kCompareOfNative[number - kNativeEqual];
    return -1;
}
inline int infix_number_code(const Cell* op) {
    return infix_number_code_of(op_source_type(op), native_entry(op));
}

// Computes an infix call's result in place of its routine, both operands
// gathered and checked: false when the routine must run.
inline bool infix_number_in_frame(uint8_t kind, uint32_t number, Cell* args) {
    int code = infix_number_code_of(kind, number);
    if (code < 0) return false;
    return code < kInfixCompare ? ops_math_try(code, args, args + 1, args)
                                : ops_compare_try(code - kInfixCompare, args, args + 1, args);
}

// Applies the operator at pos to the value at left and a number right after
// it, in place of the call, when nothing could see the difference: tracing
// is off, no error can arise, and the stacks have room for the frame and the
// argument the call would push, so an overflow is raised where it was.
// Operands that are no number, a paren's most of all, are told apart first:
// the call takes them, and the checks of the state would be wasted on them.
[[gnu::always_inline]] inline bool infix_number(const Cell* op, const Cell* pos, const Cell* end,
                                                Cell* left) {
    if (pos + 1 >= end) return false;
    const Cell* right = pos + 1;
    uint8_t rt = type_of(right);
    static_assert(T_FLOAT == T_INTEGER + 1);
    if (rt == T_WORD) {
        right = context_peek_fast(right);
        if (!right) return false;
    } else if (static_cast<uint8_t>(rt - T_INTEGER) > 1) {
        return false;
    }
    if (g_tracing || !g_interp_fast || g_frames_top >= g_frames_end ||
        g_stack_top + 1 >= g_stack_end)
        return false;
    int code = infix_number_code(op);
    if (code < 0) return false;
    return code < kInfixCompare ? ops_math_try(code, left, right, left)
                                : ops_compare_try(code - kInfixCompare, left, right, left);
}

// Calls the operator op at pos as the generic path does; returns the
// position after its right operand.
Evaluated<Cell*> call_operator(const Cell* op, Cell* pos, Cell* end, Cell* code, Cell* left);

// call_operator, except for an operator with a number case after a number
// with tracing off and fast paths on: a number is in the types of every such
// operator's first argument, so its call needs no walk of the argument list
// (its frame, its right operand evaluated, then its number case or, for
// other operands, its routine).
Evaluated<Cell*> call_any_operator(const Cell* op, Cell* pos, Cell* end, Cell* code, Cell* left);

// Applies the operators that follow a value pushed at left, from pos; the
// result replaces the value. Returns the position after them.
[[gnu::always_inline]] inline Evaluated<Cell*> apply_operators(Cell* pos, Cell* end, Cell* code,
                                                               Cell* left) {
    while (pos < end) {
        const Cell* op = infix_op_at(pos);
        if (!op) break;
        if (infix_number(op, pos, end, left)) {
            g_stack_top = left + 1;
            pos += 2;
            continue;
        }
        Evaluated<Cell*> next = call_any_operator(op, pos, end, code, left);
        if (next.exit_pending()) return next;
        pos = next.value();
    }
    return pos;
}

// The end of a statement begun with tracing off, its first value pushed at
// start: the operators that follow (when a word follows), then the value made
// the current result. A walk begins each statement at its frame base, so the
// value is where the result goes: only the top moves.
[[gnu::always_inline]] inline Evaluated<Cell*> statement_end(Cell* pos, Cell* after, Cell* end,
                                                             Cell* code, Cell* start) {
    if (g_tracing) [[unlikely]]
        trace_fire(kTracePush, code, after, nullptr, stack_top());
    if (after < end && type_of(after) == T_WORD) {
        Evaluated<Cell*> next = apply_operators(after, end, code, start);
        if (next.exit_pending()) return next;
        after = next.value();
    }
    XEL_ASSERT(start == stack_arguments());
    stack_keep();
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceExpr, code, pos, nullptr, stack_arguments());
    return after;
}

} // namespace xel
