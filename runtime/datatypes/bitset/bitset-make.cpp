// Making bitsets: make and to from a size, a binary, another bitset or a
// spec (optionally negated with a leading `not`), copy and complement.
#include <cmath>
#include <cstring>

#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// A new bitset over a copy of the buffer and its negation (not its ownership).
Cell copy_of(const Cell* bitset) {
    Offset node = copy_series(buffer_of(bitset->data2));
    buffer_of(node)->flags &= ~kFlagOwned;
    return Cell{T_BITSET, 0, node, 0};
}

bool is_not_word(const Cell* v) {
    return type_of(v) == T_WORD && symbol_resolve(word_symbol(v)) == symbol_resolve(g_sym_not);
}

// A bitset holding a copy of n bytes; with invert each byte is flipped.
Cell* from_bytes(Cell* out, const Cell* binary, bool invert) {
    Cell bin = *binary;
    SeriesBuf* src = buffer_of(bin.data2);
    uint32_t index = static_cast<int32_t>(bin.data1) < 0 ? 0 : bin.data1;
    uint32_t n = index < src->used() ? src->used() - index : 0;
    Cell made;
    bitset_make_at(&made, n, 0);
    const uint8_t* from = at(buffer_of(bin.data2)->head) + index;
    uint8_t* to = bitset_xs_head(&made);
    for (uint32_t i = 0; i < n; i++)
        to[i] = invert ? static_cast<uint8_t>(~from[i]) : from[i];
    if (invert) series_or_flags(made.data2, kBitsetNegated);
    *out = made;
    return out;
}

Cell* make_common(Cell* spec_arg, int mode) {
    Cell* out = stack_arguments();
    Cell spec = *spec_arg;
    bool negate = false;
    if (type_of(&spec) == T_BLOCK) {
        int32_t i = block_index(&spec) < 0 ? 0 : block_index(&spec);
        auto len = static_cast<int32_t>(block_buffer_length(&spec));
        if (i < len && is_not_word(block_cell_at(&spec, static_cast<uint32_t>(i)))) {
            negate = true;
            i++;
        }
        spec.data1 = static_cast<uint32_t>(i);
        if (i < len && type_of(block_cell_at(&spec, static_cast<uint32_t>(i))) == T_BINARY)
            spec = *block_cell_at(&spec, static_cast<uint32_t>(i));
    }
    switch (type_of(&spec)) {
    case T_INTEGER:
    case T_FLOAT: {
        if (mode == kBitsetTo) {
            Cell type{T_DATATYPE, T_BITSET, 0, 0};
            error_fire(kCatScript, err::script::kBadToArg, &type, &spec);
        }
        double bits = type_of(&spec) == T_INTEGER ? static_cast<int32_t>(spec.data2)
                                                  : std::trunc(cell_double(&spec));
        if (!(bits >= 0 && bits <= 0x7FFFFFFF))
            error_fire(kCatScript, err::script::kOutOfRange, &spec);
        return bitset_make_at(out, (static_cast<uint32_t>(bits) + 7) / 8, 0);
    }
    case T_BITSET:
        *out = copy_of(&spec);
        return out;
    case T_BINARY:
        return from_bytes(out, &spec, negate);
    default: {
        int64_t largest = bitset_process_spec(&spec, nullptr, kBitsetMax, false, mode);
        uint32_t bytes = largest < 0 ? 1 : static_cast<uint32_t>(largest >> 3) + 1;
        Cell made;
        bitset_make_at(&made, bytes, negate ? 0xFF : 0x00);
        if (negate) series_or_flags(made.data2, kBitsetNegated);
        bitset_process_spec(&spec, &made, negate ? kBitsetClear : kBitsetSet, true, mode);
        out = stack_arguments();
        *out = made;
        return out;
    }
    }
}

} // namespace

Cell* bitset_make_at(Cell* c, uint32_t bytes, uint8_t fill) {
    Offset node = alloc_bytes(bytes);
    SeriesBuf* buf = buffer_of(node);
    std::memset(at(buf->head), fill, bytes);
    buf->tail = buf->head + bytes;
    *c = Cell{T_BITSET, 0, node, 0};
    return c;
}

Cell* bitset_make(Cell*, Cell* spec, int) {
    return make_common(spec, kBitsetMake);
}

Cell* bitset_to(Cell*, Cell* spec, int) {
    return make_common(spec, kBitsetTo);
}

Cell* bitset_copy(Cell* value, Cell*, bool, Cell*) {
    Cell copy = copy_of(value);
    Cell* out = stack_arguments();
    *out = copy;
    return out;
}

Cell* bitset_complement(Cell* value) {
    Cell copy = copy_of(value);
    SeriesBuf* buf = buffer_of(copy.data2);
    uint8_t* bytes = at(buf->head);
    for (uint32_t i = 0; i < buf->used(); i++)
        bytes[i] = static_cast<uint8_t>(~bytes[i]);
    buf->flags ^= kBitsetNegated;
    Cell* out = stack_arguments();
    *out = copy;
    return out;
}

} // namespace xel
