// Arithmetic of point2D! and point3D!: coordinate by coordinate through the
// float core, in double, stored back as float32.
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

[[noreturn]] void invalid_type(const Cell* operand) {
    Cell type = datatype_cell(type_of(operand));
    error_fire(kCatScript, err::script::kInvalidType, &type);
}

} // namespace

void point_do_math(int op) {
    Cell* args = stack_arguments();
    uint8_t type = type_of(args);
    const Cell* right = args + 1;
    double b[3];
    switch (type_of(right)) {
    case T_INTEGER:
        b[0] = b[1] = b[2] = static_cast<int32_t>(right->data2);
        break;
    case T_FLOAT:
    case T_PERCENT:
        b[0] = b[1] = b[2] = cell_double(right);
        break;
    case T_PAIR:
        if (type != T_POINT2D) invalid_type(right);
        b[0] = pair_x(right);
        b[1] = pair_y(right);
        break;
    default:
        if (type_of(right) != type) invalid_type(right);
        point_read(right, b);
    }
    double a[3];
    point_read(args, a);
    for (int i = 0; i < point_size(type); i++)
        a[i] = float_do_math_op(a[i], b[i], op);
    point_make_at(args, type, a);
}

} // namespace xel
