#include "platform/os/video-frames.h"

#include <cstring>

namespace xel::os {

namespace {

uint8_t clamp_byte(int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// One pixel of luma and chroma as B, G, R, A.
void yuv_pixel(int y, int u, int v, uint8_t* out) {
    int c = 298 * (y - 16), d = u - 128, e = v - 128;
    out[0] = clamp_byte((c + 516 * d + 128) >> 8);
    out[1] = clamp_byte((c - 100 * d - 208 * e + 128) >> 8);
    out[2] = clamp_byte((c + 409 * e + 128) >> 8);
    out[3] = 255;
}

} // namespace

size_t frame_bytes_per_pixel(FrameFormat format) {
    switch (format) {
    case FrameFormat::kYuyv:
        return 2;
    case FrameFormat::kBgr24:
    case FrameFormat::kRgb24:
        return 3;
    case FrameFormat::kBgrx32:
        return 4;
    }
    return 4;
}

void frame_to_bgra(FrameFormat format, const uint8_t* in, size_t stride, int width, int rows,
                   uint8_t* out) {
    for (int row = 0; row < rows; row++) {
        const uint8_t* s = in + static_cast<size_t>(row) * stride;
        uint8_t* d = out + static_cast<size_t>(row) * width * 4;
        switch (format) {
        case FrameFormat::kYuyv:
            for (int x = 0; x + 1 < width; x += 2, s += 4, d += 8) {
                yuv_pixel(s[0], s[1], s[3], d);
                yuv_pixel(s[2], s[1], s[3], d + 4);
            }
            break;
        case FrameFormat::kBgr24:
        case FrameFormat::kRgb24: {
            bool rgb = format == FrameFormat::kRgb24;
            for (int x = 0; x < width; x++, s += 3, d += 4) {
                d[0] = rgb ? s[2] : s[0];
                d[1] = s[1];
                d[2] = rgb ? s[0] : s[2];
                d[3] = 255;
            }
            break;
        }
        case FrameFormat::kBgrx32:
            for (int x = 0; x < width; x++, s += 4, d += 4) {
                std::memcpy(d, s, 3);
                d[3] = 255;
            }
            break;
        }
    }
}

} // namespace xel::os
