// The 32-bit math core and the integer! arithmetic actions. Overflowing add,
// subtract, multiply and power fall over to float!; only negation, absolute
// value, rounding and -2147483648 divided by -1 raise math overflow.
#include "runtime/core/fatal.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

int32_t fall_to_float(Cell* result, double value) {
    float_make_at(result, value);
    return 0;
}

void check_division(int32_t left, int32_t right) {
    if (right == 0) error_fire(kCatMath, err::math::kZeroDivide);
    if (left == INT32_MIN && right == -1) error_fire(kCatMath, err::math::kOverflow);
}

[[noreturn]] void invalid_type(const Cell* operand) {
    Cell type = datatype_cell(type_of(operand));
    error_fire(kCatScript, err::script::kInvalidType, &type);
}

[[noreturn]] void not_related(const Cell* word) {
    Cell type = datatype_cell(T_INTEGER);
    error_fire(kCatScript, err::script::kNotRelated, word, &type);
}

const Cell* op_word(int op) {
    return op == kMathDivide ? g_word_divide : g_word_subtract;
}

MathBody body_of(const Cell* operand) {
    MathBody body = g_number_handovers.math[type_of(operand)];
    if (!body) invalid_type(operand);
    return body;
}

// The operands trade places: the other value becomes the first argument
// (and the result slot), the integer the second.
void swap_operands(Cell* args) {
    Cell left = args[0];
    args[0] = args[1];
    args[1] = left;
}

} // namespace

int32_t integer_do_math_op(int32_t left, int32_t right, int op, Cell* result) {
    int32_t r;
    switch (op) {
    case kMathAdd:
        if (__builtin_add_overflow(left, right, &r))
            return fall_to_float(result, double(left) + double(right));
        break;
    case kMathSubtract:
        if (__builtin_sub_overflow(left, right, &r))
            return fall_to_float(result, double(left) - double(right));
        break;
    case kMathMultiply:
        if (__builtin_mul_overflow(left, right, &r))
            return fall_to_float(result, double(left) * double(right));
        break;
    case kMathDivide:
        check_division(left, right);
        if (result && left % right != 0) return fall_to_float(result, double(left) / double(right));
        r = left / right;
        break;
    case kMathRemainder:
        check_division(left, right);
        r = left % right;
        break;
    case kMathOr:
        r = static_cast<int32_t>(static_cast<uint32_t>(left) | static_cast<uint32_t>(right));
        break;
    case kMathAnd:
        r = static_cast<int32_t>(static_cast<uint32_t>(left) & static_cast<uint32_t>(right));
        break;
    case kMathXor:
        r = static_cast<int32_t>(static_cast<uint32_t>(left) ^ static_cast<uint32_t>(right));
        break;
    default:
        runtime_error(kErrNoSwitch, 0);
    }
    if (result) result->data2 = static_cast<uint32_t>(r);
    return r;
}

void integer_do_math(int op) {
    Cell* args = stack_arguments();
    Cell* right = args + 1;
    switch (type_of(right)) {
    case T_INTEGER:
    case T_CHAR:
        integer_do_math_op(integer_get(args), integer_get(right), op, args);
        return;
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME:
        float_do_math(op);
        return;
    case T_MONEY:
        body_of(right)(op);
        return;
    case T_PAIR:
    case T_POINT2D:
    case T_POINT3D: {
        if (op == kMathDivide) not_related(g_word_divide);
        MathBody body = body_of(right);
        swap_operands(args);
        if (op == kMathSubtract) {
            action_of<A_NEGATE>(type_of(args))(args);
            op = kMathAdd;
        }
        body(op);
        return;
    }
    case T_TUPLE: {
        if (op == kMathSubtract || op == kMathDivide) not_related(op_word(op));
        MathBody body = body_of(right);
        swap_operands(args);
        body(op);
        return;
    }
    case T_VECTOR:
        body_of(right)(op);
        return;
    case T_DATE: {
        if (op != kMathAdd) not_related(g_word_subtract);
        MathBody body = body_of(right);
        swap_operands(args);
        body(op);
        return;
    }
    default:
        invalid_type(right);
    }
}

Cell* integer_negate(Cell* value) {
    int32_t v = integer_get(value);
    if (v == INT32_MIN) error_fire(kCatMath, err::math::kOverflow);
    integer_make_at(value, -v);
    return stack_set_last(value);
}

void integer_absolute() {
    Cell* value = stack_arguments();
    value->data2 = static_cast<uint32_t>(integer_abs(integer_get(value)));
}

Cell* integer_complement(Cell* value) {
    value->data2 = ~value->data2;
    return stack_set_last(value);
}

void integer_power() {
    Cell* args = stack_arguments();
    const Cell* exponent = args + 1;
    uint8_t et = type_of(exponent);
    if (et != T_INTEGER && et != T_FLOAT) error_fire_expect_arg(et, 1);
    int32_t base = integer_get(args);
    if (et == T_INTEGER && integer_get(exponent) >= 0) {
        // Squaring; the base is squared only while exponent bits remain.
        uint32_t e = static_cast<uint32_t>(integer_get(exponent));
        int32_t result = 1;
        int32_t b = base;
        bool overflow = false;
        while (e != 0 && !overflow) {
            if ((e & 1) != 0) overflow = __builtin_mul_overflow(result, b, &result);
            e >>= 1;
            if (e != 0 && !overflow) overflow = __builtin_mul_overflow(b, b, &b);
        }
        if (!overflow) {
            args->data2 = static_cast<uint32_t>(result);
            return;
        }
    }
    float_make_at(args, double(base));
    float_power();
}

} // namespace xel
