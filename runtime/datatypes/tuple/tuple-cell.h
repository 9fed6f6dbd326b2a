// tuple!: 3 to 12 bytes; the count in header bits 19-22, the bytes in cell
// bytes 4-15 (unused ones 0).
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/stack/stack.h"

namespace xel {

constexpr uint32_t kTupleMaxBytes = 12;
constexpr uint32_t kTupleMinBytes = 3;
constexpr uint32_t kTupleCountShift = 19;

inline uint32_t tuple_count(const Cell* c) {
    return (c->header >> kTupleCountShift) & 15;
}
inline const uint8_t* tuple_bytes(const Cell* c) {
    return reinterpret_cast<const uint8_t*>(&c->data1);
}
inline uint8_t* tuple_bytes_mut(Cell* c) {
    return reinterpret_cast<uint8_t*>(&c->data1);
}
// Rewrites the count bits (clearing the header bits above bit 28).
inline void tuple_set_count(Cell* c, uint32_t count) {
    c->header = (c->header & ~(15u << kTupleCountShift) & 0x1FFFFFFFu) | count << kTupleCountShift;
}

// Writes a tuple! of count bytes (at most 12; fewer than 3 padded with 0).
void tuple_make_at(Cell* c, const uint8_t* bytes, uint32_t count);
// A tuple! of count bytes held in the three data words, pushed.
inline Cell* tuple_push(uint32_t count, uint32_t w1, uint32_t w2, uint32_t w3) {
    Cell* c = stack_push_cell();
    *c = Cell{T_TUPLE | count << kTupleCountShift, w1, w2, w3};
    return c;
}
// The first bytes (at most 12) of a binary! from its position.
void tuple_make_from_binary(Cell* c, const Cell* binary);
// A hexadecimal colour: 3 digits doubled (#F80 is 255.136.0), 6 digits RRGGBB
// or 8 digits RRGGBBAA; anything else raises script invalid-data (the issue).
void tuple_make_from_issue(Cell* c, const Cell* issue);

} // namespace xel
