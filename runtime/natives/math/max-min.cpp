// max and min: numbers, coordinate by coordinate for pairs, points and
// tuples, and the compare action for every other pair of values.
#include <cmath>
#include <utility>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/point3d/point3d-cell.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

bool is_compound(uint8_t t) {
    return t == T_PAIR || t == T_POINT2D || t == T_POINT3D || t == T_TUPLE;
}

bool is_float_nan(const Cell* c) {
    uint8_t t = type_of(c);
    return (t == T_FLOAT || t == T_PERCENT) && std::isnan(cell_double(c));
}

double number_value(const Cell* c) {
    return type_of(c) == T_INTEGER ? integer_get(c) : cell_double(c);
}

int32_t pick_int(int32_t a, int32_t b, bool max) {
    return max ? (a < b ? b : a) : (b < a ? b : a);
}

// A NaN on either side wins.
float pick_float(float a, float b, bool max) {
    if (std::isnan(a)) return a;
    if (std::isnan(b)) return b;
    return max ? (a < b ? b : a) : (b < a ? b : a);
}

int point_size(uint8_t t) {
    return t == T_POINT2D ? 2 : 3;
}

// The coordinates of a point, a pair or a number spread over n slots; false
// when the value has no coordinates to compare with a point of n.
bool coordinates(const Cell* c, int n, float* out) {
    uint8_t t = type_of(c);
    if (natives_is_number(t)) {
        for (int i = 0; i < n; i++)
            out[i] = static_cast<float>(number_value(c));
        return true;
    }
    if (t == T_PAIR && n == 2) {
        out[0] = static_cast<float>(pair_x(c));
        out[1] = static_cast<float>(pair_y(c));
        return true;
    }
    if ((t == T_POINT2D || t == T_POINT3D) && point_size(t) == n) {
        for (int i = 0; i < n; i++)
            out[i] = point_coordinate(c, i);
        return true;
    }
    return false;
}

bool points(Cell* a, const Cell* b, bool max) {
    int n = point_size(type_of(a));
    float x[3], y[3];
    if (!coordinates(b, n, y)) return false;
    coordinates(a, n, x);
    for (int i = 0; i < n; i++)
        x[i] = pick_float(x[i], y[i], max);
    if (n == 2)
        point2d_make_at(a, x[0], x[1]);
    else
        point3d_make_at(a, x[0], x[1], x[2]);
    return true;
}

bool pairs(Cell* a, const Cell* b, bool max) {
    uint8_t t = type_of(b);
    if (t == T_INTEGER || t == T_FLOAT) {
        int32_t n;
        if (t == T_INTEGER) {
            n = integer_get(b);
        } else {
            double d = cell_double(b);
            if (!(d > -2147483649.0 && d < 2147483648.0)) {
                // Beyond the integers: the pair goes over to point2D!.
                point2d_make_at(a, static_cast<float>(pair_x(a)), static_cast<float>(pair_y(a)));
                return points(a, b, max);
            }
            n = static_cast<int32_t>(d);
        }
        pair_make_at(a, pick_int(pair_x(a), n, max), pick_int(pair_y(a), n, max));
        return true;
    }
    if (t == T_PAIR) {
        pair_make_at(a, pick_int(pair_x(a), pair_x(b), max), pick_int(pair_y(a), pair_y(b), max));
        return true;
    }
    if (t == T_POINT2D) {
        point2d_make_at(a, static_cast<float>(pair_x(a)), static_cast<float>(pair_y(a)));
        return points(a, b, max);
    }
    return false;
}

uint8_t clamp_byte(double d) {
    if (!(d > 0.0)) return 0;
    if (d > 255.0) return 255;
    return static_cast<uint8_t>(d);
}

bool tuples(Cell* a, const Cell* b, bool max) {
    uint32_t n = tuple_count(a);
    uint8_t bytes[kTupleMaxBytes];
    const uint8_t* x = tuple_bytes(a);
    if (natives_is_number(type_of(b))) {
        uint8_t m = clamp_byte(number_value(b));
        for (uint32_t i = 0; i < n; i++)
            bytes[i] = static_cast<uint8_t>(pick_int(x[i], m, max));
    } else if (type_of(b) == T_TUPLE && tuple_count(b) == n) {
        const uint8_t* y = tuple_bytes(b);
        for (uint32_t i = 0; i < n; i++)
            bytes[i] = static_cast<uint8_t>(pick_int(x[i], y[i], max));
    } else {
        return false;
    }
    tuple_make_at(a, bytes, n);
    return true;
}

} // namespace

void natives_max_min(bool max_flag) {
    Cell* a = stack_arguments();
    Cell* b = a + 1;
    uint8_t ta = type_of(a), tb = type_of(b);
    if (ta == T_INTEGER && tb == T_INTEGER) {
        set_integer(a, pick_int(integer_get(a), integer_get(b), max_flag));
        return;
    }
    if (is_float_nan(a) && natives_is_number(tb)) return;
    if (is_float_nan(b) && natives_is_number(ta)) {
        *a = *b;
        return;
    }
    if (natives_is_number(ta) && is_compound(tb)) {
        std::swap(*a, *b);
        std::swap(ta, tb);
    }
    switch (ta) {
    case T_PAIR:
        if (pairs(a, b, max_flag)) return;
        break;
    case T_POINT2D:
    case T_POINT3D:
        if (points(a, b, max_flag)) return;
        break;
    case T_TUPLE:
        if (tuples(a, b, max_flag)) return;
        break;
    default:
        break;
    }
    Cell x = *a, y = *b;
    if (actions_compare(&x, &y, max_flag ? kCmpLesser : kCmpGreater)) *a = *b;
}

uint32_t natives_max(int, const int32_t*) {
    natives_max_min(true);
    return 0;
}

uint32_t natives_min(int, const int32_t*) {
    natives_max_min(false);
    return 0;
}

} // namespace xel
