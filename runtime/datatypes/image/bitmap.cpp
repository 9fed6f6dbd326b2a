#include "runtime/datatypes/image/bitmap.h"

#include <cstring>

#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

// The bytes of a binary! from its position; valid until the next allocation.
const uint8_t* binary_bytes(const Cell* bin, uint32_t* length) {
    uint32_t index = series_clamped_index(bin);
    SeriesBuf* buf = series_buffer(bin);
    *length = buf->used() - index;
    return at(buf->head) + index;
}

} // namespace

Offset bitmap_make_record(uint32_t width, uint32_t height, uint32_t flags) {
    uint64_t bytes = sizeof(BitmapRecord) + uint64_t{width} * height * 4;
    if (bytes > UINT32_MAX) error_fire(kCatInternal, err::internal::kNoMemory);
    auto n = static_cast<uint32_t>(bytes);
    Offset node = alloc_bytes(n);
    SeriesBuf* buf = buffer_of(node);
    buf->tail = buf->head + n;
    *at<BitmapRecord>(buf->head) = BitmapRecord{flags, 0, 0, height << 16 | width, kNoExternal, 0};
    return node;
}

uint32_t bitmap_width(Offset record) {
    return bitmap_record(record)->size & 0xFFFF;
}

uint32_t bitmap_height(Offset record) {
    return bitmap_record(record)->size >> 16;
}

uint32_t* bitmap_pixels(Offset record) {
    return at<uint32_t>(buffer_of(record)->head + sizeof(BitmapRecord));
}

uint32_t bitmap_get_pixel(Offset record, uint32_t index) {
    return bitmap_pixels(record)[index];
}

void bitmap_set_pixel(Offset record, uint32_t index, uint32_t pixel) {
    bitmap_pixels(record)[index] = pixel;
    bitmap_touch(record);
}

void bitmap_touch(Offset record) {
    bitmap_record(record)->flags |= kBitmapModified;
}

Offset bitmap_create(uint32_t width, uint32_t height, const Cell* rgb, const Cell* alpha,
                     const Cell* fill) {
    if (width == 0 || height == 0) return 0;
    Offset record = bitmap_make_record(width, height, kBitmapCached | kBitmapModified);
    uint32_t* pixels = bitmap_pixels(record);
    size_t count = size_t{width} * height;
    if (fill) {
        uint32_t pixel = image_tuple_pixel(fill);
        for (size_t i = 0; i < count; i++)
            pixels[i] = pixel;
        return record;
    }
    uint32_t rgb_length = 0, alpha_length = 0;
    const uint8_t* colour = rgb ? binary_bytes(rgb, &rgb_length) : nullptr;
    const uint8_t* opacity = alpha ? binary_bytes(alpha, &alpha_length) : nullptr;
    size_t triples = rgb_length / 3;
    for (size_t i = 0; i < count; i++) {
        uint32_t a = i < alpha_length ? 255u - opacity[i] : 255u;
        uint32_t c = 0xFFFFFF;
        if (i < triples) {
            const uint8_t* t = colour + 3 * i;
            c = uint32_t{t[0]} << 16 | uint32_t{t[1]} << 8 | t[2];
        }
        pixels[i] = a << 24 | c;
    }
    return record;
}

Offset bitmap_copy_part(Offset record, uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
    Offset copy = bitmap_make_record(width, height, kBitmapCached | kBitmapModified);
    uint32_t source_width = bitmap_width(record);
    const uint32_t* from = bitmap_pixels(record) + size_t{y} * source_width + x;
    uint32_t* to = bitmap_pixels(copy);
    for (uint32_t row = 0; row < height; row++)
        std::memcpy(to + size_t{row} * width, from + size_t{row} * source_width, size_t{width} * 4);
    return copy;
}

Offset bitmap_from_memory(uint32_t width, uint32_t height, uint32_t stride, const uint8_t* data) {
    if (stride == 0) stride = width * 4;
    Offset record = bitmap_make_record(width, height, kBitmapCached | kBitmapModified);
    uint32_t* to = bitmap_pixels(record);
    for (uint32_t row = 0; row < height; row++)
        std::memcpy(to + size_t{row} * width, data + size_t{row} * stride, size_t{width} * 4);
    return record;
}

} // namespace xel
