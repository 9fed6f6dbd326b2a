// char!: one Unicode code point (0 to 0x10FFFF) in word 2 of the cell.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kMaxCodePoint = 0x10FFFF;

inline void char_set(Cell* c, uint32_t cp) {
    *c = Cell{T_CHAR, 0, cp, 0};
}
inline uint32_t char_value(const Cell* c) {
    return c->data2;
}

// A new char! on the argument stack.
Cell* char_push(uint32_t cp);
// A new char! appended to the block.
Cell* char_make_in(Cell* block, uint32_t cp);

// Actions (the row is char_row in rows.h).
Cell* char_make(Cell* proto, Cell* spec, int type);
int char_form(Cell* value, Cell* buffer, Cell* arg, int part);
int char_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent);
int char_compare(Cell* value1, Cell* value2, int op);
// The eight math actions on the current frame's two arguments (op codes 0 add,
// 1 subtract, 2 multiply, 3 divide, 4 remainder, 5 or~, 6 and~, 7 xor~); the
// result char! goes into the first argument's cell.
void char_do_math(int op);

} // namespace xel
