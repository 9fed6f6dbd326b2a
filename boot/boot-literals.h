// The boot literals: the root records of the boot data, cells of the root
// block from a base index on. Root record i is the i-th top-level record of
// the boot data that is not a definition.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

extern uint32_t g_boot_literal_base;
extern uint32_t g_boot_literal_count;

// Root cell i (valid until the root block grows).
Cell* boot_literal_at(uint32_t i);

} // namespace xel
