// The trigonometric natives: angles in degrees unless /radians.
#include <cmath>
#include <limits>

#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

constexpr double kPi = 3.141592653589793;
// Below this a sine or cosine is the rounding noise of an exact zero.
constexpr double kTrigZero = 2.220446049250313e-16;

enum ArcSelector : int {
    kArcTangent = 0,
    kArcCosine = 1,
    kArcSine = 2,
};

// The first argument as float!, converted from degrees unless /radians.
double trig_argument(int32_t radians, int mode) {
    double a = natives_arg_to_float(stack_arguments());
    return ref_present(radians) ? a : math_degrees_to_radians(a, mode);
}

uint32_t sine_or_cosine(int32_t radians, int mode) {
    double a = trig_argument(radians, mode);
    double r = mode == kTrigSine ? std::sin(a) : std::cos(a);
    if (std::fabs(r) < kTrigZero) r = 0.0;
    float_make_at(stack_arguments(), r);
    return 0;
}

// No domain check: out-of-range input gives the library's NaN.
uint32_t arc_trig(int32_t radians, int selector) {
    double x = natives_arg_to_float(stack_arguments());
    double r = selector == kArcTangent  ? std::atan(x)
               : selector == kArcCosine ? std::acos(x)
                                        : std::asin(x);
    if (!ref_present(radians)) r = r * 180.0 / kPi;
    float_make_at(stack_arguments(), r);
    return 0;
}

} // namespace

double math_degrees_to_radians(double angle, int mode) {
    double a = std::fmod(angle, 360.0);
    if (a > 180.0 || a < -180.0) a = a >= 0.0 ? a - 360.0 : a + 360.0;
    if (a > 90.0 || a < -90.0) {
        if (mode == kTrigTangent)
            a = a >= 0.0 ? a - 180.0 : a + 180.0;
        else if (mode == kTrigSine)
            a = a >= 0.0 ? 180.0 - a : -180.0 - a;
    }
    return a * kPi / 180.0;
}

uint32_t natives_sine(int, const int32_t* refs) {
    return sine_or_cosine(refs[0], kTrigSine);
}

uint32_t natives_cosine(int, const int32_t* refs) {
    return sine_or_cosine(refs[0], kTrigCosine);
}

uint32_t natives_tangent(int, const int32_t* refs) {
    double a = trig_argument(refs[0], kTrigTangent);
    double r;
    if (a == kPi / 2)
        r = std::numeric_limits<double>::infinity();
    else if (a == kPi / -2)
        r = -std::numeric_limits<double>::infinity();
    else
        r = std::tan(a);
    float_make_at(stack_arguments(), r);
    return 0;
}

uint32_t natives_arcsine(int, const int32_t* refs) {
    return arc_trig(refs[0], kArcSine);
}

uint32_t natives_arccosine(int, const int32_t* refs) {
    return arc_trig(refs[0], kArcCosine);
}

uint32_t natives_arctangent(int, const int32_t* refs) {
    return arc_trig(refs[0], kArcTangent);
}

uint32_t natives_arctangent2(int, const int32_t* refs) {
    Cell* args = stack_arguments();
    // The spec leaves y and x untyped: only numbers may become floats.
    for (int i = 0; i < 2; i++)
        if (!natives_is_number(type_of(args + i))) error_fire_expect_arg(type_of(args + i), i);
    double y = natives_arg_to_float(args);
    double x = natives_arg_to_float(args + 1);
    double r = std::atan2(y, x);
    if (!ref_present(refs[0])) r = r * (180.0 / kPi);
    float_make_at(args + 1, r);
    args[0] = args[1];
    return 0;
}

} // namespace xel
