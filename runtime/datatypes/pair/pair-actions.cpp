// Text, compare, the sign actions and reverse of pair!, and its action row.
#include <cstring>

#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/pair/pair.h"
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/text/integer-text.h"

namespace xel {

namespace {

int append_integer(Cell* buffer, int32_t v) {
    const char* text = integer_to_text(v);
    string_concatenate_literal(buffer, text);
    return static_cast<int>(std::strlen(text));
}

int order(int32_t a, int32_t b) {
    return (a > b) - (a < b);
}

int32_t negated(int32_t v) {
    if (v == INT32_MIN) error_fire(kCatMath, err::math::kOverflow);
    return -v;
}

void pair_add() {
    pair_do_math(kMathAdd);
}
void pair_subtract() {
    pair_do_math(kMathSubtract);
}
void pair_multiply() {
    pair_do_math(kMathMultiply);
}
void pair_divide() {
    pair_do_math(kMathDivide);
}
void pair_remainder() {
    pair_do_math(kMathRemainder);
}
void pair_or() {
    pair_do_math(kMathOr);
}
void pair_and() {
    pair_do_math(kMathAnd);
}
void pair_xor() {
    pair_do_math(kMathXor);
}

} // namespace

int pair_form(Cell* value, Cell* buffer, Cell*, int part) {
    Cell v = *value;
    part -= append_integer(buffer, pair_x(&v));
    string_concatenate_literal(buffer, "x");
    part -= 1;
    return part - append_integer(buffer, pair_y(&v));
}

int pair_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return pair_form(value, buffer, arg, part);
}

int pair_compare(Cell* value1, Cell* value2, int op) {
    Cell a = *value1;
    if (type_of(value2) == T_POINT2D) {
        pair_to_point2d(&a);
        return point_compare(&a, value2, op);
    }
    if (type_of(value2) != T_PAIR) return -2;
    int r = order(pair_x(&a), pair_x(value2));
    return r != 0 ? r : order(pair_y(&a), pair_y(value2));
}

void pair_absolute() {
    Cell* value = stack_arguments();
    int32_t x = integer_abs(pair_x(value));
    int32_t y = integer_abs(pair_y(value));
    pair_make_at(value, x, y);
}

Cell* pair_negate(Cell* value) {
    int32_t x = negated(pair_x(value));
    int32_t y = negated(pair_y(value));
    pair_make_at(value, x, y);
    return stack_set_last(value);
}

Cell* pair_reverse(Cell* series, Cell*, Cell*) {
    int32_t x = pair_x(series);
    int32_t y = pair_y(series);
    pair_make_at(series, y, x);
    return stack_set_last(series);
}

void pair_row(ActionList& row) {
    row.set<A_MAKE>(pair_make)
        .set<A_RANDOM>(pair_random)
        .set<A_TO>(pair_make)
        .set<A_FORM>(pair_form)
        .set<A_MOLD>(pair_mold)
        .set<A_EVAL_PATH>(pair_eval_path)
        .set<A_COMPARE>(pair_compare)
        .set<A_ABSOLUTE>(pair_absolute)
        .set<A_ADD>(pair_add)
        .set<A_DIVIDE>(pair_divide)
        .set<A_MULTIPLY>(pair_multiply)
        .set<A_NEGATE>(pair_negate)
        .set<A_REMAINDER>(pair_remainder)
        .set<A_ROUND>(pair_round)
        .set<A_SUBTRACT>(pair_subtract)
        .set<A_AND_T>(pair_and)
        .set<A_OR_T>(pair_or)
        .set<A_XOR_T>(pair_xor)
        .set<A_PICK>(pair_pick)
        .set<A_REVERSE>(pair_reverse);
    g_number_handovers.math[T_PAIR] = pair_do_math;
}

} // namespace xel
