#include "runtime/compiled/arg-checks.h"

#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/stack/stack.h"

namespace xel {

const Cell* arg_check_type(const Cell* typeset, int n, const Cell* value) {
    if (!typeset_has(typeset, type_of(value))) error_fire_expect_arg(type_of(value), n);
    return value;
}

void arg_check_type_at(int32_t index, const Cell* typeset, int n) {
    if (index >= 0) arg_check_type(typeset, n, stack_arguments() + index);
}

const Cell* arg_check_type_if_set(const Cell* refinement, const Cell* typeset, int n,
                                  const Cell* value) {
    return logic_get(refinement) ? arg_check_type(typeset, n, value) : value;
}

const Cell* arg_check_set(int n, const Cell* value) {
    if (type_of(value) == T_UNSET) error_fire_expect_arg(T_UNSET, n);
    return value;
}

} // namespace xel
