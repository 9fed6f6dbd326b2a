// The frame layouts of capture devices, converted to B, G, R, A bytes
// (opaque), top row first.
#pragma once
#include <cstddef>
#include <cstdint>

namespace xel::os {

enum class FrameFormat : uint8_t {
    kBgrx32, // B, G, R and a byte that is not alpha
    kYuyv,   // Y0, U, Y1, V for two pixels (BT.601, video range)
    kBgr24,
    kRgb24,
};

size_t frame_bytes_per_pixel(FrameFormat format);

// Converts rows of width pixels, each row stride bytes after the last, into
// out (width x 4 bytes per row, no gaps).
void frame_to_bgra(FrameFormat format, const uint8_t* in, size_t stride, int width, int rows,
                   uint8_t* out);

} // namespace xel::os
