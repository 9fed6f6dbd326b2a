// form and mold of vector!: the items separated by blanks; mold writes the
// make form that reads back as the same vector.
#include <cstring>

#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/text/float-text.h"
#include "runtime/text/integer-text.h"

namespace xel {

namespace {

// Kinds of float_form_value.
constexpr int kFloat32Item = 0;
constexpr int kFloat = 1;
constexpr int kPercent32Item = 2;
constexpr int kPercent = 3;

int append_text(Cell* buffer, const char* text, int part) {
    string_concatenate_literal(buffer, text);
    return part - static_cast<int>(std::strlen(text));
}

int append_char(Cell* buffer, uint32_t cp, int part) {
    string_append_char(string_buffer(buffer), cp);
    return part - 1;
}

const char* type_name(uint8_t type) {
    switch (type) {
    case T_CHAR:
        return "char!";
    case T_FLOAT:
        return "float!";
    case T_PERCENT:
        return "percent!";
    default:
        return "integer!";
    }
}

bool default_width(uint8_t type, uint32_t unit) {
    return unit == (type == T_FLOAT || type == T_PERCENT ? 8u : 4u);
}

int item_text(Cell* buffer, Cell* item, uint32_t unit, bool mold, int part) {
    switch (type_of(item)) {
    case T_CHAR:
        return mold ? char_mold(item, buffer, false, false, false, nullptr, part, 0)
                    : char_form(item, buffer, nullptr, part);
    case T_FLOAT:
        return append_text(
            buffer, float_form_value(cell_double(item), unit == 4 ? kFloat32Item : kFloat), part);
    case T_PERCENT:
        return append_text(
            buffer,
            float_form_value(cell_double(item) * 100.0, unit == 4 ? kPercent32Item : kPercent),
            part);
    default:
        return append_text(buffer, integer_to_text(static_cast<int32_t>(item->data2)), part);
    }
}

// The items from the position; a /part limit is checked before each item.
int items_text(Cell* value, Cell* buffer, bool mold, Cell* arg, int part) {
    Cell v = *value;
    uint32_t from = series_clamped_index(&v);
    uint32_t len = series_buffer_length(&v);
    uint32_t unit = series_unit(&v);
    for (uint32_t i = from; i < len; i++) {
        if (arg && part <= 0) return part;
        if (i > from) part = append_char(buffer, ' ', part);
        Cell item = vector_get(&v, i);
        part = item_text(buffer, &item, unit, mold, part);
    }
    return part;
}

} // namespace

int vector_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return items_text(value, buffer, false, arg, part);
}

int vector_mold(Cell* value, Cell* buffer, bool only, bool, bool, Cell* arg, int part, int) {
    Cell v = *value;
    uint8_t type = vector_item_type(&v);
    uint32_t unit = series_unit(&v);
    if (!only) part = append_text(buffer, "make vector! [", part);
    if (vector_xs_length(&v) > 0 && default_width(type, unit)) {
        part = items_text(&v, buffer, true, arg, part);
    } else {
        part = append_text(buffer, type_name(type), part);
        part = append_char(buffer, ' ', part);
        part = append_text(buffer, integer_to_text(static_cast<int32_t>(unit * 8)), part);
        part = append_text(buffer, " [", part);
        part = items_text(&v, buffer, true, arg, part);
        part = append_char(buffer, ']', part);
    }
    if (!only) part = append_char(buffer, ']', part);
    return part;
}

} // namespace xel
