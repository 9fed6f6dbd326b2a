// The action row of integer!, its text and its comparison.
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/text/integer-text.h"

namespace xel {

namespace {

void integer_add() {
    integer_do_math(kMathAdd);
}
void integer_subtract() {
    integer_do_math(kMathSubtract);
}
void integer_multiply() {
    integer_do_math(kMathMultiply);
}
void integer_divide() {
    integer_do_math(kMathDivide);
}
void integer_remainder() {
    integer_do_math(kMathRemainder);
}
void integer_or() {
    integer_do_math(kMathOr);
}
void integer_and() {
    integer_do_math(kMathAnd);
}
void integer_xor() {
    integer_do_math(kMathXor);
}

// The action entry works on the frame's first argument; the routine rounds in place.
Cell* integer_round_action(Cell* value, Cell* scale, bool even, bool down, bool half_down,
                           bool floor, bool ceiling, bool half_ceiling) {
    return stack_set_last(
        integer_round(value, scale, even, down, half_down, floor, ceiling, half_ceiling));
}

} // namespace

int integer_form(Cell* value, Cell* buffer, Cell*, int part) {
    const char* text = integer_to_text(integer_get(value));
    string_concatenate_literal(buffer, text);
    return part - static_cast<int>(std::strlen(text));
}

int integer_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return integer_form(value, buffer, arg, part);
}

int integer_compare(Cell* value1, Cell* value2, int op) {
    uint8_t t = type_of(value2);
    if ((op == kCmpStrictEqual || op == kCmpFind) && t != T_INTEGER) return 1;
    int32_t a = integer_get(value1);
    switch (t) {
    case T_INTEGER:
    case T_CHAR: {
        int32_t b = integer_get(value2);
        return (a > b) - (a < b);
    }
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME: {
        Cell number{};
        float_make_at(&number, double(a));
        return float_compare(&number, value2, op);
    }
    case T_MONEY:
        if (!g_number_handovers.money_compare) return -2;
        return g_number_handovers.money_compare(double(a), value2, op);
    default:
        return -2;
    }
}

bool integer_even(Cell* value) {
    return (value->data2 & 1) == 0;
}

bool integer_odd(Cell* value) {
    return (value->data2 & 1) != 0;
}

void integer_row(ActionList& row) {
    row.set<A_MAKE>(integer_make)
        .set<A_RANDOM>(integer_random)
        .set<A_TO>(integer_to)
        .set<A_FORM>(integer_form)
        .set<A_MOLD>(integer_mold)
        .set<A_COMPARE>(integer_compare)
        .set<A_ABSOLUTE>(integer_absolute)
        .set<A_ADD>(integer_add)
        .set<A_DIVIDE>(integer_divide)
        .set<A_MULTIPLY>(integer_multiply)
        .set<A_NEGATE>(integer_negate)
        .set<A_POWER>(integer_power)
        .set<A_REMAINDER>(integer_remainder)
        .set<A_ROUND>(integer_round_action)
        .set<A_SUBTRACT>(integer_subtract)
        .set<A_EVEN_Q>(integer_even)
        .set<A_ODD_Q>(integer_odd)
        .set<A_AND_T>(integer_and)
        .set<A_COMPLEMENT>(integer_complement)
        .set<A_OR_T>(integer_or)
        .set<A_XOR_T>(integer_xor);
}

} // namespace xel
