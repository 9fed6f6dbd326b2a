// The text of a bitset: make bitset! #{...}, with [not ...] around the bytes
// of a negated one, whose bytes are written inverted (the non-members).
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/string/string.h"

namespace xel {

int bitset_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    Cell bitset = *value;
    bool negated = bitset_negated(&bitset);
    string_concatenate_literal(buffer, negated ? "make bitset! [not #{" : "make bitset! #{");
    part -= negated ? 20 : 15;
    for (uint32_t i = 0; i < bitset_size(&bitset); i++) {
        if (part <= 0) return part;
        uint8_t byte = bitset_xs_head(&bitset)[i];
        string_concatenate_literal(
            buffer, string_byte_to_hex(negated ? static_cast<uint8_t>(255 - byte) : byte));
        part -= 2;
    }
    string_concatenate_literal(buffer, negated ? "}]" : "}");
    return part - (negated ? 2 : 1);
}

int bitset_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return bitset_mold(value, buffer, false, false, false, arg, part, 0);
}

} // namespace xel
