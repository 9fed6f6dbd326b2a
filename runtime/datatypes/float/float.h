// float!: an IEEE 754 double in payload words 2 (low half) and 3 (high half).
// percent! and time! share the layout and take float!'s math, compare and
// round, which keep the kind of the result. Cell helpers, the near-equality
// tests, the shared float math core and the general rounding routine.
#pragma once
#include <bit>
#include <cmath>
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/stack/stack.h"

namespace xel {

constexpr double kFloatMax = 1.7976931348623157e308;
// One unit in the last place of 1.0: the absolute tolerance of near-equality.
constexpr double kFloatEpsilon = 2.220446049250313e-16;
// The largest double below 0.5.
constexpr double kFloatBelowHalf = 0.49999999999999994;

// The one conversion from double to a 32-bit integer: truncation toward zero;
// NaN and values outside the 32-bit range give -2147483648.
inline int32_t float_to_int32(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(x);
}

// Cells.

// Header set to exactly float!.
// Writes a whole float! value: type, the double, word 1 clear.
inline void float_set_cell(Cell* c, double d) {
    *c = Cell{T_FLOAT, 0, 0, 0};
    cell_set_double(c, d);
}
inline Cell* float_make_at(Cell* c, double d) {
    c->header = T_FLOAT;
    cell_set_double(c, d);
    return c;
}
// A cell of a float kind (float!, percent! or time!): type, word 1 clear, the double.
inline Cell* float_kind_make_at(Cell* c, uint8_t type, double d) {
    XEL_ASSERT(type == T_FLOAT || type == T_PERCENT || type == T_TIME);
    *c = Cell{type, 0, 0, 0};
    cell_set_double(c, d);
    return c;
}
// A new float! at the tail of the block value blk.
Cell* float_make_in(Cell* blk, double d);
inline Cell* float_push(double d) {
    return float_make_at(stack_push_cell(), d);
}
// A float! from the two halves of a double, the high half first.
inline Cell* float_push_bits(uint32_t high, uint32_t low) {
    return float_push(std::bit_cast<double>(uint64_t{high} << 32 | low));
}
inline Cell* float_box(double d) {
    Cell* c = stack_arguments();
    c->data1 = 0;
    return float_make_at(c, d);
}
// The double of any float-kind cell (float!, percent!, time!).
inline double float_get(const Cell* c) {
    return cell_double(c);
}

inline double float_abs(double x) {
    return std::bit_cast<double>(std::bit_cast<uint64_t>(x) & ~(uint64_t{1} << 63));
}
inline bool float_nan(double x) {
    uint64_t b = std::bit_cast<uint64_t>(x);
    return (b & 0x7FF0000000000000u) == 0x7FF0000000000000u && (b & 0x000FFFFFFFFFFFFFu) != 0;
}
inline bool float32_nan(float x) {
    return x != x;
}
// +infinity, -infinity or NaN.
inline bool float_special(double x) {
    return (std::bit_cast<uint64_t>(x) & 0x7FF0000000000000u) == 0x7FF0000000000000u;
}
// x plus just under a half, truncated toward zero (pixel positions of the GUI).
inline int32_t float_round_to_int(double x) {
    return float_to_int32(x + kFloatBelowHalf);
}

// Near-equality: never with a NaN; equal, closer than kFloatEpsilon, or at
// most 10 units in the last place apart.
bool float_almost_equal(double a, double b);
bool float32_almost_equal(float a, float b);

// An integer!'s number, or a float-kind cell's double truncated toward zero;
// a double above 2147483647.0, below -2147483648.0 or NaN raises script
// out-of-range with the cell.
int32_t float_to_integer_checked(const Cell* c);

// The IEEE operation for ops 0-3 (a zero divisor gives an infinity or NaN);
// remainder as fmod, with a NaN divisor giving NaN and an infinite one giving
// x (NaN for an infinite x). Bitwise ops raise script cannot-use.
double float_do_math_op(double x, double y, int op);
// The math of the current frame's two arguments, the result in the first.
void float_do_math(int op);

// A random double between 0 and x.
double float_random_value(double x, bool secure);

// Rounds the value cell in place and returns it (the refinements in the order
// of the round action). With scale and an integer! scale the cell becomes
// integer! (a percent! stays percent!); with another scale it takes the
// scale's type.
Cell* float_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                  bool ceiling, bool half_ceiling);

// Actions (typed ones as in action-slots.h; results in the frame's result slot).
// make and to: type is the target, float! or percent!.
Cell* float_make(Cell* proto, Cell* spec, int type);
Cell* float_random(Cell* value, bool seed, bool secure, bool only);
int float_form(Cell* value, Cell* buffer, Cell* arg, int part);
int float_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
int float_compare(Cell* value1, Cell* value2, int op);
void float_absolute();
Cell* float_negate(Cell* value);
void float_power();
bool float_even(Cell* value);
bool float_odd(Cell* value);

} // namespace xel
