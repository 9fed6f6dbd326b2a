// time!: a signed duration, a float64 of seconds in words 2-3, as float!.
#pragma once
#include "runtime/cell.h"
#include "runtime/stack/stack.h"

namespace xel {

inline void time_make_at(Cell* c, double seconds) {
    *c = Cell{T_TIME, 0, 0, 0};
    cell_set_double(c, seconds);
}

// A new time! at the tail of the block value blk.
Cell* time_make_in(Cell* blk, double seconds);

inline Cell* time_push(double seconds) {
    Cell* c = stack_push_cell();
    time_make_at(c, seconds);
    return c;
}

// The current frame's result slot becomes the time.
inline Cell* time_box(double seconds) {
    Cell* c = stack_arguments();
    time_make_at(c, seconds);
    return c;
}

} // namespace xel
