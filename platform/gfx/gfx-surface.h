// Pixels of the run-time's images (A << 24 | R << 16 | G << 8 | B, straight
// alpha) to and from cairo image surfaces, whose words have the same layout
// but premultiplied alpha.
#pragma once
#include <cairo.h>
#include <cstdint>

namespace xel::gfx {

// A new ARGB32 surface holding the pixels premultiplied; null when cairo
// cannot make it.
cairo_surface_t* surface_from_pixels(const uint32_t* pixels, int width, int height);
// The surface's pixels made straight again, into width x height words.
void surface_to_pixels(cairo_surface_t* surface, uint32_t* pixels);

uint32_t premultiply(uint32_t pixel);
uint32_t unpremultiply(uint32_t pixel);

} // namespace xel::gfx
