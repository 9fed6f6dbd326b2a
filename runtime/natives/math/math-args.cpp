// Argument helpers shared by the math natives.
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/error-fire.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/stack/stack.h"

namespace xel {

double natives_arg_to_float(Cell* value) {
    if (type_of(value) == T_INTEGER) {
        int32_t n = integer_get(value);
        float_make_at(value, n);
    } else {
        cell_set_type(value, T_FLOAT);
    }
    return cell_double(value);
}

} // namespace xel
