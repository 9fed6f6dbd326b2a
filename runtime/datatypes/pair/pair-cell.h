// pair!: two signed 32-bit integers, x in word 2 and y in word 3.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

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

} // namespace xel
