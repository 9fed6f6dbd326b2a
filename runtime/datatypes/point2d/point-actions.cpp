// compare, the sign actions, round and reverse of point2D! and point3D!, and
// the row both register.
#include <bit>
#include <cmath>
#include <utility>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/rows.h"

namespace xel {

namespace {

bool all_coordinates(const Cell* a, const Cell* b, int n, bool (*same)(float, float)) {
    for (int i = 0; i < n; i++)
        if (!same(point_coordinate(a, i), point_coordinate(b, i))) return false;
    return true;
}

bool exactly(float a, float b) {
    return a == b;
}

bool same_bits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// The first coordinate that is not near-equal decides; a NaN answers false
// to every ordering, as with float!.
int ordering(const Cell* a, const Cell* b, int n, int op) {
    for (int i = 0; i < n; i++) {
        float x = point_coordinate(a, i);
        float y = point_coordinate(b, i);
        if (float32_almost_equal(x, y)) continue;
        if (std::isnan(x) || std::isnan(y)) {
            if (op == kCmpLesser || op == kCmpLesserEqual) return 1;
            if (op == kCmpGreater || op == kCmpGreaterEqual) return -1;
            return 0;
        }
        return x < y ? -1 : 1;
    }
    return 0;
}

} // namespace

int point_compare(Cell* value1, Cell* value2, int op) {
    uint8_t type = type_of(value1);
    Cell other = *value2;
    if (type == T_POINT2D && type_of(&other) == T_PAIR) pair_to_point2d(&other);
    if (type_of(&other) != type) return -2;
    int n = point_size(type);
    switch (op) {
    case kCmpEqual:
    case kCmpNotEqual:
    case kCmpFind:
        return all_coordinates(value1, &other, n, float32_almost_equal) ? 0 : 1;
    case kCmpStrictEqual:
        return all_coordinates(value1, &other, n, exactly) ? 0 : 1;
    case kCmpSame:
        return all_coordinates(value1, &other, n, same_bits) ? 0 : 1;
    default:
        return ordering(value1, &other, n, op);
    }
}

void point_absolute() {
    Cell* value = stack_arguments();
    double v[3];
    point_read(value, v);
    for (double& c : v)
        c = std::fabs(c);
    point_make_at(value, type_of(value), v);
}

Cell* point_negate(Cell* value) {
    double v[3];
    point_read(value, v);
    for (double& c : v)
        c = 0.0 - c;
    point_make_at(value, type_of(value), v);
    return stack_set_last(value);
}

Cell* point_reverse(Cell* series, Cell*, Cell*) {
    double v[3];
    point_read(series, v);
    int last = point_size(type_of(series)) - 1;
    std::swap(v[0], v[last]);
    point_make_at(series, type_of(series), v);
    return stack_set_last(series);
}

Cell* point_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                  bool ceiling, bool half_ceiling) {
    uint8_t type = type_of(value);
    double v[3];
    point_read(value, v);
    for (int i = 0; i < point_size(type); i++) {
        Cell c{};
        float_make_at(&c, v[i]);
        Cell s;
        float_round(&c, coordinate_scale(scale, i, &s), even, down, half_down, floor, ceiling,
                    half_ceiling);
        v[i] = type_of(&c) == T_INTEGER ? double(static_cast<int32_t>(c.data2)) : cell_double(&c);
    }
    point_make_at(value, type, v);
    return stack_set_last(value);
}

Cell* coordinate_scale(const Cell* scale, int i, Cell* out) {
    if (!scale) return nullptr;
    switch (type_of(scale)) {
    case T_PAIR:
        if (i > 1) return nullptr;
        *out = Cell{T_INTEGER, 0, static_cast<uint32_t>(i == 0 ? pair_x(scale) : pair_y(scale)), 0};
        return out;
    case T_POINT2D:
    case T_POINT3D:
        if (i >= point_size(type_of(scale))) return nullptr;
        *out = Cell{T_FLOAT, 0, 0, 0};
        cell_set_double(out, point_coordinate(scale, i));
        return out;
    default:
        *out = *scale;
        return out;
    }
}

void point_fill_row(ActionList& row, uint8_t type) {
    row.set<A_MAKE>(point_make)
        .set<A_RANDOM>(point_random)
        .set<A_TO>(point_make)
        .set<A_FORM>(point_form)
        .set<A_MOLD>(point_mold)
        .set<A_EVAL_PATH>(point_eval_path)
        .set<A_COMPARE>(point_compare)
        .set<A_ABSOLUTE>(point_absolute)
        .set<A_ADD>([] { point_do_math(kMathAdd); })
        .set<A_DIVIDE>([] { point_do_math(kMathDivide); })
        .set<A_MULTIPLY>([] { point_do_math(kMathMultiply); })
        .set<A_NEGATE>(point_negate)
        .set<A_REMAINDER>([] { point_do_math(kMathRemainder); })
        .set<A_ROUND>(point_round)
        .set<A_SUBTRACT>([] { point_do_math(kMathSubtract); })
        .set<A_PICK>(point_pick)
        .set<A_REVERSE>(point_reverse);
    g_number_handovers.math[type] = point_do_math;
}

void point2d_row(ActionList& row) {
    point_fill_row(row, T_POINT2D);
}

} // namespace xel
