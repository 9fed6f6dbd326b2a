// The bitwise core behind and~, or~, xor~ and the set operations, and the
// compare action.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// Every operand is an endless row of bits: its stored bytes, then its
// background (all ones when negated). The result is exact for negated
// operands too: each byte and the background go through the same operation.
uint8_t combine(int op, uint8_t a, uint8_t b) {
    switch (op) {
    case kMathOr:
    case kSetUnion:
        return a | b;
    case kMathAnd:
    case kSetIntersect:
        return a & b;
    case kSetExclude:
        return a & static_cast<uint8_t>(~b);
    default: // xor~ and difference
        return a ^ b;
    }
}

} // namespace

void bitset_do_bitwise(int op) {
    Cell* args = stack_arguments();
    Cell a = args[0];
    Cell b = args[1];
    if (type_of(&b) != T_BITSET) {
        Cell type{T_DATATYPE, type_of(&b), 0, 0};
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    if (op == kSetUnique) return;
    uint32_t la = bitset_size(&a);
    uint32_t lb = bitset_size(&b);
    uint8_t ground_a = bitset_negated(&a) ? 0xFF : 0x00;
    uint8_t ground_b = bitset_negated(&b) ? 0xFF : 0x00;
    uint8_t ground = combine(op, ground_a, ground_b);
    uint32_t n = la > lb ? la : lb;

    Cell made;
    bitset_make_at(&made, n, 0);
    const uint8_t* pa = bitset_xs_head(&a);
    const uint8_t* pb = bitset_xs_head(&b);
    uint8_t* out = bitset_xs_head(&made);
    for (uint32_t i = 0; i < n; i++)
        out[i] = combine(op, i < la ? pa[i] : ground_a, i < lb ? pb[i] : ground_b);
    if (op == kMathAnd) {
        // and~ ends at the shorter operand when the bytes beyond it add
        // nothing to the background.
        uint32_t m = la < lb ? la : lb;
        uint32_t end = n;
        while (end > m && out[end - 1] == ground)
            end--;
        if (end == m) buffer_of(made.data2)->tail = buffer_of(made.data2)->head + m;
    }
    if (ground) series_or_flags(made.data2, kBitsetNegated);
    *stack_arguments() = made;
}

int bitset_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_BITSET) return -2;
    if (op == kCmpSame) return value1->data2 == value2->data2 ? 0 : 1;
    uint32_t la = bitset_size(value1);
    uint32_t lb = bitset_size(value2);
    if (la != lb) return la < lb ? -1 : 1;
    if (la == 0) return 0;
    bool na = bitset_negated(value1);
    bool nb = bitset_negated(value2);
    if (na != nb) return na ? 1 : -1;
    const uint8_t* pa = bitset_xs_head(value1);
    const uint8_t* pb = bitset_xs_head(value2);
    for (uint32_t i = la; i-- > 0;)
        if (pa[i] != pb[i]) return pa[i] < pb[i] ? -1 : 1;
    return 0;
}

} // namespace xel
