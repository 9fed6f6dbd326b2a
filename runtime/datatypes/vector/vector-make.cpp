// make vector!: from a count of zero integers, or from a spec block naming
// the item type (and width) before a block of items or a count, or holding
// the items alone.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

struct VectorSpec {
    uint8_t type = T_INTEGER;
    uint32_t unit = 4;
    Cell items{T_NONE, 0, 0, 0}; // a block position, or none!
    int64_t count = 0;           // items asked for beyond the listed ones
};

[[noreturn]] void bad_make(const Cell* spec) {
    Cell type = datatype_cell(T_VECTOR);
    error_fire_bad_make_arg(&type, spec);
}

uint8_t type_named(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    if (s == symbol_resolve(g_sym_char_type)) return T_CHAR;
    if (s == symbol_resolve(g_sym_integer_type)) return T_INTEGER;
    if (s == symbol_resolve(g_sym_float_type)) return T_FLOAT;
    if (s == symbol_resolve(g_sym_percent_type)) return T_PERCENT;
    return 0;
}

uint32_t default_unit(uint8_t type) {
    return type == T_FLOAT || type == T_PERCENT ? 8 : 4;
}

// The unit for a width in bits, 0 when the type has no such width.
uint32_t unit_for_bits(uint8_t type, int32_t bits) {
    if (type == T_PERCENT) return 8;
    if (type == T_FLOAT) return bits == 32 ? 4 : bits == 64 ? 8 : 0;
    return bits == 8 ? 1 : bits == 16 ? 2 : bits == 32 ? 4 : 0;
}

// The typed form: a type word, its width in bits (optional for percent!
// only), then a block of items or an item count.
VectorSpec parse_typed(const Cell* spec, const Cell* cells, uint32_t n) {
    VectorSpec v;
    if (n < 2) bad_make(spec);
    v.type = type_named(&cells[0]);
    if (!v.type) bad_make(spec);
    uint32_t k = 1;
    if (type_of(&cells[k]) == T_INTEGER) {
        v.unit = unit_for_bits(v.type, static_cast<int32_t>(cells[k].data2));
        if (!v.unit) bad_make(spec);
        k++;
    } else if (v.type == T_PERCENT) {
        v.unit = 8;
    } else {
        error_fire(kCatScript, err::script::kInvalidSpecField, spec);
    }
    if (k + 1 != n) bad_make(spec);
    if (type_of(&cells[k]) == T_BLOCK)
        v.items = cells[k];
    else if (type_of(&cells[k]) == T_INTEGER)
        v.count = static_cast<int32_t>(cells[k].data2);
    else
        bad_make(spec);
    return v;
}

VectorSpec parse_spec(const Cell* spec) {
    Cell blk = *spec;
    auto n = static_cast<uint32_t>(block_length_at(&blk));
    if (n == 0) return {};
    const Cell* cells = block_rs_head(&blk);
    if (type_of(&cells[0]) == T_WORD) return parse_typed(spec, cells, n);
    VectorSpec v;
    v.type = type_of(&cells[0]);
    if (!vector_item_type_ok(v.type)) {
        Cell type = datatype_cell(v.type);
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    v.unit = default_unit(v.type);
    v.items = blk;
    return v;
}

Cell* make_from(const VectorSpec& v) {
    Cell items = v.items;
    uint32_t listed =
        type_of(&items) == T_BLOCK ? static_cast<uint32_t>(block_length_at(&items)) : 0;
    uint32_t size = listed;
    if (v.count > size) size = static_cast<uint32_t>(v.count);
    Cell* result = stack_arguments();
    vector_make_at(result, size ? size : 1, v.unit, v.type);
    SeriesBuf* buf = series_buffer(result);
    for (uint32_t i = 0; i < listed; i++) {
        const Cell* item = block_rs_head(&items) + i;
        if (type_of(item) != v.type) error_fire(kCatScript, err::script::kInvalidArg, item);
        vector_set_item(at(buf->head) + i * v.unit, item, v.unit);
    }
    std::memset(at(buf->head) + listed * v.unit, 0, (size - listed) * v.unit);
    buf->tail = buf->head + size * v.unit;
    return result;
}

} // namespace

Cell* vector_make(Cell* proto, Cell* spec, int type) {
    (void)proto;
    (void)type;
    Cell s = *spec;
    switch (type_of(&s)) {
    case T_INTEGER:
    case T_FLOAT: {
        VectorSpec v;
        v.count = float_to_integer_checked(&s);
        return make_from(v);
    }
    case T_BLOCK:
        return make_from(parse_spec(&s));
    default:
        error_fire(kCatInternal, err::internal::kNotDone);
    }
}

} // namespace xel
