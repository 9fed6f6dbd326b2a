// Arithmetic on characters: 32-bit integer math whose result must stay a code point.
#include <cstdint>

#include "boot/fatal.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

[[noreturn]] void overflow() {
    error_fire(kCatMath, err::math::kOverflow);
}

int64_t right_operand(const Cell* right) {
    switch (type_of(right)) {
    case T_CHAR:
    case T_INTEGER:
        return static_cast<int32_t>(right->data2);
    case T_FLOAT: {
        double d = cell_double(right);
        // Truncated toward zero; a double beyond 32 bits has no integer to give.
        if (!(d > -2147483649.0 && d < 2147483648.0)) overflow();
        return static_cast<int32_t>(d);
    }
    default: {
        Cell dt{T_DATATYPE, type_of(right), 0, 0};
        error_fire(kCatScript, err::script::kInvalidType, &dt);
    }
    }
}

} // namespace

void char_do_math(int op) {
    Cell* args = stack_arguments();
    int64_t left = static_cast<int32_t>(args[0].data2);
    int64_t right = right_operand(&args[1]);
    int64_t result;
    switch (op) {
    case 0:
        result = left + right;
        break;
    case 1:
        result = left - right;
        break;
    case 2:
        result = left * right;
        break;
    case 3:
    case 4:
        if (right == 0) error_fire(kCatMath, err::math::kZeroDivide);
        result = op == 3 ? left / right : left % right;
        break;
    case 5:
        result = left | right;
        break;
    case 6:
        result = left & right;
        break;
    case 7:
        result = left ^ right;
        break;
    default:
        runtime_error(kErrNoSwitch, 0);
    }
    if (result < 0 || result > kMaxCodePoint) overflow();
    char_set(&args[0], static_cast<uint32_t>(result));
}

} // namespace xel
