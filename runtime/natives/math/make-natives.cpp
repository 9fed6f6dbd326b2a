// as-pair, as-point2D and as-point3D.
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/point3d/point3d-cell.h"
#include "runtime/error-fire.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

// An integer! as it is, a float! truncated toward zero; a float without an
// integer value (NaN, an infinity, or beyond 32 bits) is refused.
int32_t pair_coordinate(const Cell* c) {
    if (type_of(c) == T_INTEGER) return integer_get(c);
    double d = cell_double(c);
    if (!(d > -2147483649.0 && d < 2147483648.0))
        error_fire(kCatScript, err::script::kInvalidArg, c);
    return static_cast<int32_t>(d);
}

float point_coordinate_of(const Cell* c) {
    if (type_of(c) == T_INTEGER) return static_cast<float>(integer_get(c));
    return static_cast<float>(cell_double(c));
}

// natives/make-point: n coordinates from the frame's first n arguments.
void make_point(int n) {
    Cell* args = stack_arguments();
    float x = point_coordinate_of(args);
    float y = point_coordinate_of(args + 1);
    if (n == 2)
        point2d_make_at(args, x, y);
    else
        point3d_make_at(args, x, y, point_coordinate_of(args + 2));
}

} // namespace

uint32_t natives_as_pair(int, const int32_t*) {
    Cell* args = stack_arguments();
    int32_t x = pair_coordinate(args);
    int32_t y = pair_coordinate(args + 1);
    pair_make_at(args, x, y);
    return 0;
}

uint32_t natives_as_point2d(int, const int32_t*) {
    make_point(2);
    return 0;
}

uint32_t natives_as_point3d(int, const int32_t*) {
    make_point(3);
    return 0;
}

} // namespace xel
