#include "platform/gfx/gfx-surface.h"

#include <cstddef>
#include <cstring>

namespace xel::gfx {

uint32_t premultiply(uint32_t pixel) {
    uint32_t a = pixel >> 24;
    if (a == 255) return pixel;
    if (a == 0) return 0;
    auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | scale(pixel >> 16 & 0xFF) << 16 | scale(pixel >> 8 & 0xFF) << 8 |
           scale(pixel & 0xFF);
}

uint32_t unpremultiply(uint32_t pixel) {
    uint32_t a = pixel >> 24;
    if (a == 255 || a == 0) return pixel;
    auto scale = [a](uint32_t c) {
        uint32_t v = (c * 255 + a / 2) / a;
        return v > 255 ? 255u : v;
    };
    return a << 24 | scale(pixel >> 16 & 0xFF) << 16 | scale(pixel >> 8 & 0xFF) << 8 |
           scale(pixel & 0xFF);
}

cairo_surface_t* surface_from_pixels(const uint32_t* pixels, int width, int height) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; y++) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        const uint32_t* src = pixels + static_cast<ptrdiff_t>(y) * width;
        for (int x = 0; x < width; x++)
            row[x] = premultiply(src[x]);
    }
    cairo_surface_mark_dirty(s);
    return s;
}

void surface_to_pixels(cairo_surface_t* surface, uint32_t* pixels) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; y++) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        uint32_t* out = pixels + static_cast<ptrdiff_t>(y) * width;
        for (int x = 0; x < width; x++)
            out[x] = unpremultiply(row[x]);
    }
}

} // namespace xel::gfx
