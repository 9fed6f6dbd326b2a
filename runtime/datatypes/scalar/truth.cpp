#include "runtime/datatypes/scalar/logic.h"

#include "runtime/error-fire.h"

namespace xel {

bool logic_true(const Cell* value, bool check, const Cell* word) {
    if (check && type_of(value) == T_UNSET) error_fire(kCatScript, err::script::kNoValue, word);
    return value_truth(value);
}

bool logic_arg_true() {
    const Cell* arg = stack_arguments();
    if (type_of(arg) == T_UNSET) error_fire(kCatScript, err::script::kNoReturn);
    return value_truth(arg);
}

bool logic_false() {
    return !value_truth(stack_arguments());
}

bool logic_top_true() {
    const Cell* top = g_stack_top > g_stack_args ? g_stack_top - 1 : g_stack_args;
    return value_truth(top);
}

} // namespace xel
