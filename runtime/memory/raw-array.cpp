#include "runtime/memory/raw-array.h"

#include <bit>
#include <cstring>

#include "runtime/memory/series-memory.h"

namespace xel {

namespace {

int32_t* item_at(Offset node, uint32_t position) {
    return at<int32_t>(buffer_of(node)->head + (position - 1) * 4);
}

int32_t find_word(Offset node, uint32_t value) {
    const SeriesBuf* buf = buffer_of(node);
    for (Offset p = buf->head; p + 4 <= buf->tail; p += 4) {
        uint32_t item;
        std::memcpy(&item, at(p), 4);
        if (item == value) return static_cast<int32_t>(p - buf->head);
    }
    return -1;
}

} // namespace

uint32_t array_length(Offset node) {
    const SeriesBuf* buf = buffer_of(node);
    return buf->used() >> std::countr_zero(buf->unit());
}

void array_clear(Offset node) {
    SeriesBuf* buf = buffer_of(node);
    buf->tail = buf->head;
}

int32_t* array_append_int(Offset node, int32_t value) {
    auto* slot = reinterpret_cast<int32_t*>(series_reserve_tail(buffer_of(node), 4));
    *slot = value;
    return slot;
}

int32_t* array_append_int_at(Offset node, int32_t value) {
    return array_append_int(node, value);
}

int32_t array_pick_int(Offset node, uint32_t position) {
    return *item_at(node, position);
}

int32_t array_get_int(Offset node, uint32_t position) {
    return *item_at(node, position);
}

void array_set_int(Offset node, uint32_t position, int32_t value) {
    *item_at(node, position) = value;
}

int32_t array_find_int(Offset node, int32_t value) {
    return find_word(node, static_cast<uint32_t>(value));
}

int32_t array_find_pointer(Offset node, Offset address) {
    return find_word(node, address);
}

void array_remove_bytes(Offset node, uint32_t offset, uint32_t n) {
    SeriesBuf* buf = buffer_of(node);
    uint8_t* from = at(buf->head + offset);
    std::memmove(from, from + n, buf->tail - (buf->head + offset + n));
    buf->tail -= n;
}

} // namespace xel
