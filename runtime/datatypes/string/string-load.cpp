// Text from outside into string buffers: UTF-8, UTF-16LE and Windows-1251
// bytes, stored in the narrowest unit and widened while reading.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

// The low-level console print, then the end of the process with status 0: what
// the loaders do with input they cannot represent.
[[noreturn]] void input_fault(const char* text) {
    (void)!write(1, text, std::strlen(text));
    (void)!write(1, "\n", 1);
    std::exit(0);
}

[[noreturn]] void invalid_utf8(const uint8_t* bytes, uint32_t n) {
    uint8_t copy[4];
    if (n > 4) n = 4;
    std::memcpy(copy, bytes, n);
    Cell arg;
    string_bytes_to_binary(&arg, copy, n);
    error_fire(kCatAccess, err::access::kInvalidUtf8, &arg);
}

// Writes code points at a running index from the buffer's head, widening by the
// Latin-1 rule and growing wider buffers by `grow` bytes when full.
struct UnitWriter {
    Offset node;
    uint32_t count = 0;

    SeriesBuf* buf() const { return buffer_of(node); }

    void put(uint32_t cp, uint32_t grow) {
        SeriesBuf* b = buf();
        uint32_t unit = b->unit();
        uint32_t need = cp <= 0xFF ? 1 : cp <= 0xFFFF ? 2 : 4;
        if (need > unit) {
            b->tail = b->head + count * unit;
            b = string_widen_to(b, unit, need);
            unit = need;
        }
        if (b->head + (count + 1) * unit > b->data_end()) {
            b->tail = b->head + count * unit;
            b = expand_series_copy(b, int64_t{b->size} + (grow > unit ? grow : unit));
        }
        string_put_char(at(b->head + count * unit), unit, cp);
        count++;
    }
    // n bytes below 0x80, each one character.
    void put_ascii(const uint8_t* p, uint32_t n, uint32_t grow) {
        SeriesBuf* b = buf();
        uint32_t unit = b->unit();
        if (b->head + (count + n) * unit > b->data_end()) {
            b->tail = b->head + count * unit;
            b = expand_series_copy(b, int64_t{b->size} + std::max(grow, n * unit));
        }
        uint8_t* out = at(b->head + count * unit);
        if (unit == 1) {
            std::memcpy(out, p, n);
        } else {
            for (uint32_t i = 0; i < n; i++)
                string_put_char(out + i * unit, unit, p[i]);
        }
        count += n;
    }
    void finish() const {
        SeriesBuf* b = buf();
        b->tail = b->head + count * b->unit();
    }
};

// The target of a load of `length` units: the given buffer, grown when smaller
// (keeping its unit), or a new 1-byte buffer.
Offset load_target(SeriesBuf* target, uint32_t length) {
    uint32_t want = length ? length : 1;
    if (!target) return alloc_series(want, 1, 0);
    uint32_t unit = target->unit();
    if ((target->data_end() - target->head) / unit < want)
        target = expand_series_copy(target, int64_t{want} * unit);
    return target->node;
}

} // namespace

Cell* string_bytes_to_binary(Cell* c, const uint8_t* bytes, uint32_t n) {
    *c = Cell{T_UNSET, 0, 0, 0};
    Offset node = alloc_bytes(n ? n : 1);
    SeriesBuf* buf = buffer_of(node);
    if (n) std::memcpy(at(buf->head), bytes, n);
    buf->tail = buf->head + n;
    *c = Cell{T_BINARY, 0, node, 0};
    return c;
}

Offset string_load_utf8(const uint8_t* src, uint32_t length, SeriesBuf* target,
                        uint32_t* bytes_left, bool cr) {
    UnitWriter w{load_target(target, length)};
    if (bytes_left) *bytes_left = 0;
    if (length >= 3 && src[0] == 0xEF && src[1] == 0xBB && src[2] == 0xBF) {
        src += 3;
        length -= 3;
    }
    const uint8_t* end = src + length;
    const uint32_t grow_2 = length / 4;
    while (src < end) {
        // Runs of plain ASCII (and CR when it is kept) go in at once.
        const uint8_t* run = src;
        while (run < end && *run < 0x80 && !(cr && *run == 13))
            run++;
        if (run != src) {
            w.put_ascii(src, static_cast<uint32_t>(run - src), grow_2);
            src = run;
            continue;
        }
        uint32_t len = static_cast<uint32_t>(end - src);
        int32_t cp = utf8_decode_char_replacing(src, &len);
        if (cp == kUtf8TooShort) {
            if (bytes_left) *bytes_left = static_cast<uint32_t>(end - src);
            break;
        }
        if (cp == kUtf8Refused) invalid_utf8(src, static_cast<uint32_t>(end - src));
        src += len;
        if (cr && cp == 13) {
            if (src < end && *src == 10) continue;
            cp = 10;
        }
        w.put(static_cast<uint32_t>(cp), w.buf()->unit() == 4 ? length : grow_2);
    }
    w.finish();
    return w.node;
}

