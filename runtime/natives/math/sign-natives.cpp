// negative?, positive?, sign? and zero?.
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

bool money_amount_zero(const Cell* c) {
    for (int i = 1; i <= kMoneyDigits; i++)
        if (money_digit(c, i)) return false;
    return true;
}

// -1, 0 or 1; a zero amount has no sign whatever its sign bit says.
int money_amount_sign(const Cell* c) {
    if (money_amount_zero(c)) return 0;
    return (c->header & kMoneySignBit) ? -1 : 1;
}

// The sign of the frame's first argument; a NaN has none.
int argument_sign() {
    const Cell* v = stack_arguments();
    switch (type_of(v)) {
    case T_INTEGER: {
        int32_t n = integer_get(v);
        return (n > 0) - (n < 0);
    }
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME: {
        double d = cell_double(v);
        return (d > 0.0) - (d < 0.0);
    }
    case T_MONEY:
        return money_amount_sign(v);
    default:
        error_fire_expect_arg(type_of(v), 0);
    }
}

bool all_bytes_zero(const uint8_t* bytes, uint32_t n) {
    for (uint32_t i = 0; i < n; i++)
        if (bytes[i]) return false;
    return true;
}

} // namespace

uint32_t natives_negative(int, const int32_t*) {
    set_logic(stack_arguments(), argument_sign() < 0);
    return 0;
}

uint32_t natives_positive(int, const int32_t*) {
    set_logic(stack_arguments(), argument_sign() > 0);
    return 0;
}

uint32_t natives_sign(int, const int32_t*) {
    set_integer(stack_arguments(), argument_sign());
    return 0;
}

uint32_t natives_zero(int, const int32_t*) {
    Cell* v = stack_arguments();
    bool zero;
    switch (type_of(v)) {
    case T_CHAR:
        zero = char_value(v) == 0;
        break;
    case T_INTEGER:
        zero = integer_get(v) == 0;
        break;
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME:
        zero = cell_double(v) == 0.0;
        break;
    case T_MONEY:
        zero = money_amount_zero(v);
        break;
    case T_PAIR:
        zero = pair_x(v) == 0 && pair_y(v) == 0;
        break;
    case T_POINT2D:
    case T_POINT3D: {
        int n = type_of(v) == T_POINT2D ? 2 : 3;
        zero = true;
        for (int i = 0; i < n; i++)
            if (point_coordinate(v, i) != 0.0f) zero = false;
        break;
    }
    case T_TUPLE:
        zero = all_bytes_zero(tuple_bytes(v), tuple_count(v));
        break;
    default:
        error_fire_expect_arg(type_of(v), 0);
    }
    set_logic(v, zero);
    return 0;
}

} // namespace xel
