// The value cell: 16 bytes, four 32-bit words. Word 0 is the header (low byte
// the datatype id, bit 30 the new-line marker, other bits the datatype's own);
// words 1 to 3 are the payload, laid out by each datatype.
#pragma once
#include <cstdint>
#include <cstring>

#include "runtime/datatypes/type-ids.h"
#include "runtime/invariant.h"
#include "runtime/memory/arena.h"

namespace xel {

struct Cell {
    uint32_t header;
    uint32_t data1;
    uint32_t data2;
    uint32_t data3;
};
static_assert(sizeof(Cell) == 16);

constexpr uint32_t kNewLineFlag = 1u << 30;

// An enum, so that a switch over types is checked by the compiler.
inline TypeId type_of(const Cell* c) {
    return static_cast<TypeId>(c->header & 0xFFu);
}

inline void cell_set_type(Cell* c, uint8_t type) {
    XEL_ASSERT(type < kTypeTableSize);
    c->header = (c->header & ~0xFFu) | type;
}

inline void cell_clear_new_line(Cell* c) {
    c->header &= ~kNewLineFlag;
}

// The payload words as stored, for the few routines that treat every type
// alike (hashing or comparing the words that are a value's identity, as
// same? and the hash tables do); any other reader goes through its type's
// accessors.
inline uint32_t cell_payload_word(const Cell* c, int n) {
    XEL_ASSERT(n >= 1 && n <= 3);
    return n == 1 ? c->data1 : n == 2 ? c->data2 : c->data3;
}
// Words 1 to 3 in a row: hashers read them as 12 bytes.
inline const uint32_t* cell_payload(const Cell* c) {
    return &c->data1;
}

// The same type and payload words: identity, for types without a compare.
inline bool cell_identical(const Cell* a, const Cell* b) {
    return type_of(a) == type_of(b) && a->data1 == b->data1 && a->data2 == b->data2 &&
           a->data3 == b->data3;
}

inline Cell* cell_copy(const Cell* src, Cell* dst) {
    if (src != dst) std::memcpy(dst, src, sizeof(Cell));
    return dst;
}

// Doubles sit in words 2 (low half) and 3 (high half); cells are only
// 4-byte aligned, so they are read and written by copy.
inline double cell_double(const Cell* c) {
    double d;
    std::memcpy(&d, &c->data2, sizeof d);
    return d;
}
inline void cell_set_double(Cell* c, double d) {
    std::memcpy(&c->data2, &d, sizeof d);
}

} // namespace xel
