// image!: a series of pixels. Word 1 is the head (a pixel offset, 0-based),
// word 2 the node of the image's bitmap record (0 when a side is 0: the image
// has no pixels), word 3 height << 16 | width. Header bit 16 is the owned flag
// (ownership.h).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

inline uint32_t image_width(const Cell* c) {
    return c->data3 & 0xFFFF;
}
inline uint32_t image_height(const Cell* c) {
    return c->data3 >> 16;
}
inline uint32_t image_pixel_count(const Cell* c) {
    return image_width(c) * image_height(c);
}
inline Offset image_record(const Cell* c) {
    return c->data2;
}
inline int32_t image_head(const Cell* c) {
    return static_cast<int32_t>(c->data1);
}
inline void image_set_head(Cell* c, int32_t head) {
    c->data1 = static_cast<uint32_t>(head);
}

// Writes an image! over a record (head 0, the record's size); record 0 gives
// an image of width x height with no pixels.
void image_init_cell(Cell* c, Offset record, uint32_t width = 0, uint32_t height = 0);
// Pushes that image! on the argument stack.
Cell* image_push(Offset record, uint32_t width = 0, uint32_t height = 0);

// A stored pixel word (alpha << 24 | R << 16 | G << 8 | B, straight alpha)
// as the language shows it: the tuple R.G.B.A' with A' = 255 - alpha.
Cell image_pixel_tuple(uint32_t pixel);
// The pixel word a tuple! gives: 3 bytes are opaque, a 4th byte is 255 - alpha.
uint32_t image_tuple_pixel(const Cell* tuple);

} // namespace xel
