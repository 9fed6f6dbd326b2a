// percent!: a float64 fraction in words 2-3, as float! (1.0 is 100%).
#pragma once
#include "runtime/cell.h"

namespace xel {

inline void percent_make_at(Cell* c, double fraction) {
    *c = Cell{T_PERCENT, 0, 0, 0};
    cell_set_double(c, fraction);
}

} // namespace xel
