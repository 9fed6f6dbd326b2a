// integer!: a signed 32-bit number in payload word 2 (words 1 and 3 unused).
// Cell helpers used across the run-time, the shared 32-bit math core, and the
// actions that char! and other types reuse.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/stack/stack.h"

namespace xel {

// Cells.

// Sets the type to integer! keeping the header's flag bits.
inline Cell* integer_make_at(Cell* c, int32_t v) {
    cell_set_type(c, T_INTEGER);
    c->data2 = static_cast<uint32_t>(v);
    return c;
}
// An integer! by value, for code that builds cells to copy.
inline Cell integer_cell(int32_t v) {
    return Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
}
// A new integer! at the tail of the block value blk.
Cell* integer_make_in(Cell* blk, int32_t v);
inline Cell* integer_push(int32_t v) {
    Cell* c = stack_push_cell();
    *c = Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
    return c;
}
// The current frame's result slot becomes the integer.
inline Cell* integer_box(int32_t v) {
    Cell* c = stack_arguments();
    *c = Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
    return c;
}
inline int32_t integer_get(const Cell* c) {
    return static_cast<int32_t>(c->data2);
}
// The current frame's first argument, without a type test.
inline int32_t integer_get_arg() {
    return integer_get(stack_arguments());
}
// The current frame's first argument when it is an integer!, else 0.
inline int32_t integer_arg_or_zero() {
    const Cell* c = stack_arguments();
    return type_of(c) == T_INTEGER ? integer_get(c) : 0;
}
inline int32_t integer_sign_of(int32_t v) {
    return (v > 0) - (v < 0);
}

// Absolute value; -2147483648 raises math overflow.
int32_t integer_abs(int32_t v);
// Whether the double of a float-kind cell lies outside the 32-bit range or is NaN.
bool integer_float_overflow(const Cell* f);

// The 32-bit math core (ops of number-math.h). add, subtract and multiply
// that overflow turn result into a float! of the exact-as-double result and
// give 0; an inexact divide does the same when result is given (without it,
// the truncated quotient). Otherwise result's word 2 gets the value, its
// header untouched. A zero divisor raises math zero-divide; -2147483648
// divided by -1 (or its remainder) math overflow. result may be nullptr only
// for divide.
int32_t integer_do_math_op(int32_t left, int32_t right, int op, Cell* result);
// The math of the current frame's two arguments, the result in the first.
void integer_do_math(int op);

// Actions (typed ones as in action-slots.h; results in the frame's result slot).
Cell* integer_make(Cell* proto, Cell* spec, int type);
Cell* integer_to(Cell* proto, Cell* spec, int type);
Cell* integer_random(Cell* value, bool seed, bool secure, bool only);
int integer_form(Cell* value, Cell* buffer, Cell* arg, int part);
int integer_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                 int indent);
int integer_compare(Cell* value1, Cell* value2, int op);
void integer_absolute();
Cell* integer_negate(Cell* value);
void integer_power();
// Rounds value in place (it may become float! when the scale is not an
// integer!) and returns it; the refinements in the order of the round action.
Cell* integer_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                    bool ceiling, bool half_ceiling);
bool integer_even(Cell* value);
bool integer_odd(Cell* value);
Cell* integer_complement(Cell* value);

} // namespace xel
