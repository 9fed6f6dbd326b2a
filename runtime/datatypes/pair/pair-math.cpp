// Arithmetic and round of pair!. Integer results stay a pair; a float
// scale, or a component that leaves the 32-bit range, makes the result a
// point2D! computed from both original components.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/pair/pair.h"
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

[[noreturn]] void invalid_type(const Cell* operand) {
    Cell type = datatype_cell(type_of(operand));
    error_fire(kCatScript, err::script::kInvalidType, &type);
}

[[noreturn]] void invalid_arg(const Cell* operand) {
    Cell copy = *operand;
    error_fire(kCatScript, err::script::kInvalidArg, &copy);
}

// The pair becomes a point2D! and the point math takes the operation over.
void as_point(Cell* args, int op) {
    pair_to_point2d(args);
    point_do_math(op);
}

// Multiply and divide by a float scale the components in double.
void scale_by_float(Cell* args, double f, int op) {
    double x = pair_x(args);
    double y = pair_y(args);
    if (op == kMathMultiply)
        point2d_make_at(args, static_cast<float>(x * f), static_cast<float>(y * f));
    else
        point2d_make_at(args, static_cast<float>(x / f), static_cast<float>(y / f));
}

// One component through the integer core; false when it leaves the 32-bit range.
bool component(int32_t a, int32_t b, int op, int32_t* out) {
    if (op == kMathDivide) {
        *out = integer_do_math_op(a, b, op, nullptr);
        return true;
    }
    Cell scratch{T_INTEGER, 0, 0, 0};
    *out = integer_do_math_op(a, b, op, &scratch);
    return type_of(&scratch) == T_INTEGER;
}

int32_t rounded(int32_t n, Cell* scale, bool even, bool down, bool half_down, bool floor,
                bool ceiling, bool half_ceiling) {
    Cell c{T_INTEGER, 0, static_cast<uint32_t>(n), 0};
    integer_round(&c, scale, even, down, half_down, floor, ceiling, half_ceiling);
    if (type_of(&c) == T_INTEGER) return integer_get(&c);
    double d = cell_double(&c);
    if (!(d > -2147483649.0 && d < 2147483648.0)) error_fire(kCatMath, err::math::kOverflow);
    return static_cast<int32_t>(d);
}

} // namespace

void pair_do_math(int op) {
    Cell* args = stack_arguments();
    Cell* right = args + 1;
    int32_t b[2];
    switch (type_of(right)) {
    case T_INTEGER:
        b[0] = b[1] = integer_get(right);
        break;
    case T_PAIR:
        b[0] = pair_x(right);
        b[1] = pair_y(right);
        break;
    case T_FLOAT:
    case T_PERCENT: {
        double f = cell_double(right);
        if (op == kMathMultiply || op == kMathDivide) {
            if (op == kMathMultiply ? float_special(f) : float_nan(f)) invalid_arg(right);
            scale_by_float(args, f, op);
            return;
        }
        b[0] = b[1] = pair_coordinate_of(right);
        break;
    }
    case T_POINT2D:
        as_point(args, op);
        return;
    default:
        invalid_type(right);
    }
    int32_t r[2];
    bool fits = component(pair_x(args), b[0], op, &r[0]);
    fits = component(pair_y(args), b[1], op, &r[1]) && fits;
    if (!fits) {
        // A float operand counts by its truncated value, as above.
        if (type_of(right) != T_PAIR) set_integer(right, b[0]);
        as_point(args, op);
        return;
    }
    pair_make_at(args, r[0], r[1]);
}

Cell* pair_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                 bool ceiling, bool half_ceiling) {
    Cell v = *value;
    Cell sx, sy;
    int32_t x = rounded(pair_x(&v), coordinate_scale(scale, 0, &sx), even, down, half_down, floor,
                        ceiling, half_ceiling);
    int32_t y = rounded(pair_y(&v), coordinate_scale(scale, 1, &sy), even, down, half_down, floor,
                        ceiling, half_ceiling);
    pair_make_at(value, x, y);
    return stack_set_last(value);
}

} // namespace xel
