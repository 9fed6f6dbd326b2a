#include "runtime/datatypes/image/image-cell.h"

#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/stack/stack.h"

namespace xel {

void image_init_cell(Cell* c, Offset record, uint32_t width, uint32_t height) {
    if (record) {
        width = bitmap_width(record);
        height = bitmap_height(record);
    }
    *c = Cell{T_IMAGE, 0, record, height << 16 | width};
}

Cell* image_push(Offset record, uint32_t width, uint32_t height) {
    Cell* c = stack_push_cell();
    image_init_cell(c, record, width, height);
    return c;
}

Cell image_pixel_tuple(uint32_t pixel) {
    uint8_t bytes[4] = {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                        static_cast<uint8_t>(pixel), static_cast<uint8_t>(255 - (pixel >> 24))};
    Cell c;
    tuple_make_at(&c, bytes, 4);
    return c;
}

uint32_t image_tuple_pixel(const Cell* tuple) {
    const uint8_t* b = tuple_bytes(tuple);
    uint32_t alpha = tuple_count(tuple) >= 4 ? 255u - b[3] : 255u;
    return alpha << 24 | uint32_t{b[0]} << 16 | uint32_t{b[1]} << 8 | b[2];
}

} // namespace xel
