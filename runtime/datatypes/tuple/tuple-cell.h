// tuple!: 3 to 12 bytes; the count in header bits 19-22, the bytes in cell
// bytes 4-15 (unused ones 0).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kTupleMaxBytes = 12;
constexpr uint32_t kTupleCountShift = 19;

inline uint32_t tuple_count(const Cell* c) {
    return (c->header >> kTupleCountShift) & 15;
}
inline const uint8_t* tuple_bytes(const Cell* c) {
    return reinterpret_cast<const uint8_t*>(&c->data1);
}

// Writes a tuple! of count bytes (at most 12; fewer than 3 padded with 0).
void tuple_make_at(Cell* c, const uint8_t* bytes, uint32_t count);

} // namespace xel
