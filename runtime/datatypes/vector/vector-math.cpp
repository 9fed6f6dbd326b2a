// Arithmetic and bitwise math on vectors: element-wise between two vectors
// of one item type, or every item with a scalar, in place. Integer and char
// items keep the wrapped 32-bit result instead of turning into floats.
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

bool is_float_item(uint8_t type) {
    return type == T_FLOAT || type == T_PERCENT;
}

int32_t wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

int32_t int_op(int32_t a, int32_t b, int op) {
    switch (op) {
    case kMathAdd:
        return wrap(int64_t{a} + b);
    case kMathSubtract:
        return wrap(int64_t{a} - b);
    case kMathMultiply:
        return wrap(int64_t{a} * b);
    case kMathDivide:
        if (b == 0) error_fire(kCatMath, err::math::kZeroDivide);
        return wrap(int64_t{a} / b);
    case kMathRemainder:
        if (b == 0) error_fire(kCatMath, err::math::kZeroDivide);
        return wrap(int64_t{a} % b);
    case kMathOr:
        return a | b;
    case kMathAnd:
        return a & b;
    default:
        return a ^ b;
    }
}

// A double stored into an integer item: truncated toward zero, the low 32
// bits of results beyond that range.
int32_t to_item_int(double d) {
    if (!(d > -9.2e18 && d < 9.2e18)) return INT32_MIN;
    return wrap(static_cast<int64_t>(d));
}

double number_of(const Cell* c) {
    return is_float_item(type_of(c)) ? cell_double(c)
                                     : static_cast<double>(static_cast<int32_t>(c->data2));
}

// item op scalar for one item of the vector's type.
Cell item_op(const Cell* item, const Cell* scalar, int op) {
    Cell r = *item;
    if (is_float_item(type_of(item))) {
        cell_set_double(&r, float_do_math_op(cell_double(item), number_of(scalar), op));
    } else if (is_float_item(type_of(scalar))) {
        double d = float_do_math_op(number_of(item), cell_double(scalar), op);
        r.data2 = static_cast<uint32_t>(to_item_int(d));
    } else {
        r.data2 = static_cast<uint32_t>(
            int_op(static_cast<int32_t>(item->data2), static_cast<int32_t>(scalar->data2), op));
    }
    return r;
}

// add or subtract 0, multiply or divide by 1: every item would stay as it is.
bool identity(const Cell* scalar, int op) {
    double s = number_of(scalar);
    if (op == kMathAdd || op == kMathSubtract) return s == 0.0;
    if (op == kMathMultiply || op == kMathDivide) return s == 1.0;
    return false;
}

// A char! scalar is taken only on the left (char! math hands vectors over).
void math_with_scalar(Cell* vector, Cell* scalar, bool scalar_left, int op) {
    Cell vec = *vector;
    Cell sc = *scalar;
    uint8_t st = type_of(&sc);
    if (!(st == T_INTEGER || st == T_FLOAT || st == T_PERCENT || (st == T_CHAR && scalar_left)))
        error_fire(kCatInternal, err::internal::kNotDone);
    if (!identity(&sc, op)) {
        uint32_t from = series_clamped_index(&vec);
        uint32_t len = series_buffer_length(&vec);
        uint32_t unit = series_unit(&vec);
        for (uint32_t i = from; i < len; i++) {
            Cell item = vector_get(&vec, i);
            Cell r = item_op(&item, &sc, op);
            vector_set_item(vector_item_at(&vec, i), &r, unit);
        }
    }
    *stack_arguments() = vec;
}

void math_of_vectors(Cell* first, Cell* second, int op) {
    Cell a = *first;
    Cell b = *second;
    uint8_t type = vector_item_type(&a);
    if (type != vector_item_type(&b)) error_fire(kCatScript, err::script::kNotSameType);
    int la = vector_xs_length(&a);
    int lb = vector_xs_length(&b);
    auto n = static_cast<uint32_t>(la < lb ? la : lb);
    uint32_t ua = series_unit(&a);
    uint32_t ub = series_unit(&b);
    uint32_t unit = ua > ub ? ua : ub;
    Cell result;
    vector_make_at(&result, n, unit, type);
    uint32_t fa = series_clamped_index(&a);
    uint32_t fb = series_clamped_index(&b);
    for (uint32_t i = 0; i < n; i++) {
        Cell x = vector_get(&a, fa + i);
        Cell y = vector_get(&b, fb + i);
        Cell r = item_op(&x, &y, op);
        vector_set_item(vector_item_at(&result, i), &r, unit);
    }
    SeriesBuf* buf = series_buffer(&result);
    buf->tail = buf->head + n * unit;
    *stack_arguments() = result;
}

} // namespace

void vector_do_math_scalar(int op) {
    Cell* args = stack_arguments();
    if (type_of(args) == T_VECTOR)
        math_with_scalar(args, args + 1, false, op);
    else
        math_with_scalar(args + 1, args, true, op);
}

void vector_do_math(int op) {
    Cell* args = stack_arguments();
    if (type_of(args) == T_VECTOR && type_of(args + 1) == T_VECTOR)
        math_of_vectors(args, args + 1, op);
    else
        vector_do_math_scalar(op);
}

} // namespace xel
