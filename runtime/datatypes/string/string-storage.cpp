// String cells: making them and reading their units.
#include <cstring>

#include "runtime/core/fatal.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/stack/stack.h"
#include "runtime/text/casefold.h"
#include "runtime/text/unicode.h"

namespace xel {

void string_unit_fault() {
    runtime_error(kErrNoSwitch,
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_return_address(0))));
}

Cell* string_make_at(Cell* c, uint32_t capacity_bytes) {
    return string_make_at_unit(c, capacity_bytes, 1);
}

Cell* string_make_at_unit(Cell* c, uint32_t units, uint32_t unit) {
    // unset! while allocating, so a collection meanwhile sees no half-made string.
    *c = Cell{T_UNSET, 0, 0, 0};
    Offset node = alloc_series(units ? units : 1, unit, 0);
    *c = Cell{T_STRING, 0, node, 0};
    return c;
}

Cell* string_push(const Cell* str) {
    return stack_push(str);
}

int string_xs_length(const Cell* str) {
    const SeriesBuf* buf = string_buffer(str);
    uint32_t units = buf->used() / buf->unit();
    return str->data1 < units ? static_cast<int>(units - str->data1) : 0;
}

uint32_t string_xs_length_from_head(const Cell* str) {
    const SeriesBuf* buf = string_buffer(str);
    return buf->used() / buf->unit();
}

bool string_xs_tail(const Cell* str) {
    return string_xs_length(str) == 0;
}

uint8_t* string_xs_tail_address(const Cell* str) {
    return at(string_buffer(str)->tail);
}

uint8_t* string_char_at_index(Cell* str) {
    const SeriesBuf* buf = string_buffer(str);
    uint32_t units = buf->used() / buf->unit();
    if (str->data1 > units) str->data1 = units;
    return at(buf->head + str->data1 * buf->unit());
}

uint32_t string_char_at(const Cell* str, uint32_t index) {
    const SeriesBuf* buf = string_buffer(str);
    return string_get_char(at(buf->head + index * buf->unit()), buf->unit());
}

int string_find_char(const Cell* str, uint32_t cp) {
    const SeriesBuf* buf = string_buffer(str);
    uint32_t unit = buf->unit();
    int n = string_xs_length(str);
    const uint8_t* p = at(buf->head + str->data1 * unit);
    for (int i = 0; i < n; i++, p += unit)
        if (string_get_char(p, unit) == cp) return i;
    return -1;
}

bool string_contains_char(const Cell* str, uint32_t cp, uint32_t step, bool strict) {
    const SeriesBuf* buf = string_buffer(str);
    uint32_t unit = buf->unit();
    uint32_t n = static_cast<uint32_t>(string_xs_length(str));
    if (step == 0) step = 1;
    const uint8_t* p = at(buf->head + str->data1 * unit);
    int32_t want = strict ? static_cast<int32_t>(cp)
                          : casefold_convert_char(static_cast<int32_t>(cp), kFoldLower);
    for (uint32_t i = 0; i < n; i += step) {
        auto c = static_cast<int32_t>(string_get_char(p + i * unit, unit));
        if (!strict) c = casefold_convert_char(c, kFoldLower);
        if (c == want) return true;
    }
    return false;
}

bool string_starts_with(const Cell* str, const char* text) {
    const SeriesBuf* buf = string_buffer(str);
    uint32_t unit = buf->unit();
    uint32_t len = static_cast<uint32_t>(std::strlen(text));
    if (static_cast<uint32_t>(string_xs_length(str)) < len) return false;
    const uint8_t* p = at(buf->head + str->data1 * unit);
    for (uint32_t i = 0; i < len; i++)
        if (string_get_char(p + i * unit, unit) != static_cast<uint8_t>(text[i])) return false;
    return true;
}

std::string string_utf8_text(const Cell* str) {
    const SeriesBuf* buf = string_buffer(str);
    uint32_t unit = buf->unit();
    int n = string_xs_length(str);
    const uint8_t* p = at(buf->head + str->data1 * unit);
    std::string out;
    uint8_t bytes[4];
    for (int i = 0; i < n; i++, p += unit) {
        int k = utf8_encode_char(static_cast<int32_t>(string_get_char(p, unit)), bytes);
        out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(k));
    }
    return out;
}

void string_xs_reset(Cell* str) {
    SeriesBuf* buf = string_buffer(str);
    buf->tail = buf->head;
    buf->flags = (buf->flags & ~kUnitMask) | 1;
    str->data1 = 0;
}

void string_truncate_at(SeriesBuf* buf, uint32_t index) {
    // Compared in units: a large index in bytes would wrap past the arena.
    if (index < buf->used() / buf->unit()) buf->tail = buf->head + index * buf->unit();
}

void string_remove_units(Cell* str, uint32_t index, uint32_t n) {
    SeriesBuf* buf = string_buffer(str);
    uint32_t unit = buf->unit();
    uint32_t units = buf->used() / unit;
    if (index >= units) return;
    if (n > units - index) n = units - index;
    uint8_t* p = at(buf->head + index * unit);
    std::memmove(p, p + n * unit, (units - index - n) * unit);
    buf->tail -= n * unit;
}

} // namespace xel
