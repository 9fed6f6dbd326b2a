// triple!: three signed 32-bit integers in payload words 1, 2 and 3; an
// internal value (the parse engine's stack entries) that only forms and molds.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

inline Cell* triple_make_at(Cell* c, int32_t a, int32_t b, int32_t d) {
    *c = Cell{T_TRIPLE, static_cast<uint32_t>(a), static_cast<uint32_t>(b),
              static_cast<uint32_t>(d)};
    return c;
}

// "make triple! [a b c]"; returns part less the characters appended.
int triple_form(Cell* value, Cell* buffer, Cell* arg, int part);

} // namespace xel
