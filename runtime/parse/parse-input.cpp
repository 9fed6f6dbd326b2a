// The input under the engine: its kind, its extent, its values and copies
// of its parts.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/stack/stack.h"

namespace xel::parse {

void set_input(Engine& e, const Cell* series) {
    e.input = *series;
    cell_clear_new_line(&e.input);
    uint8_t t = type_of(series);
    e.kind = t == T_BINARY ? InputKind::kBinary
                           : (is_string_kind(t) ? InputKind::kString : InputKind::kBlock);
    e.outermost = input_height() == e.input_base + 1;
    int32_t index = series_index(series);
    uint32_t tail = input_tail(e);
    e.pos = index < 0 ? 0 : (static_cast<uint32_t>(index) > tail ? tail : index);
}

uint32_t input_tail(const Engine& e) {
    SeriesBuf* buf = series_buffer(&e.input);
    return e.kind == InputKind::kBlock ? buf->used() / sizeof(Cell) : buf->used() / buf->unit();
}

uint32_t input_end(const Engine& e) {
    uint32_t tail = input_tail(e);
    return e.outermost && e.limit && e.limit < tail ? e.limit : tail;
}

Cell input_at(const Engine& e, uint32_t index) {
    Cell c = e.input;
    series_set_index(&c, static_cast<int32_t>(index));
    return c;
}

Cell element_at(const Engine& e, uint32_t index) {
    SeriesBuf* buf = series_buffer(&e.input);
    switch (e.kind) {
    case InputKind::kBlock: {
        Cell c = at<Cell>(buf->head)[index];
        cell_clear_new_line(&c);
        return c;
    }
    case InputKind::kString: {
        Cell c{};
        char_set(&c, string_get_char(at(buf->head) + index * buf->unit(), buf->unit()));
        return c;
    }
    default: {
        Cell c;
        set_integer(&c, *at(buf->head + index));
        return c;
    }
    }
}

Cell copy_part(const Engine& e, uint32_t index, uint32_t count) {
    Cell from = input_at(e, index);
    Cell part;
    set_integer(&part, static_cast<int32_t>(count));
    Cell copy = *actions_copy_typed(&from, &part, false, nullptr);
    return copy;
}

bool same_series(const Engine& e, const Cell* value) {
    return is_series_kind(type_of(value)) && series_same_buffer(value, &e.input);
}

} // namespace xel::parse
