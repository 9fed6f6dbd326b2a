// percent!: a float64 fraction in words 2-3, as float! (1.0 is 100%).
#pragma once
#include "runtime/cell.h"
#include "runtime/stack/stack.h"

namespace xel {

inline void percent_make_at(Cell* c, double fraction) {
    *c = Cell{T_PERCENT, 0, 0, 0};
    cell_set_double(c, fraction);
}

// A new percent! at the tail of the block value blk.
Cell* percent_make_in(Cell* blk, double fraction);

inline Cell* percent_push(double fraction) {
    Cell* c = stack_push_cell();
    percent_make_at(c, fraction);
    return c;
}

// The current frame's result slot becomes the percent.
inline Cell* percent_box(double fraction) {
    Cell* c = stack_arguments();
    percent_make_at(c, fraction);
    return c;
}

inline double percent_get(const Cell* c) {
    return cell_double(c);
}

} // namespace xel
