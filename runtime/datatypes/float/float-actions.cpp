// The action row of float!, its text and its comparison.
#include <cmath>
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/text/float-text.h"

namespace xel {

namespace {

void float_add() {
    float_do_math(kMathAdd);
}
void float_subtract() {
    float_do_math(kMathSubtract);
}
void float_multiply() {
    float_do_math(kMathMultiply);
}
void float_divide() {
    float_do_math(kMathDivide);
}
void float_remainder() {
    float_do_math(kMathRemainder);
}

// The action entry works on the frame's first argument; the routine rounds in place.
Cell* float_round_action(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                         bool ceiling, bool half_ceiling) {
    return stack_set_last(
        float_round(value, scale, even, down, half_down, floor, ceiling, half_ceiling));
}

int append_text(Cell* buffer, const char* text, int part) {
    string_concatenate_literal(buffer, text);
    return part - static_cast<int>(std::strlen(text));
}

} // namespace

int float_form(Cell* value, Cell* buffer, Cell*, int part) {
    return append_text(buffer, float_form_value(cell_double(value), 1), part);
}

int float_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return append_text(buffer, float_form_text(cell_double(value), 0, true), part);
}

int float_compare(Cell* value1, Cell* value2, int op) {
    uint8_t t = type_of(value2);
    if ((op == kCmpStrictEqual || op == kCmpSame || op == kCmpFind) && type_of(value1) != t)
        return 1;
    double x = cell_double(value1);
    double y;
    switch (t) {
    case T_INTEGER:
        y = static_cast<int32_t>(value2->data2);
        break;
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME:
        y = cell_double(value2);
        break;
    case T_MONEY:
        if (!g_number_handovers.money_compare) return -2;
        return g_number_handovers.money_compare(x, value2, op);
    default:
        return -2;
    }
    switch (op) {
    case kCmpEqual:
    case kCmpNotEqual:
        return float_almost_equal(x, y) ? 0 : 1;
    case kCmpStrictEqual:
        return x == y ? 0 : 1;
    case kCmpSame:
        return std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y) ? 0 : 1;
    default:
        // A NaN answers false to every ordering.
        if (std::isnan(x) || std::isnan(y)) {
            if (op == kCmpLesser || op == kCmpLesserEqual) return 1;
            if (op == kCmpGreater || op == kCmpGreaterEqual) return -1;
            return 0;
        }
        return (x > y) - (x < y);
    }
}

bool float_even(Cell* value) {
    return (float_to_int32(cell_double(value)) & 1) == 0;
}

bool float_odd(Cell* value) {
    return (float_to_int32(cell_double(value)) & 1) != 0;
}

void float_row(ActionList& row) {
    row.set<A_MAKE>(float_make)
        .set<A_RANDOM>(float_random)
        .set<A_TO>(float_make)
        .set<A_FORM>(float_form)
        .set<A_MOLD>(float_mold)
        .set<A_COMPARE>(float_compare)
        .set<A_ABSOLUTE>(float_absolute)
        .set<A_ADD>(float_add)
        .set<A_DIVIDE>(float_divide)
        .set<A_MULTIPLY>(float_multiply)
        .set<A_NEGATE>(float_negate)
        .set<A_POWER>(float_power)
        .set<A_REMAINDER>(float_remainder)
        .set<A_ROUND>(float_round_action)
        .set<A_SUBTRACT>(float_subtract)
        .set<A_EVEN_Q>(float_even)
        .set<A_ODD_Q>(float_odd);
}

} // namespace xel
