#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

void add_bits(Cell* ts, const Cell* other) {
    ts->data1 |= other->data1;
    ts->data2 |= other->data2;
    ts->data3 |= other->data3;
}

} // namespace

Cell typeset_default() {
    Cell ts = typeset_cell(~0u, ~0u, ~0u);
    reinterpret_cast<uint8_t*>(&ts.data1)[T_UNSET >> 3] &=
        static_cast<uint8_t>(~(0x80u >> (T_UNSET & 7)));
    return ts;
}

Cell* typeset_clear(Cell* ts) {
    ts->data1 = ts->data2 = ts->data3 = 0;
    return ts;
}

uint32_t typeset_count_types(const Cell* ts) {
    uint32_t n = 0;
    for (int id = 1; id <= g_highest_type; id++)
        if (typeset_has(ts, static_cast<uint8_t>(id))) n++;
    return n;
}

Cell* typeset_make_in(Cell* block, uint32_t w1, uint32_t w2, uint32_t w3) {
    Cell ts = typeset_cell(w1, w2, w3);
    return block_append_copy(block, &ts);
}

Cell* typeset_make_default_in(Cell* block) {
    Cell ts = typeset_default();
    return block_append_copy(block, &ts);
}

Cell* typeset_from_block(Cell* block, const Cell* types) {
    Cell ts = typeset_cell(0, 0, 0);
    Cell list = *types;
    for (uint32_t i = static_cast<uint32_t>(block_index(&list)); i < block_buffer_length(&list);
         i++) {
        Cell value = *block_cell_at(&list, i);
        if (type_of(&value) == T_WORD) value = *word_get_checked(&value);
        switch (type_of(&value)) {
        case T_DATATYPE:
            typeset_set_type(&ts, static_cast<uint8_t>(value.data1));
            break;
        case T_TYPESET:
            add_bits(&ts, &value);
            break;
        case T_WORD:
            typeset_set_type(&ts, T_OBJECT);
            break;
        case T_BLOCK:
            break;
        default:
            error_fire(kCatScript, err::script::kInvalidTypeSpec, &value);
        }
    }
    return block_append_copy(block, &ts);
}

void typeset_add_type(Cell* ts, const Cell* value) {
    Cell v = *value;
    if (type_of(&v) == T_WORD) v = *context_get(value);
    switch (type_of(&v)) {
    case T_DATATYPE:
        typeset_set_type(ts, static_cast<uint8_t>(v.data1));
        break;
    case T_TYPESET:
        add_bits(ts, &v);
        break;
    default:
        error_fire(kCatScript, err::script::kInvalidArg, value);
    }
}

Cell* typeset_to_block(const Cell* ts, Cell* dst) {
    Cell set = *ts;
    Cell out;
    block_make_at(&out, 4);
    for (int id = 1; id <= g_highest_type; id++) {
        if (!g_type_names[id].word || !typeset_has(&set, static_cast<uint8_t>(id))) continue;
        Cell name = *g_type_names[id].word;
        block_append_copy(&out, &name);
    }
    *dst = out;
    return dst;
}

Cell* typeset_push(const Cell* ts) {
    return stack_push(ts);
}

} // namespace xel
