// point2D!: two float32 coordinates, x in word 1 and y in word 2.
#pragma once
#include <cstdint>
#include <cstring>

#include "runtime/cell.h"
#include "runtime/stack/stack.h"

namespace xel {

inline void point2d_make_at(Cell* c, float x, float y) {
    *c = Cell{T_POINT2D, 0, 0, 0};
    std::memcpy(&c->data1, &x, sizeof x);
    std::memcpy(&c->data2, &y, sizeof y);
}
inline Cell* point2d_push(float x, float y) {
    Cell* c = stack_push_cell();
    point2d_make_at(c, x, y);
    return c;
}
// Coordinate i (0 x, 1 y) of a point2D! or point3D! (2 z).
inline float point_coordinate(const Cell* c, int i) {
    float v;
    std::memcpy(&v, reinterpret_cast<const uint8_t*>(&c->data1) + 4 * i, sizeof v);
    return v;
}

} // namespace xel
