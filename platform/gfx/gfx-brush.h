// Brushes: what fills or strokes a shape. A solid colour, a linear, radial
// or diamond gradient, or a surface (a recorded pattern cell or an image)
// repeated by a tile mode. A gradient given without geometry is fitted to
// the bounds of each shape it paints, so its cairo pattern is made per shape.
#pragma once
#include <cairo.h>
#include <cstdint>
#include <memory>
#include <vector>

namespace xel::gfx {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
    bool operator==(const Rgba&) const = default;
};

// A colour of the language: three bytes, then an alpha byte where 0 is
// opaque (a 3-byte colour is opaque).
Rgba rgba_from_bytes(const uint8_t* bytes, uint32_t count);

enum class BrushKind : uint8_t { kOff, kSolid, kLinear, kRadial, kDiamond, kSurface };
enum class Spread : uint8_t { kPad, kRepeat, kReflect };
enum class Tile : uint8_t { kTile, kFlipX, kFlipY, kFlipXY, kClamp };

struct GradientStop {
    double offset;
    Rgba color;
};

struct Bounds {
    double x0, y0, x1, y1;
};

using SurfaceRef = std::shared_ptr<cairo_surface_t>;
SurfaceRef surface_ref(cairo_surface_t* owned);

struct Brush {
    BrushKind kind = BrushKind::kOff;
    Rgba color;
    std::vector<GradientStop> stops;
    // Linear: start p0, end p1. Radial: centre p0, radius. Diamond: corners
    // p0 (upper) and p1 (lower). Focal point for radial and diamond.
    bool has_geometry = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0, radius = 0;
    bool has_focal = false;
    double fx = 0, fy = 0;
    Spread spread = Spread::kPad;
    // The brush's own transformation, from brush space to user space.
    cairo_matrix_t transform{1, 0, 0, 1, 0, 0};
    // A surface brush: its tile (already cut to the chosen part) and mode.
    SurfaceRef surface;
    Tile tile = Tile::kTile;

    bool on() const { return kind != BrushKind::kOff; }
    bool transformable() const { return kind > BrushKind::kSolid; }
};

// Stops in order with offsets filled in: stops without one are spread
// evenly between their neighbours; the first is at 0 and the last at 1 when
// not given.
void settle_stops(std::vector<GradientStop>& stops, const std::vector<bool>& given);

// A new cairo pattern for the brush painting a shape of these bounds (in
// user space); the caller destroys it.
cairo_pattern_t* brush_pattern(const Brush& brush, const Bounds& shape);

} // namespace xel::gfx
