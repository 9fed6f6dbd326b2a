// time!: a signed duration, a float64 of seconds in words 2-3, as float!.
#pragma once
#include "runtime/cell.h"

namespace xel {

inline void time_make_at(Cell* c, double seconds) {
    *c = Cell{T_TIME, 0, 0, 0};
    cell_set_double(c, seconds);
}

} // namespace xel
