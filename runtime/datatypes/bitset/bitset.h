// bitset!: a set of non-negative integers (code points or plain numbers) in a
// byte buffer. The cell holds the node of a 1-byte-unit series in word 2; the
// bits start at the buffer's head whatever word 1 says. Bit n is byte n >> 3
// under mask 0x80 >> (n & 7). A negated bitset (buffer flag kBitsetNegated)
// counts every number beyond its stored bytes as a member; its stored bytes
// still hold plain membership.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/datatypes/string/string-view.h"

namespace xel {

// Spec operations of bitset_process_spec.
enum BitsetOp : int {
    kBitsetMax = 0,   // the largest number named (-1 when none)
    kBitsetSet = 1,   // add the numbers
    kBitsetTest = 2,  // 1 when every number is a member, else 0
    kBitsetClear = 3, // remove the numbers
};

// Who processes a spec: it only chooses the error raised for a bad spec
// (bad-make-arg, bad-to-arg, invalid-arg).
enum BitsetMode : int {
    kBitsetMake = 0,
    kBitsetTo = 1,
    kBitsetSeries = 2,
};

inline uint8_t* bitset_xs_head(const Cell* bitset) {
    return at(buffer_of(bitset->data2)->head);
}
// Stored bytes.
inline uint32_t bitset_size(const Cell* bitset) {
    return buffer_of(bitset->data2)->used();
}
inline bool bitset_negated(const Cell* bitset) {
    return (buffer_of(bitset->data2)->flags & kBitsetNegated) != 0;
}

// Writes a bitset! of n bytes, each set to fill, into c.
Cell* bitset_make_at(Cell* c, uint32_t bytes, uint8_t fill);
// Membership of n (a negative n reads as the negated flag).
bool bitset_test(const Cell* bitset, int64_t n);

// Applies op to every number of the spec (char!, integer!, float!, string!,
// or a block of those with low - high ranges). Not nested, set and max also
// size the bitset first to the largest number named.
int64_t bitset_process_spec(const Cell* spec, Cell* bitset, int op, bool nested, int mode);

// The bitwise core on the current frame's two arguments: op kMathOr (or~)
// and kSetUnion, kMathAnd (and~) and kSetIntersect, kMathXor (xor~) and
// kSetDifference, kSetExclude, kSetUnique (the first argument as it is). The
// result goes to the result slot.
void bitset_do_bitwise(int op);

// Stored bytes x 8 (the length? action; also sizes saved records).
int bitset_length(Cell* value);

// Actions.
Cell* bitset_make(Cell* proto, Cell* spec, int type);
Cell* bitset_to(Cell* proto, Cell* spec, int type);
int bitset_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent);
int bitset_form(Cell* value, Cell* buffer, Cell* arg, int part);
int bitset_compare(Cell* value1, Cell* value2, int op);
Cell* bitset_complement(Cell* value);
Cell* bitset_copy(Cell* value, Cell* part, bool deep, Cell* types);

} // namespace xel
