// The float math core and the float! arithmetic actions. Division by zero,
// overflow to infinity and NaN results are values, not errors. The kind of
// the result: time! when an operand is time!, else percent! when the left
// one is percent!, else float!.
#include <cmath>

#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

[[noreturn]] void invalid_type(const Cell* operand) {
    Cell type = datatype_cell(type_of(operand));
    error_fire(kCatScript, err::script::kInvalidType, &type);
}

MathBody body_of(const Cell* operand) {
    MathBody body = g_number_handovers.math[type_of(operand)];
    if (!body) invalid_type(operand);
    return body;
}

bool is_float_kind(uint8_t t) {
    return t == T_FLOAT || t == T_PERCENT || t == T_TIME;
}

// The number of an integer!, char! or float-kind operand.
double operand_value(const Cell* c) {
    uint8_t t = type_of(c);
    return t == T_INTEGER || t == T_CHAR ? double(static_cast<int32_t>(c->data2)) : cell_double(c);
}

// A pair or point operand takes the first place; the number goes second,
// keeping its own kind.
void swap_with_point(Cell* args, int op) {
    Cell* right = args + 1;
    if (op == kMathSubtract || op == kMathDivide) {
        Cell type = datatype_cell(type_of(right));
        error_fire(kCatScript, err::script::kNotRelated,
                   op == kMathSubtract ? g_word_subtract : g_word_divide, &type);
    }
    MathBody body = body_of(right);
    Cell number = args[0];
    args[0] = *right;
    *right = number;
    body(op);
}

} // namespace

double float_do_math_op(double x, double y, int op) {
    switch (op) {
    case kMathAdd:
        return x + y;
    case kMathSubtract:
        return x - y;
    case kMathMultiply:
        return x * y;
    case kMathDivide:
        return x / y;
    case kMathRemainder:
        if (std::isfinite(y)) return std::fmod(x, y);
        if (std::isnan(y)) return y;
        return std::isfinite(x) ? x : std::nan("");
    default: {
        Cell called = *stack_get_call();
        Cell type = datatype_cell(T_FLOAT);
        error_fire(kCatScript, err::script::kCannotUse, &called, &type);
    }
    }
}

void float_do_math(int op) {
    Cell* args = stack_arguments();
    Cell* right = args + 1;
    uint8_t lt = type_of(args);
    uint8_t rt = type_of(right);
    switch (rt) {
    case T_TUPLE:
    case T_MONEY:
    case T_VECTOR:
        body_of(right)(op);
        return;
    case T_PAIR:
    case T_POINT2D:
    case T_POINT3D:
        if (lt != T_TIME) {
            swap_with_point(args, op);
            return;
        }
        invalid_type(right);
    case T_CHAR:
        if (lt == T_PERCENT || lt == T_TIME) invalid_type(right);
        break;
    case T_INTEGER:
        break;
    default:
        if (!is_float_kind(rt)) invalid_type(right);
    }
    double result = float_do_math_op(operand_value(args), operand_value(right), op);
    uint8_t kind = lt == T_TIME || rt == T_TIME ? T_TIME : lt == T_PERCENT ? T_PERCENT : T_FLOAT;
    cell_set_type(args, kind);
    cell_set_double(args, result);
}

Cell* float_negate(Cell* value) {
    cell_set_double(value, 0.0 - cell_double(value));
    return stack_set_last(value);
}

void float_absolute() {
    Cell* value = stack_arguments();
    cell_set_double(value, float_abs(cell_double(value)));
}

void float_power() {
    Cell* args = stack_arguments();
    const Cell* exponent = args + 1;
    uint8_t et = type_of(exponent);
    if (et != T_INTEGER && et != T_FLOAT) error_fire_expect_arg(et, 1);
    cell_set_double(args, std::pow(cell_double(args), operand_value(exponent)));
}

} // namespace xel
