// pair!: two signed 32-bit integers, x in word 2 and y in word 3.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/stack/stack.h"

namespace xel {

inline void pair_make_at(Cell* c, int32_t x, int32_t y) {
    *c = Cell{T_PAIR, 0, static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
}
inline int32_t pair_x(const Cell* c) {
    return static_cast<int32_t>(c->data2);
}
inline int32_t pair_y(const Cell* c) {
    return static_cast<int32_t>(c->data3);
}
inline Cell* pair_push(int32_t x, int32_t y) {
    Cell* c = stack_push_cell();
    pair_make_at(c, x, y);
    return c;
}
// A new pair! at the tail of the block value blk.
Cell* pair_make_in(Cell* blk, int32_t x, int32_t y);

// The pair becomes the point2D! of its coordinates, in place.
inline void pair_to_point2d(Cell* c) {
    point2d_make_at(c, static_cast<float>(pair_x(c)), static_cast<float>(pair_y(c)));
}

} // namespace xel
