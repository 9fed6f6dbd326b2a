// round on integer!: to a multiple of the scale, by the rule of the chosen
// refinement; a result beyond the 32-bit range raises math overflow.
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

[[noreturn]] void money_scale() {
    Cell called = *stack_get_call();
    Cell type = datatype_cell(T_MONEY);
    error_fire(kCatScript, err::script::kNotRelated, &called, &type);
}

} // namespace

Cell* integer_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                    bool ceiling, bool half_ceiling) {
    if (scale && type_of(scale) == T_MONEY) money_scale();
    int32_t n = integer_get(value);
    if (n == INT32_MIN) return value;
    if (scale && type_of(scale) != T_INTEGER) {
        float_make_at(value, double(n));
        return float_round(value, scale, even, down, half_down, floor, ceiling, half_ceiling);
    }
    int64_t s = scale ? integer_abs(integer_get(scale)) : 1;
    if (s == 0) return value;
    int64_t a = n < 0 ? -int64_t{n} : n;
    int64_t r = a % s;
    if (r == 0) return value;
    int64_t d = s - r;
    int64_t up = a + d;
    bool up_overflows = up > INT32_MAX;
    int64_t toward = n < 0 ? r - a : a - r;
    int64_t away = n < 0 ? -up : up;
    // The rules that move away from zero (or to the ceiling or floor) check
    // that the rounded-up magnitude still fits, whatever the sign.
    auto guarded = [&](int64_t result) {
        if (up_overflows) error_fire(kCatMath, err::math::kOverflow);
        return result;
    };
    int64_t result;
    if (down)
        result = toward;
    else if (floor)
        result = guarded(n > 0 ? a - r : -up);
    else if (ceiling)
        result = guarded(n < 0 ? r - a : up);
    else if (r < d)
        result = toward;
    else if (r > d)
        result = guarded(away);
    else if (even)
        result = (a / s) % 2 == 0 ? toward : guarded(away);
    else if (half_down)
        result = toward;
    else if (half_ceiling)
        result = guarded(n < 0 ? r - a : up);
    else
        result = guarded(away);
    return integer_make_at(value, static_cast<int32_t>(result));
}

} // namespace xel
