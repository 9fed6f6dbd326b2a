#include "runtime/datatypes/binary/binary-cell.h"

#include "runtime/memory/series-memory.h"

namespace xel {

void binary_make_at(Cell* c, uint32_t capacity) {
    // unset! while allocating, so a collection meanwhile sees no half-made value.
    *c = Cell{T_UNSET, 0, 0, 0};
    Offset node = alloc_series(capacity ? capacity : 1, 1, 0);
    *c = Cell{T_BINARY, 0, node, 0};
}

} // namespace xel
