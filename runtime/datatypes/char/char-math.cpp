// Arithmetic on characters: the 32-bit integer math core, whose result must
// stay a code point.
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

[[noreturn]] void overflow() {
    error_fire(kCatMath, err::math::kOverflow);
}

[[noreturn]] void invalid_type(const Cell* right) {
    Cell dt = datatype_cell(type_of(right));
    error_fire(kCatScript, err::script::kInvalidType, &dt);
}

} // namespace

void char_do_math(int op) {
    Cell* args = stack_arguments();
    Cell* right = args + 1;
    int32_t r;
    switch (type_of(right)) {
    case T_CHAR:
    case T_INTEGER:
        r = static_cast<int32_t>(right->data2);
        break;
    case T_FLOAT:
        // Truncated toward zero; a double beyond 32 bits has no integer to give.
        if (integer_float_overflow(right)) overflow();
        r = static_cast<int32_t>(cell_double(right));
        break;
    case T_VECTOR:
        if (!g_number_handovers.math[T_VECTOR]) invalid_type(right);
        g_number_handovers.math[T_VECTOR](op);
        return;
    default:
        invalid_type(right);
    }
    auto left = static_cast<int32_t>(args[0].data2);
    int32_t result;
    if (op == kMathDivide) {
        result = integer_do_math_op(left, r, op, nullptr);
    } else {
        // The core turns a 32-bit overflow into a float!: no code point.
        Cell scratch = args[0];
        result = integer_do_math_op(left, r, op, &scratch);
        if (type_of(&scratch) != T_CHAR) overflow();
    }
    if (result < 0 || result > static_cast<int32_t>(kMaxCodePoint)) overflow();
    char_set(&args[0], static_cast<uint32_t>(result));
}

} // namespace xel
