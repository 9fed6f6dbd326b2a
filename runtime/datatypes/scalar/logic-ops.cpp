#include "runtime/datatypes/scalar/logic-ops.h"

#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

[[noreturn]] void expect_logic(const Cell* arg) {
    error_fire_expect_arg(type_of(arg), 1);
}

} // namespace

void logic_operator(LogicOp op) {
    Cell* args = stack_arguments();
    const Cell* other = args + 1;
    if (type_of(other) != T_LOGIC) expect_logic(other);
    switch (op) {
    case kLogicAnd:
        args->data1 &= other->data1;
        break;
    case kLogicOr:
        args->data1 |= other->data1;
        break;
    case kLogicXor:
        args->data1 ^= other->data1;
        break;
    }
}

} // namespace xel