Offset string_load_utf8_into(const uint8_t* src, uint32_t length, Cell* str, uint32_t* bytes_left) {
    return string_load_utf8(src, length, string_buffer(str), bytes_left, false);
}

Offset string_load_utf8_new(const uint8_t* src, uint32_t length) {
    return string_load_utf8(src, length, nullptr, nullptr, false);
}

Offset string_load_utf8_whole(const uint8_t* src, uint32_t length, bool cr) {
    uint32_t left = 0;
    Offset node = string_load_utf8(src, length, nullptr, &left, cr);
    if (left) invalid_utf8(src + length - left, left);
    return node;
}

Offset string_load_cp1251(const uint8_t* src, uint32_t length, Cell* str, bool cr) {
    Offset node;
    if (str) {
        node = load_target(string_buffer(str), length);
    } else {
        node = alloc_series(length + 1, 1, 0);
    }
    // The target's allocation may have moved the conversion buffer.
    if (!src && length) src = at(buffer_of(str->data3)->head);
    UnitWriter w{node};
    const uint8_t* end = src + length;
    const uint32_t grow_2 = length / 4;
    while (src < end) {
        uint8_t b = *src++;
        if (cr && b == 13) {
            if (src < end && *src == 10) continue;
            b = 10;
        }
        w.put(static_cast<uint32_t>(cp1251_to_code_point(b)),
              w.buf()->unit() == 4 ? length : grow_2);
    }
    w.finish();
    return w.node;
}

Offset string_load_utf16(const char16_t* src, uint32_t n, Cell* str, bool cr) {
    // With no units the source is never read (and may be null).
    const char16_t* scan = src || !n ? src : at<char16_t>(buffer_of(str->data3)->head);
    uint32_t unit = utf16_pick_unit(scan, n);
    Offset node;
    if (str) {
        SeriesBuf* buf = string_buffer(str);
        if ((buf->data_end() - buf->head) < n * unit) buf = expand_series_copy(buf, n * unit);
        buf->flags = (buf->flags & ~kUnitMask) | unit;
        node = buf->node;
    } else {
        node = n ? alloc_series(n, unit, 0) : alloc_series(1, 2, 0);
    }
    // The target's allocation may have moved the conversion buffer.
    if (!src && n) src = at<char16_t>(buffer_of(str->data3)->head);
    SeriesBuf* buf = buffer_of(node);
    uint8_t* out = at(buf->head);
    uint32_t stored = 0;
    for (uint32_t i = 0; i < n; i++) {
        uint32_t u = src[i];
        if (cr && u == 13) continue;
        if (unit == 4 && (u >> 8) >= 0xD8 && (u >> 8) <= 0xDB) {
            if (i + 1 >= n || (src[i + 1] >> 8) < 0xDC || (src[i + 1] >> 8) > 0xDF)
                input_fault("*** Input Error: invalid UTF-16LE codepoint");
            u = (((u & 0x3FF) << 10) | (src[++i] & 0x3FF)) + 0x10000;
        }
        string_put_char(out + stored * unit, unit, u);
        stored++;
    }
    buf->tail = buf->head + stored * unit;
    return node;
}

Cell* string_load_at(const uint8_t* src, uint32_t length, Cell* dst, int encoding) {
    if (!dst) dst = stack_push_cell();
    *dst = Cell{T_UNSET, 0, 0, 0};
    Offset node;
    switch (encoding) {
    case kEncodingUtf8:
        node = string_load_utf8_new(src, length);
        break;
    case kEncodingUtf16:
        node = string_load_utf16(reinterpret_cast<const char16_t*>(src), length, nullptr, false);
        break;
    default:
        input_fault("*** Loading Error: input encoding unsupported");
    }
    *dst = Cell{T_STRING, 0, node, 0};
    return dst;
}

Cell* string_load(const uint8_t* src, uint32_t length, int encoding) {
    return string_load_at(src, length, nullptr, encoding);
}

Cell* string_load_in(const uint8_t* src, uint32_t length, Cell* block, int encoding) {
    Cell made;
    string_load_at(src, length, &made, encoding);
    Cell* slot = series_alloc_tail_cell(buffer_of(block->data2));
    *slot = made;
    return slot;
}

Cell* string_from_utf8(const uint8_t* src, uint32_t length) {
    Cell* dst = stack_push_cell();
    string_make_at(dst, length);
    uint32_t left = 0;
    string_load_utf8_into(src, length, dst, &left);
    if (left) invalid_utf8(src + length - left, left);
    return dst;
}

} // namespace xel
