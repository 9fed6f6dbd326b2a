// Raw arrays: growable arrays of 32-bit items (integers, arena addresses,
// handles) in an ordinary byte series, so they are allocated, grown and
// collected like any series while the collector never looks inside. The
// buffer's unit is the item size given at creation. Positions are 1-based
// items, offsets are bytes from the head; callers keep them in range.
#pragma once
#include <cstdint>

#include "runtime/memory/arena.h"

namespace xel {

// Items from the head to the tail: (tail - head) / unit.
uint32_t array_length(Offset node);
void array_clear(Offset node);
// Stores the value in 4 new bytes at the tail (doubling the buffer when
// full); returns the item's address, valid until the next allocation.
int32_t* array_append_int(Offset node, int32_t value);
int32_t* array_append_int_at(Offset node, int32_t value);
int32_t array_pick_int(Offset node, uint32_t position);
int32_t array_get_int(Offset node, uint32_t position);
void array_set_int(Offset node, uint32_t position, int32_t value);
// Byte offset of the first item equal to the value, or -1.
int32_t array_find_int(Offset node, int32_t value);
int32_t array_find_pointer(Offset node, Offset address);
// Moves the bytes after offset + n down to the offset; the tail drops by n.
void array_remove_bytes(Offset node, uint32_t offset, uint32_t n);

} // namespace xel
