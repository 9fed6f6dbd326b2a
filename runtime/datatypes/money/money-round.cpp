// round on money!: to a whole multiple of the scale ($1 by default), exactly.
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/money/money.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

MoneyUnits scale_units(const Cell* scale) {
    Cell m;
    switch (type_of(scale)) {
    case T_MONEY:
        return money_units(scale);
    case T_INTEGER:
        money_from_integer(&m, integer_get(scale));
        return money_units(&m);
    case T_FLOAT:
        money_from_float(&m, cell_double(scale));
        return money_units(&m);
    default: {
        Cell called = *stack_get_call();
        Cell type = datatype_cell(type_of(scale));
        error_fire(kCatScript, err::script::kNotRelated, &called, &type);
    }
    }
}

} // namespace

Cell* money_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                  bool ceiling, bool half_ceiling) {
    if (money_zero(value)) return stack_set_last(value);
    MoneyUnits s = scale ? scale_units(scale) : kMoneyUnitsPerWhole;
    MoneyUnits m = money_units(value);
    if (s == 0 || m % s == 0) return stack_set_last(value);
    bool negative = money_negative(value);
    MoneyUnits whole = m / s;
    MoneyUnits rest = m % s;
    bool tie = 2 * rest == s;
    bool above = 2 * rest > s;
    bool up;
    if (down)
        up = false;
    else if (floor)
        up = negative;
    else if (ceiling)
        up = !negative;
    else if (even)
        // At a tie the multiple whose count is even wins.
        up = tie ? (whole & 1) != 0 : above;
    else if (half_down)
        up = above;
    else if (half_ceiling)
        up = tie ? !negative : above;
    else
        up = tie || above;
    Cell result;
    money_make_units(&result, negative, money_currency(value), (whole + (up ? 1 : 0)) * s);
    return stack_set_last(&result);
}

} // namespace xel
