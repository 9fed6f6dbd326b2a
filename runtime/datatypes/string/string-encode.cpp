// Text for outside: UTF-8 and UTF-16LE from string units, into the value's
// reusable conversion buffer or into a buffer of the caller.
#include "runtime/datatypes/string/string.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

// Units from the position, cut to a limit that is not -1.
uint32_t units_to_convert(const Cell* str, int limit) {
    auto n = static_cast<uint32_t>(string_xs_length(str));
    if (limit >= 0 && static_cast<uint32_t>(limit) < n) n = static_cast<uint32_t>(limit);
    return n;
}

const uint8_t* position_address(const Cell* str) {
    const SeriesBuf* buf = string_buffer(str);
    return at(buf->head + str->data1 * buf->unit());
}

} // namespace

uint8_t* string_conversion_buffer(Cell* str, uint32_t n) {
    if (str->data3) {
        SeriesBuf* buf = buffer_of(str->data3);
        if (buf->size < n) buf = expand_series_copy(buf, n);
        return at(buf->head);
    }
    Offset node = alloc_bytes(n);
    str->data3 = node;
    return at(buffer_of(node)->head);
}

uint8_t* string_encode_utf8_cached(Cell* str, int* length, bool lf) {
    uint32_t n = units_to_convert(str, *length);
    uint32_t unit = string_buffer(str)->unit();
    uint32_t per_unit = unit == 1 ? 2 : unit == 2 ? 3 : 4;
    uint8_t* out = string_conversion_buffer(str, per_unit * (n + 1));
    const uint8_t* p = position_address(str);
    uint8_t* w = out;
    for (uint32_t i = 0; i < n; i++, p += unit) {
        auto cp = static_cast<int32_t>(string_get_char(p, unit));
        if (lf && cp == 10) *w++ = 13;
        w += utf8_encode_char(cp, w);
    }
    *w = 0;
    *length = static_cast<int>(w - out);
    return out;
}

uint8_t* string_to_utf8(Cell* str, int* length) {
    return string_encode_utf8_cached(str, length, false);
}

uint8_t* string_to_utf8_data(Cell* str, int* length, bool lf) {
    return string_encode_utf8_cached(str, length, lf);
}

uint32_t string_encode_utf8_into(const Cell* str, uint8_t* out, int limit, bool nul) {
    uint32_t n = units_to_convert(str, limit);
    uint32_t unit = string_buffer(str)->unit();
    const uint8_t* p = position_address(str);
    uint8_t* w = out;
    for (uint32_t i = 0; i < n; i++, p += unit)
        w += utf8_encode_char(static_cast<int32_t>(string_get_char(p, unit)), w);
    if (nul) *w = 0;
    return static_cast<uint32_t>(w - out);
}

uint32_t string_encode_utf8_bounded(const Cell* str, uint8_t* out, int room, int limit, bool nul) {
    uint32_t n = units_to_convert(str, limit > 0 ? limit : -1);
    uint32_t unit = string_buffer(str)->unit();
    const uint8_t* p = position_address(str);
    uint8_t* w = out;
    for (uint32_t i = 0; i < n && room > 0; i++, p += unit) {
        auto cp = static_cast<int32_t>(string_get_char(p, unit));
        int full = utf8_char_size(cp);
        int k = utf8_encode_char_bounded(cp, w, room);
        w += k;
        room -= k;
        if (k < full) break;
    }
    if (nul) *w = 0;
    return static_cast<uint32_t>(w - out);
}

char16_t* string_to_utf16_part(Cell* str, int* length, bool lf) {
    uint32_t n = units_to_convert(str, *length);
    uint32_t unit = string_buffer(str)->unit();
    uint32_t extra = 0;
    const uint8_t* p = position_address(str);
    for (uint32_t i = 0; i < n; i++, p += unit) {
        uint32_t cp = string_get_char(p, unit);
        if (cp == 10 || cp > 0xFFFF) extra += 2;
    }
    auto* out = reinterpret_cast<char16_t*>(string_conversion_buffer(str, 2 * n + 2 + extra));
    p = position_address(str);
    char16_t* w = out;
    for (uint32_t i = 0; i < n; i++, p += unit) {
        uint32_t cp = string_get_char(p, unit);
        if (cp > 0x10FFFF) return nullptr;
        if (lf && cp == 10) *w++ = 13;
        w += utf16_encode_char(static_cast<int32_t>(cp), w);
    }
    *w = 0;
    *length = static_cast<int>(w - out);
    return out;
}

char16_t* string_to_utf16(Cell* str) {
    int length = -1;
    return string_to_utf16_part(str, &length, true);
}

} // namespace xel
