// point2D!: two float32 coordinates, x in word 1 and y in word 2.
#pragma once
#include <cstdint>
#include <cstring>

#include "runtime/cell.h"

namespace xel {

inline void point2d_make_at(Cell* c, float x, float y) {
    *c = Cell{T_POINT2D, 0, 0, 0};
    std::memcpy(&c->data1, &x, sizeof x);
    std::memcpy(&c->data2, &y, sizeof y);
}
// Coordinate i (0 x, 1 y) of a point2D! or point3D! (2 z).
inline float point_coordinate(const Cell* c, int i) {
    float v;
    std::memcpy(&v, reinterpret_cast<const uint8_t*>(&c->data1) + 4 * i, sizeof v);
    return v;
}

} // namespace xel
