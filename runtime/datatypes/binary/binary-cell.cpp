#include "runtime/datatypes/binary/binary-cell.h"

#include <cstring>

#include "runtime/error-fire.h"

namespace xel {

void binary_make_at(Cell* c, uint32_t capacity) {
    // unset! while allocating, so a collection meanwhile sees no half-made value.
    *c = Cell{T_UNSET, 0, 0, 0};
    Offset node = alloc_series(capacity ? capacity : 1, 1, 0);
    *c = Cell{T_BINARY, 0, node, 0};
}

uint8_t* binary_make_sized(Cell* c, uint32_t n) {
    binary_make_at(c, n);
    SeriesBuf* b = buffer_of(c->data2);
    b->tail = b->head + n;
    return at(b->head);
}

uint8_t binary_integer_byte(const Cell* value) {
    auto n = static_cast<int32_t>(value->data2);
    if (n < -128 || n > 255) error_fire(kCatScript, err::script::kOutOfRange, value);
    return static_cast<uint8_t>(n);
}

void binary_set_byte(const Cell* value, uint8_t* byte) {
    uint8_t t = type_of(value);
    if (t == T_INTEGER) {
        *byte = binary_integer_byte(value);
        return;
    }
    if (t != T_CHAR) error_fire(kCatScript, err::script::kInvalidArg, value);
    if (value->data2 > 0xFF) error_fire(kCatScript, err::script::kOutOfRange, value);
    *byte = static_cast<uint8_t>(value->data2);
}

void binary_xs_insert(Cell* bin, uint32_t index, const uint8_t* bytes, uint32_t n) {
    if (n == 0) return;
    SeriesBuf* buf = buffer_of(bin->data2);
    uint32_t used = buf->used();
    if (index > used) index = used;
    if (buf->head + uint64_t{used} + n > buf->data_end()) {
        uint64_t grown = uint64_t{n} + 2 * uint64_t{buf->size};
        if (grown > INT32_MAX) error_fire(kCatInternal, err::internal::kNoMemory);
        buf = expand_series_copy(buf, static_cast<int64_t>(grown));
    }
    uint8_t* base = at(buf->head);
    std::memmove(base + index + n, base + index, used - index);
    std::memcpy(base + index, bytes, n);
    buf->tail += n;
}

void binary_xs_append(Cell* bin, const uint8_t* bytes, uint32_t n) {
    binary_xs_insert(bin, buffer_of(bin->data2)->used(), bytes, n);
}

} // namespace xel
