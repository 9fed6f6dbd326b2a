// compare, and~, or~, xor~ and complement on binaries.
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/binary/binary.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

int binary_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_BINARY) return -2;
    if (op == kCmpSame)
        return value1->data2 == value2->data2 && value1->data1 == value2->data1 ? 0 : -1;
    uint32_t na = binary_xs_length(value1);
    uint32_t nb = binary_xs_length(value2);
    bool equality = op <= kCmpStrictEqual || op == kCmpFind;
    if (equality && na != nb) return 1;
    int d = std::memcmp(binary_xs_head(value1), binary_xs_head(value2), na < nb ? na : nb);
    if (d) return d < 0 ? -1 : 1;
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

void binary_do_bitwise(int op) {
    Cell* args = stack_arguments();
    Cell a = args[0];
    Cell b = args[1];
    if (type_of(&b) != T_BINARY) {
        Cell type = datatype_cell(type_of(&b));
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    uint32_t na = binary_xs_length(&a);
    uint32_t nb = binary_xs_length(&b);
    uint32_t n = na > nb ? na : nb;
    Cell made;
    binary_make_at(&made, n);
    const uint8_t* pa = binary_xs_head(&a);
    const uint8_t* pb = binary_xs_head(&b);
    SeriesBuf* buf = buffer_of(made.data2);
    uint8_t* out = at(buf->head);
    for (uint32_t i = 0; i < n; i++) {
        bool both = i < na && i < nb;
        uint8_t x = i < na ? pa[i] : pb[i];
        switch (op) {
        case kMathAnd:
            out[i] = both ? static_cast<uint8_t>(pa[i] & pb[i]) : 0;
            break;
        case kMathOr:
            out[i] = both ? static_cast<uint8_t>(pa[i] | pb[i]) : x;
            break;
        default:
            out[i] = both ? static_cast<uint8_t>(pa[i] ^ pb[i]) : x;
        }
    }
    buf->tail = buf->head + n;
    stack_set_last(&made);
}

Cell* binary_complement(Cell* value) {
    Cell bin = *value;
    uint32_t n = binary_xs_length(&bin);
    Cell made;
    binary_make_at(&made, n);
    const uint8_t* in = binary_xs_head(&bin);
    SeriesBuf* buf = buffer_of(made.data2);
    uint8_t* out = at(buf->head);
    for (uint32_t i = 0; i < n; i++)
        out[i] = static_cast<uint8_t>(~in[i]);
    buf->tail = buf->head + n;
    return stack_set_last(&made);
}

} // namespace xel
