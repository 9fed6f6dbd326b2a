// Arithmetic of tuple!: byte by byte with an integer!, a float! or percent!,
// or another tuple!, every resulting byte clamped to 0..255.
#include <algorithm>

#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/tuple/tuple.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

[[noreturn]] void invalid_type(const Cell* operand) {
    Cell type = datatype_cell(type_of(operand));
    error_fire(kCatScript, err::script::kInvalidType, &type);
}

// Truncated toward zero; NaN gives 0.
uint8_t clamp_double(double d) {
    if (!(d > 0.0)) return 0;
    return d >= 255.0 ? 255 : static_cast<uint8_t>(d);
}

uint8_t clamp_int(int32_t v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// One byte pair through the integer core; a result beyond 32 bits counts as
// 255 when positive and 0 when negative.
uint8_t combine(int32_t a, int32_t b, int op) {
    if (op == kMathDivide) return clamp_int(integer_do_math_op(a, b, op, nullptr));
    Cell scratch{T_INTEGER, 0, 0, 0};
    int32_t r = integer_do_math_op(a, b, op, &scratch);
    if (type_of(&scratch) != T_INTEGER) return cell_double(&scratch) > 0 ? 255 : 0;
    return clamp_int(r);
}

// A number on the left: subtract and divide have no meaning; the other
// operations are computed as tuple op number.
void number_first(Cell* args, int op) {
    if (op == kMathSubtract || op == kMathDivide) {
        Cell type = datatype_cell(type_of(args));
        error_fire(kCatScript, err::script::kNotRelated,
                   op == kMathSubtract ? g_word_subtract : g_word_divide, &type);
    }
    Cell number = args[0];
    args[0] = args[1];
    args[1] = number;
}

} // namespace

void tuple_do_math(int op) {
    Cell* args = stack_arguments();
    if (type_of(args) != T_TUPLE) number_first(args, op);
    const Cell* right = args + 1;
    Cell result = args[0];
    const uint8_t* a = tuple_bytes(&args[0]);
    uint8_t* out = tuple_bytes_mut(&result);
    uint32_t count = tuple_count(&args[0]);
    switch (type_of(right)) {
    case T_INTEGER: {
        auto n = static_cast<int32_t>(right->data2);
        for (uint32_t i = 0; i < count; i++)
            out[i] = combine(a[i], n, op);
        break;
    }
    case T_FLOAT:
    case T_PERCENT: {
        double f = cell_double(right);
        for (uint32_t i = 0; i < count; i++)
            out[i] = clamp_double(float_do_math_op(a[i], f, op));
        break;
    }
    case T_TUPLE: {
        const uint8_t* b = tuple_bytes(right);
        count = std::max(count, tuple_count(right));
        // Bytes past a tuple's count are stored as 0.
        for (uint32_t i = 0; i < count; i++)
            out[i] = combine(a[i], b[i], op);
        tuple_set_count(&result, count);
        break;
    }
    default:
        invalid_type(right);
    }
    args[0] = result;
}

} // namespace xel
