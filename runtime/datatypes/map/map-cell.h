// map!: words 1-2 a block position over the key/value block, word 3 the node
// of its hashtable record (kind 1).
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

// The key/value cells from the block's head (good until the next allocation).
inline Cell* map_pairs(const Cell* map) {
    return at<Cell>(buffer_of(map->data2)->head);
}
// Cells of the block, keys and values together.
inline uint32_t map_cell_count(const Cell* map) {
    return buffer_of(map->data2)->used() / sizeof(Cell);
}
// Cell i copied out, for code that may allocate while it holds it.
inline Cell map_cell_at(const Cell* map, uint32_t i) {
    return map_pairs(map)[i];
}

// Whether values of the type may be map! keys.
bool map_key_type(uint8_t type);
// Turns a cell holding a block of key/value pairs into a map! over it,
// indexing every pair.
void map_make_at(Cell* c);

} // namespace xel
