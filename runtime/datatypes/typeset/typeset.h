// typeset!: a set of datatypes held in the cell itself. Words 1 to 3 are 96
// bits read as 12 bytes in memory order: type id t is the bit 0x80 >> (t & 7)
// of byte t >> 3, so the first byte's top bit is id 0 (never a type). Bits
// above the highest registered id may be set (complement, the default set)
// and every reader ignores them.
//
// Argument typesets of the interpreter's cached specs carry the argument's
// class in header bits 20-21.
#pragma once
#include <cstdint>
#include <cstring>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

// The set operations continue the math operation codes (5 or~, 6 and~, 7 xor~).
enum SetOp : int {
    kSetUnique = 8,
    kSetUnion = 9,
    kSetIntersect = 10,
    kSetExclude = 11,
    kSetDifference = 12,
};

inline const uint8_t* typeset_bytes(const Cell* ts) {
    return reinterpret_cast<const uint8_t*>(&ts->data1);
}
inline bool typeset_has(const Cell* ts, uint8_t type) {
    return (typeset_bytes(ts)[type >> 3] & (0x80u >> (type & 7))) != 0;
}
inline void typeset_set_type(Cell* ts, uint8_t type) {
    reinterpret_cast<uint8_t*>(&ts->data1)[type >> 3] |= static_cast<uint8_t>(0x80u >> (type & 7));
}
// A typeset cell of its twelve bit bytes.
inline Cell typeset_of_bytes(const uint8_t* bytes) {
    Cell c{T_TYPESET, 0, 0, 0};
    std::memcpy(&c.data1, bytes, 12);
    return c;
}
// A typeset cell with the given bit words.
inline Cell typeset_cell(uint32_t w1, uint32_t w2, uint32_t w3) {
    return Cell{T_TYPESET, w1, w2, w3};
}
// Every type but unset!: the set of an argument without a type block.
Cell typeset_default();

// Clears the three bit words; returns the cell.
Cell* typeset_clear(Cell* ts);
// Ids from 1 to the highest registered id whose bit is set.
uint32_t typeset_count_types(const Cell* ts);
// Append a typeset to a block and return the new cell (valid until the next allocation).
Cell* typeset_make_in(Cell* block, uint32_t w1, uint32_t w2, uint32_t w3);
Cell* typeset_make_default_in(Cell* block);
// The typeset of a function argument's type block: each word stands for its
// value (script no-value when it has none); a datatype! adds its bit, a
// typeset! its bits, a word! (a word naming a word) object!, a block!
// nothing; anything else raises script invalid-type-spec.
Cell* typeset_from_block(Cell* block, const Cell* types);
// Adds a datatype! or typeset! (a word! stands for its value); anything else
// raises script invalid-arg with the value as written.
void typeset_add_type(Cell* ts, const Cell* value);
// dst becomes a new block of the name words of the set's datatypes, in id order.
Cell* typeset_to_block(const Cell* ts, Cell* dst);
Cell* typeset_push(const Cell* ts);
// Combines the current frame's two arguments (a typeset, then a typeset! or
// datatype!) under a math or set operation code into the result slot.
void typeset_do_bitwise(int op);

// Actions.
Cell* typeset_make(Cell* proto, Cell* spec, int type);
Cell* typeset_complement(Cell* value);
Cell* typeset_find(Cell* series, Cell* value, const FindOptions& o);
int typeset_form(Cell* value, Cell* buffer, Cell* arg, int part);
int typeset_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                 int indent);
int typeset_compare(Cell* value1, Cell* value2, int op);

} // namespace xel
