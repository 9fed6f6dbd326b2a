// Decimal arithmetic and comparison of amounts. Magnitudes are exact counts
// of 0.00001 units; products and quotients are truncated to 5 fraction
// digits, and a result beyond 22 digits raises script type-limit (money!).
#include <cmath>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/money/money.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

struct Amount {
    bool negative;
    uint8_t currency;
    MoneyUnits units;
};

[[noreturn]] void invalid_type(const Cell* operand) {
    Cell type = datatype_cell(type_of(operand));
    error_fire(kCatScript, err::script::kInvalidType, &type);
}

[[noreturn]] void overflow() {
    Cell type = datatype_cell(T_MONEY);
    error_fire(kCatScript, err::script::kTypeLimit, &type);
}

[[noreturn]] void wrong_denom(const Cell* a, const Cell* b) {
    Cell first = *a, second = *b;
    error_fire(kCatScript, err::script::kWrongDenom, &first, &second);
}

bool is_operand_type(uint8_t t) {
    return t == T_MONEY || t == T_INTEGER || t == T_FLOAT || t == T_PERCENT;
}

Amount amount_of(const Cell* c) {
    Cell m;
    switch (type_of(c)) {
    case T_MONEY:
        return {money_negative(c), money_currency(c), money_units(c)};
    case T_INTEGER:
        money_from_integer(&m, integer_get(c));
        break;
    default:
        money_from_float(&m, cell_double(c));
    }
    return {money_negative(&m), 0, money_units(&m)};
}

int digit_count(MoneyUnits u) {
    int n = 1;
    while (u >= 10) {
        u /= 10;
        n++;
    }
    return n;
}

Amount add(Amount a, Amount b) {
    if (a.units == 0) return b;
    if (b.units == 0) return a;
    if (a.negative == b.negative) return {a.negative, 0, a.units + b.units};
    if (a.units >= b.units) return {a.negative && a.units != b.units, 0, a.units - b.units};
    return {b.negative, 0, b.units - a.units};
}

Amount multiply(Amount a, Amount b) {
    if (a.units == 0 || b.units == 0) return {false, 0, 0};
    // Beyond 28 digits the product cannot fit once its 5 extra digits go.
    if (digit_count(a.units) + digit_count(b.units) > 28) overflow();
    return {a.negative != b.negative, 0, a.units * b.units / kMoneyUnitsPerWhole};
}

Amount divide(Amount a, Amount b) {
    if (b.units == 0) error_fire(kCatMath, err::math::kZeroDivide);
    if (a.units == 0) return {false, 0, 0};
    return {a.negative != b.negative, 0, a.units * kMoneyUnitsPerWhole / b.units};
}

Amount remainder(Amount a, Amount b) {
    if (b.units == 0) error_fire(kCatMath, err::math::kZeroDivide);
    MoneyUnits r = a.units % b.units;
    return {a.negative && r != 0, 0, r};
}

// -1, 0 or 1 for the signed amounts.
int order(const Amount& a, const Amount& b) {
    int sa = a.units == 0 ? 0 : (a.negative ? -1 : 1);
    int sb = b.units == 0 ? 0 : (b.negative ? -1 : 1);
    if (sa != sb) return sa < sb ? -1 : 1;
    int magnitude = (a.units > b.units) - (a.units < b.units);
    return sa < 0 ? -magnitude : magnitude;
}

bool is_ordering(int op) {
    return op >= kCmpLesser && op <= kCmpGreaterEqual;
}

bool is_strict(int op) {
    return op == kCmpStrictEqual || op == kCmpSame || op == kCmpFind;
}

} // namespace

int money_compare_number(double x, const Cell* money, int op) {
    if (is_strict(op)) return 1;
    if (std::isnan(x)) {
        // A NaN answers false to every ordering, as floats do.
        if (op == kCmpLesser || op == kCmpLesserEqual) return 1;
        if (op == kCmpGreater || op == kCmpGreaterEqual) return -1;
        return 1;
    }
    double magnitude = std::fabs(x);
    if (magnitude >= 1e17) return x > 0 ? 1 : -1;
    Amount m = amount_of(money);
    // Below the smallest unit, a non-zero number sits between zero and
    // every non-zero amount.
    if (magnitude != 0.0 && magnitude < 1e-05) {
        int o = order({false, 0, 0}, m);
        return o != 0 ? o : (x > 0 ? 1 : -1);
    }
    Cell number;
    money_from_float(&number, x);
    return order(amount_of(&number), m);
}

namespace {

// The amount first: the number's order reversed, except that a NaN still
// answers false to every ordering.
int compare_money_double(const Cell* money, double x, int op) {
    int r = money_compare_number(x, money, op);
    return std::isnan(x) ? r : -r;
}

} // namespace

int money_compare(Cell* value1, Cell* value2, int op) {
    switch (type_of(value2)) {
    case T_MONEY:
        break;
    case T_INTEGER:
    case T_FLOAT:
        if (is_strict(op)) return 1;
        return compare_money_double(
            value1,
            type_of(value2) == T_INTEGER ? double(integer_get(value2)) : cell_double(value2), op);
    default:
        return -2;
    }
    uint8_t c1 = money_currency(value1);
    uint8_t c2 = money_currency(value2);
    bool different = c1 && c2 && c1 != c2;
    if (is_ordering(op) && different) wrong_denom(value1, value2);
    if ((op == kCmpEqual || op == kCmpNotEqual) && different) return 1;
    if ((op == kCmpStrictEqual || op == kCmpSame) && c1 != c2) return 1;
    if (op == kCmpFind && c2 && c1 != c2) return 1;
    return order(amount_of(value1), amount_of(value2));
}

void money_do_math(int op) {
    Cell* args = stack_arguments();
    Cell left = args[0];
    Cell right = args[1];
    if (!is_operand_type(type_of(&left))) invalid_type(&left);
    if (!is_operand_type(type_of(&right))) invalid_type(&right);
    if (op > kMathRemainder) {
        Cell called = *stack_get_call();
        Cell type = datatype_cell(T_MONEY);
        error_fire(kCatScript, err::script::kCannotUse, &called, &type);
    }
    bool left_money = type_of(&left) == T_MONEY;
    bool right_money = type_of(&right) == T_MONEY;
    if (op == kMathMultiply && left_money && right_money) invalid_type(&left);
    if ((op == kMathDivide || op == kMathRemainder) && !left_money) invalid_type(&left);
    Amount a = amount_of(&left);
    Amount b = amount_of(&right);
    if (a.currency && b.currency && a.currency != b.currency) wrong_denom(&left, &right);
    uint8_t currency = b.currency ? b.currency : a.currency;
    Amount r;
    switch (op) {
    case kMathAdd:
        r = add(a, b);
        break;
    case kMathSubtract:
        b.negative = !b.negative;
        r = add(a, b);
        break;
    case kMathMultiply:
        r = multiply(a, b);
        break;
    case kMathDivide:
        r = divide(a, b);
        break;
    default:
        r = remainder(a, b);
    }
    Cell result;
    money_make_units(&result, r.negative, currency, r.units);
    if (op == kMathDivide && left_money && right_money) {
        float_make_at(args, money_to_float(&result));
        args->data1 = 0;
        return;
    }
    *args = result;
}

} // namespace xel
