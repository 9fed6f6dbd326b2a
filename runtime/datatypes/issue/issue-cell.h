// issue!: the word layout with the global context, the symbol and index -1.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Fills the cell as an issue! of the symbol.
void issue_make_at_symbol(Cell* c, uint32_t symbol);
// Fills the cell as an issue! of the NUL-terminated name.
void issue_make_at(Cell* c, const char* name);

} // namespace xel
