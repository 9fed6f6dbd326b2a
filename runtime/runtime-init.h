// Brings the run-time from nothing to the state in which code can run.
#pragma once
#include "runtime/cell.h"

namespace xel {

// The root block: boot literals and the buffers the collector must keep
// (both stacks, the symbols); held by this cell.
extern Cell g_root;

constexpr uint32_t kRootBlockCells = 10016;

// The fixed order of the run-time's initialisation. May be run again (tests
// do) to start from a fresh state.
void runtime_init();

// Appends a cell to a block value's buffer; the cell is unset! until written.
Cell* root_alloc_tail_cell();

} // namespace xel
