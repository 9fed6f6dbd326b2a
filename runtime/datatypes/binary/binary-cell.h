// binary!: a series cell (head index in word 1, node in word 2) over a buffer
// of 1-byte units.
//
// Buffers move on allocation: addresses from binary_xs_head are good only
// until the next call that may allocate.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

// Writes a new empty binary! (head 0) with room for capacity bytes.
void binary_make_at(Cell* c, uint32_t capacity);
// Writes a new binary! of n bytes, their values to be written at the address
// given (good until the next call that may allocate).
uint8_t* binary_make_sized(Cell* c, uint32_t n);

// The position clamped to the buffer (a negative index reads as the head).
inline uint32_t binary_clamped_index(const Cell* bin) {
    uint32_t used = buffer_of(bin->data2)->used();
    auto index = static_cast<int32_t>(bin->data1);
    if (index < 0) return 0;
    return static_cast<uint32_t>(index) < used ? static_cast<uint32_t>(index) : used;
}
// Bytes from the position to the tail (0 past the tail).
inline uint32_t binary_xs_length(const Cell* bin) {
    return buffer_of(bin->data2)->used() - binary_clamped_index(bin);
}
// Address of the byte at the position (the tail when past it).
inline uint8_t* binary_xs_head(const Cell* bin) {
    return at(buffer_of(bin->data2)->head + binary_clamped_index(bin));
}
// Up to max bytes from the position, read big-endian into the low end of the
// result (the bits of an integer or a double converted from a binary).
inline uint64_t binary_leading_bits(const Cell* bin, uint32_t max) {
    uint32_t length = binary_xs_length(bin);
    const uint8_t* bytes = binary_xs_head(bin);
    uint64_t bits = 0;
    for (uint32_t i = 0; i < length && i < max; i++)
        bits = bits << 8 | bytes[i];
    return bits;
}

// The byte of an integer! from -128 to 255 (a negative one as its two's
// complement); any other number raises script out-of-range with the value.
uint8_t binary_integer_byte(const Cell* value);
// Stores an integer! (as above) or a char! up to 255 as the byte at the
// address; other types raise script invalid-arg, a wider char! out-of-range,
// both with the value.
void binary_set_byte(const Cell* value, uint8_t* byte);

// Inserts n bytes at an index counted from the buffer's head (an index past
// the tail is the tail); the tail moves up, and a buffer without room grows
// to n + 2 x its size. The bytes must not lie in the binary's own buffer.
void binary_xs_insert(Cell* bin, uint32_t index, const uint8_t* bytes, uint32_t n);
// binary_xs_insert at the tail.
void binary_xs_append(Cell* bin, const uint8_t* bytes, uint32_t n);

} // namespace xel
