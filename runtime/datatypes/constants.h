// The shared constant cells that actions copy instead of building a value.
#pragma once
#include "runtime/cell.h"

namespace xel {

extern Cell g_unset_cell;
extern Cell g_none_cell;
extern Cell g_true_cell;
extern Cell g_false_cell;

inline void set_unset(Cell* c) {
    *c = Cell{T_UNSET, 0, 0, 0};
}
inline void set_none(Cell* c) {
    *c = Cell{T_NONE, 0, 0, 0};
}
inline void set_logic(Cell* c, bool truth) {
    *c = Cell{T_LOGIC, truth ? 1u : 0u, 0, 0};
}
inline void set_integer(Cell* c, int32_t v) {
    *c = Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
}

} // namespace xel
