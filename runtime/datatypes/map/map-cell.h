// map!: words 1-2 a block position over the key/value block, word 3 the node
// of its hashtable record (kind 1).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Whether values of the type may be map! keys.
bool map_key_type(uint8_t type);
// Turns a cell holding a block of key/value pairs into a map! over it,
// indexing every pair.
void map_make_at(Cell* c);

} // namespace xel
