#include <cmath>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/error-fire.h"

namespace xel {

Cell* integer_make_in(Cell* blk, int32_t v) {
    Cell* c = block_alloc_tail_cell(blk);
    *c = Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
    return c;
}

int32_t integer_abs(int32_t v) {
    if (v == INT32_MIN) error_fire(kCatMath, err::math::kOverflow);
    return v < 0 ? -v : v;
}

bool integer_float_overflow(const Cell* f) {
    double x = cell_double(f);
    return x > 2147483647.0 || x < -2147483648.0 || std::isnan(x);
}

} // namespace xel
