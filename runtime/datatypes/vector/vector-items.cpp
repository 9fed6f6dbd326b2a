// Reading and writing vector items, and the cell helpers other code uses.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

int32_t read_int(const uint8_t* item, uint32_t unit) {
    switch (unit) {
    case 1:
        return static_cast<int8_t>(*item);
    case 2: {
        int16_t v;
        std::memcpy(&v, item, 2);
        return v;
    }
    default: {
        int32_t v;
        std::memcpy(&v, item, 4);
        return v;
    }
    }
}

double read_float(const uint8_t* item, uint32_t unit) {
    if (unit == 4) {
        float f;
        std::memcpy(&f, item, 4);
        return f;
    }
    double d;
    std::memcpy(&d, item, 8);
    return d;
}

} // namespace

Cell* vector_make_at(Cell* slot, uint32_t count, uint32_t unit, uint8_t item_type) {
    if (uint64_t{count} * unit > UINT32_MAX) error_fire(kCatInternal, err::internal::kNoMemory);
    Offset node = alloc_units(count, unit);
    *slot = Cell{T_VECTOR, 0, node, item_type};
    return slot;
}

Cell vector_item_value(const uint8_t* item, uint32_t unit, uint8_t item_type) {
    Cell c{item_type, 0, 0, 0};
    if (item_type == T_FLOAT || item_type == T_PERCENT)
        cell_set_double(&c, read_float(item, unit));
    else
        c.data2 = static_cast<uint32_t>(read_int(item, unit));
    return c;
}

Cell* vector_push_item(const uint8_t* item, uint32_t unit, uint8_t item_type) {
    Cell c = vector_item_value(item, unit, item_type);
    return stack_push(&c);
}

void vector_set_item(uint8_t* item, const Cell* value, uint32_t unit) {
    switch (type_of(value)) {
    case T_CHAR:
    case T_INTEGER: {
        // Little-endian: the low bytes of the value are its low bits.
        uint32_t v = value->data2;
        std::memcpy(item, &v, unit < 4 ? unit : 4);
        return;
    }
    case T_FLOAT:
    case T_PERCENT: {
        double d = cell_double(value);
        if (unit == 4) {
            auto f = static_cast<float>(d);
            std::memcpy(item, &f, 4);
        } else {
            std::memcpy(item, &d, 8);
        }
        return;
    }
    default: {
        Cell type = datatype_cell(type_of(value));
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    }
}

uint8_t* vector_item_at(const Cell* v, uint32_t index) {
    SeriesBuf* buf = series_buffer(v);
    return at(buf->head) + (index << unit_shift(buf->unit()));
}

int vector_xs_length(const Cell* v) {
    uint32_t len = series_buffer_length(v);
    int32_t i = series_index(v);
    if (i < 0) i = 0;
    return static_cast<uint32_t>(i) >= len ? 0 : static_cast<int>(len - static_cast<uint32_t>(i));
}

void vector_xs_clear(Cell* v) {
    SeriesBuf* buf = series_buffer(v);
    uint32_t i = series_clamped_index(v);
    buf->tail = buf->head + (i << unit_shift(buf->unit()));
}

void vector_xs_append_int(Cell* v, int32_t value) {
    SeriesBuf* buf = series_buffer(v);
    uint32_t unit = buf->unit();
    if (buf->tail + unit > buf->data_end())
        buf = expand_series_copy(buf, int64_t{buf->size} * 2 + unit);
    uint8_t type = vector_item_type(v);
    Cell item{T_INTEGER, 0, static_cast<uint32_t>(value), 0};
    if (type == T_FLOAT || type == T_PERCENT) {
        item.header = type;
        cell_set_double(&item, value);
    }
    vector_set_item(at(buf->tail), &item, unit);
    buf->tail += unit;
}

void vector_to_block(const Cell* v, Cell* out) {
    Cell vec = *v;
    auto n = static_cast<uint32_t>(vector_xs_length(&vec));
    Cell block;
    block_make_at(&block, static_cast<int>(n));
    uint32_t from = series_clamped_index(&vec);
    uint32_t unit = series_unit(&vec);
    for (uint32_t i = 0; i < n; i++) {
        Cell item = vector_item_value(vector_item_at(&vec, from + i), unit, vector_item_type(&vec));
        *block_alloc_tail_cell(&block) = item;
    }
    *out = block;
}

Cell vector_get(const Cell* v, uint32_t index) {
    return vector_item_value(vector_item_at(v, index), series_unit(v), vector_item_type(v));
}

void vector_poke(const Cell* v, uint32_t index, const Cell* value) {
    if (type_of(value) != vector_item_type(v))
        error_fire(kCatScript, err::script::kInvalidArg, value);
    vector_set_item(vector_item_at(v, index), value, series_unit(v));
}

} // namespace xel
