// round on float! and its kinds: to a multiple of the scale (1.0, or 1% for
// percent!), by the rule of the chosen refinement.
#include <cmath>

#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

// Below this a scale's inverse is no longer finite enough to multiply by.
constexpr double kTinyScale = 0x1p-1021;

double with_sign_of(double d, double r) {
    return d < 0 ? 0.0 - r : r;
}

double round_quotient(double d, bool even, bool down, bool half_down, bool floor, bool ceiling,
                      bool half_ceiling) {
    double f = std::fabs(d);
    double low = std::floor(f);
    double half = low + 0.5;
    if (down) return with_sign_of(d, low);
    if (floor) return std::floor(d);
    if (ceiling) return std::ceil(d);
    if (f > half) return with_sign_of(d, std::ceil(f));
    if (f < half) return with_sign_of(d, low);
    if (even) return with_sign_of(d, std::fmod(f, 2.0) < 1.0 ? low : std::ceil(f));
    if (half_down) return with_sign_of(d, low);
    if (half_ceiling) return std::ceil(d);
    return with_sign_of(d, std::ceil(f));
}

} // namespace

Cell* float_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                  bool ceiling, bool half_ceiling) {
    uint8_t scale_type = scale ? type_of(scale) : 0;
    if (scale_type == T_MONEY) {
        Cell called = *stack_get_call();
        Cell type = datatype_cell(T_MONEY);
        error_fire(kCatScript, err::script::kNotRelated, &called, &type);
    }
    bool percent = type_of(value) == T_PERCENT;
    double v = cell_double(value);
    double s = percent ? 0.01 : 1.0;
    if (scale) {
        s = std::fabs(scale_type == T_INTEGER ? double(static_cast<int32_t>(scale->data2))
                                              : cell_double(scale));
        if (percent) s /= 100.0;
    }
    // A zero scale, or one below the value's precision, leaves it as it is.
    if (s == 0.0 || s < std::fabs(v) * 0x1p-53) return value;

    double result;
    if (s >= 1.0) {
        double r = round_quotient(v / s, even, down, half_down, floor, ceiling, half_ceiling);
        result = r * s;
        if (std::fabs(result) >= kFloatMax && std::isfinite(v))
            error_fire(kCatMath, err::math::kOverflow);
    } else if (s < kTinyScale) {
        // Both scaled by the same power of two (exact), so the quotient is v / s.
        double d = std::ldexp(v, 1074) / std::ldexp(s, 1074);
        result = round_quotient(d, even, down, half_down, floor, ceiling, half_ceiling) * s;
    } else {
        double inverse = 1.0 / s;
        double r = round_quotient(v * inverse, even, down, half_down, floor, ceiling, half_ceiling);
        result = r / inverse;
    }

    // An integer! scale makes the result an integer! (a percent! counts
    // percent points with it and stays percent!); another scale lends its type.
    if (scale && scale_type == T_INTEGER && !percent) {
        value->data3 = 0;
        return integer_make_at(value, float_to_int32(result));
    }
    if (scale && scale_type != T_INTEGER) cell_set_type(value, scale_type);
    cell_set_double(value, result);
    return value;
}

} // namespace xel
