// The slot table: a block of value cells, rooted for the collector, where
// native code (the GUI backend) parks values and refers to them by a small
// integer handle (1-based), for example in a window's data.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Makes the slot block (100 cells) with every cell free, and roots it.
void slots_init();
// Copies the value into a free cell (the block doubles when none is left)
// and answers its handle.
uint32_t slots_store(const Cell* value);
// The cell of a handle in use, or nullptr (valid until the next allocation).
Cell* slots_get(uint32_t handle);
// The cell becomes free and is the next one slots_store takes; handle 0 and
// handles not in use are ignored.
void slots_free(uint32_t handle);

} // namespace xel
