// point3D!: three float32 coordinates in words 1 to 3.
#pragma once
#include <cstring>

#include "runtime/cell.h"
#include "runtime/stack/stack.h"

namespace xel {

inline void point3d_make_at(Cell* c, float x, float y, float z) {
    *c = Cell{T_POINT3D, 0, 0, 0};
    std::memcpy(&c->data1, &x, sizeof x);
    std::memcpy(&c->data2, &y, sizeof y);
    std::memcpy(&c->data3, &z, sizeof z);
}
inline Cell* point3d_push(float x, float y, float z) {
    Cell* c = stack_push_cell();
    point3d_make_at(c, x, y, z);
    return c;
}

} // namespace xel
