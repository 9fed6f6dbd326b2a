// binary!: a series cell (head index in word 1, node in word 2) over a buffer
// of 1-byte units.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Writes a new empty binary! (head 0) with room for capacity bytes.
void binary_make_at(Cell* c, uint32_t capacity);

} // namespace xel
