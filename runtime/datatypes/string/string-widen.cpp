// Writing single code points into string buffers, widening the unit in place
// when the code point needs a wider one.
#include <cstring>

#include "runtime/datatypes/string/string.h"

namespace xel {

namespace {

// Rewrites the n units from the last to the first, so nothing is overwritten
// before it is read; the buffer first grows to `required` bytes when smaller.
template <class From, class To> SeriesBuf* widen(SeriesBuf* buf, uint32_t required) {
    uint32_t n = buf->used() / sizeof(From);
    if (buf->data_end() - buf->head < required) buf = expand_series_copy(buf, required);
    uint8_t* base = at(buf->head);
    for (uint32_t i = n; i-- > 0;) {
        From v;
        std::memcpy(&v, base + i * sizeof(From), sizeof v);
        To w = v;
        std::memcpy(base + i * sizeof(To), &w, sizeof w);
    }
    buf->tail = buf->head + n * sizeof(To);
    buf->flags = (buf->flags & ~kUnitMask) | sizeof(To);
    return buf;
}

// The unit a code point needs when written over existing units (Latin-1 fits 1).
uint32_t poke_unit(uint32_t cp) {
    return cp <= 0xFF ? 1 : cp <= 0xFFFF ? 2 : 4;
}

// The unit a code point needs when appended (a 1-byte buffer keeps ASCII only).
uint32_t append_unit(uint32_t cp) {
    return cp <= 0x7F ? 1 : cp <= 0xFFFF ? 2 : 4;
}

SeriesBuf* widen_for(SeriesBuf* buf, uint32_t need) {
    uint32_t unit = buf->unit();
    return need > unit ? string_widen_to(buf, unit, need) : buf;
}

} // namespace

SeriesBuf* string_widen_1_to_2(SeriesBuf* buf) {
    return widen<uint8_t, uint16_t>(buf, 2 * buf->used() + 2);
}

SeriesBuf* string_widen_1_to_4(SeriesBuf* buf) {
    return widen<uint8_t, uint32_t>(buf, 4 * buf->used() + 4);
}

SeriesBuf* string_widen_2_to_4(SeriesBuf* buf) {
    return widen<uint16_t, uint32_t>(buf, 4 * (buf->used() / 2) + 4);
}

SeriesBuf* string_widen_to(SeriesBuf* buf, uint32_t unit, uint32_t new_unit) {
    if (unit == 1 && new_unit == 2) return string_widen_1_to_2(buf);
    if (unit == 1 && new_unit == 4) return string_widen_1_to_4(buf);
    if (unit == 2 && new_unit == 4) return string_widen_2_to_4(buf);
    if (unit == new_unit) return buf;
    string_unit_fault();
}

SeriesBuf* string_append_char(SeriesBuf* buf, uint32_t cp) {
    buf = widen_for(buf, append_unit(cp));
    uint32_t unit = buf->unit();
    if (buf->tail + unit > buf->data_end()) buf = expand_series_copy(buf, 0);
    string_put_char(at(buf->tail), unit, cp);
    buf->tail += unit;
    return buf;
}

SeriesBuf* string_poke_char(SeriesBuf* buf, uint8_t* unit_address, uint32_t cp) {
    uint32_t index = (offset_of(unit_address) - buf->head) / buf->unit();
    buf = widen_for(buf, poke_unit(cp));
    string_put_char(at(buf->head + index * buf->unit()), buf->unit(), cp);
    return buf;
}

SeriesBuf* string_poke_char_at(SeriesBuf* buf, uint32_t index, uint32_t cp) {
    buf = widen_for(buf, poke_unit(cp));
    uint32_t unit = buf->unit();
    uint64_t end = uint64_t{index + 1} * unit;
    while (end > buf->data_end() - buf->head)
        buf = expand_series_copy(buf, 0);
    Offset p = buf->head + index * unit;
    string_put_char(at(p), unit, cp);
    if (p == buf->tail) buf->tail += unit;
    return buf;
}

SeriesBuf* string_insert_char_at(SeriesBuf* buf, uint32_t index, uint32_t cp) {
    buf = widen_for(buf, poke_unit(cp));
    uint32_t unit = buf->unit();
    if (buf->tail + unit > buf->data_end()) buf = expand_series_copy(buf, buf->size + unit);
    Offset p = buf->head + index * unit;
    if (p > buf->tail) p = buf->tail;
    std::memmove(at(p + unit), at(p), buf->tail - p);
    string_put_char(at(p), unit, cp);
    buf->tail += unit;
    return buf;
}

} // namespace xel
