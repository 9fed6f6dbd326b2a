#include "platform/gfx/gfx-brush.h"

#include <algorithm>
#include <cmath>

namespace xel::gfx {

Rgba rgba_from_bytes(const uint8_t* bytes, uint32_t count) {
    Rgba c;
    c.r = bytes[0] / 255.0;
    c.g = bytes[1] / 255.0;
    c.b = bytes[2] / 255.0;
    c.a = count > 3 ? (255 - bytes[3]) / 255.0 : 1.0;
    return c;
}

SurfaceRef surface_ref(cairo_surface_t* owned) {
    return SurfaceRef(owned, cairo_surface_destroy);
}

void settle_stops(std::vector<GradientStop>& stops, const std::vector<bool>& given) {
    size_t n = stops.size();
    if (n == 0) return;
    std::vector<bool> known = given;
    if (!known[0]) stops[0].offset = 0, known[0] = true;
    if (!known[n - 1]) stops[n - 1].offset = 1, known[n - 1] = true;
    size_t last = 0;
    for (size_t i = 1; i < n; i++) {
        if (!known[i]) continue;
        for (size_t j = last + 1; j < i; j++)
            stops[j].offset = stops[last].offset + (stops[i].offset - stops[last].offset) *
                                                       static_cast<double>(j - last) /
                                                       static_cast<double>(i - last);
        last = i;
    }
    for (auto& s : stops)
        s.offset = std::clamp(s.offset, 0.0, 1.0);
    for (size_t i = 1; i < n; i++)
        stops[i].offset = std::max(stops[i].offset, stops[i - 1].offset);
}

namespace {

void add_stops(cairo_pattern_t* p, const std::vector<GradientStop>& stops) {
    for (const auto& s : stops)
        cairo_pattern_add_color_stop_rgba(p, s.offset, s.color.r, s.color.g, s.color.b, s.color.a);
}

cairo_extend_t extend_of(Spread s) {
    switch (s) {
    case Spread::kPad:
        return CAIRO_EXTEND_PAD;
    case Spread::kRepeat:
        return CAIRO_EXTEND_REPEAT;
    case Spread::kReflect:
        return CAIRO_EXTEND_REFLECT;
    }
    return CAIRO_EXTEND_PAD;
}

// The colour of a gradient at an offset in 0..1.
Rgba colour_at(const std::vector<GradientStop>& stops, double t) {
    if (t <= stops.front().offset) return stops.front().color;
    for (size_t i = 1; i < stops.size(); i++) {
        const auto& a = stops[i - 1];
        const auto& b = stops[i];
        if (t <= b.offset) {
            double span = b.offset - a.offset;
            double k = span > 0 ? (t - a.offset) / span : 1;
            return {
                a.color.r + (b.color.r - a.color.r) * k, a.color.g + (b.color.g - a.color.g) * k,
                a.color.b + (b.color.b - a.color.b) * k, a.color.a + (b.color.a - a.color.a) * k};
        }
    }
    return stops.back().color;
}

void mesh_ring(cairo_pattern_t* mesh, double fx, double fy, const double vx[4], const double vy[4],
               double t0, double t1, const Rgba& c0, const Rgba& c1) {
    for (int k = 0; k < 4; k++) {
        int n = (k + 1) % 4;
        auto px = [&](int v, double t) { return fx + (vx[v] - fx) * t; };
        auto py = [&](int v, double t) { return fy + (vy[v] - fy) * t; };
        cairo_mesh_pattern_begin_patch(mesh);
        cairo_mesh_pattern_move_to(mesh, px(k, t0), py(k, t0));
        cairo_mesh_pattern_line_to(mesh, px(n, t0), py(n, t0));
        cairo_mesh_pattern_line_to(mesh, px(n, t1), py(n, t1));
        cairo_mesh_pattern_line_to(mesh, px(k, t1), py(k, t1));
        cairo_mesh_pattern_set_corner_color_rgba(mesh, 0, c0.r, c0.g, c0.b, c0.a);
        cairo_mesh_pattern_set_corner_color_rgba(mesh, 1, c0.r, c0.g, c0.b, c0.a);
        cairo_mesh_pattern_set_corner_color_rgba(mesh, 2, c1.r, c1.g, c1.b, c1.a);
        cairo_mesh_pattern_set_corner_color_rgba(mesh, 3, c1.r, c1.g, c1.b, c1.a);
        cairo_mesh_pattern_end_patch(mesh);
    }
}

// A diamond gradient as a mesh of rings between the focal point and the
// diamond's edge, repeated out to the shape's far corner by the spread.
cairo_pattern_t* diamond_pattern(const Brush& b, double cx, double cy, double hw, double hh,
                                 const Bounds& shape, const cairo_matrix_t& to_brush) {
    double fx = b.has_focal ? b.fx : cx;
    double fy = b.has_focal ? b.fy : cy;
    const double vx[4] = {cx, cx + hw, cx, cx - hw};
    const double vy[4] = {cy - hh, cy, cy + hh, cy};
    // How many diamond sizes out the shape's corners reach, in brush space.
    double reach = 1;
    const double xs[2] = {shape.x0, shape.x1};
    const double ys[2] = {shape.y0, shape.y1};
    for (double x : xs)
        for (double y : ys) {
            double px = x, py = y;
            cairo_matrix_transform_point(&to_brush, &px, &py);
            double d =
                (hw > 0 ? std::fabs(px - fx) / hw : 0) + (hh > 0 ? std::fabs(py - fy) / hh : 0);
            reach = std::max(reach, d + 1);
        }
    reach = std::min(std::ceil(reach), 256.0);
    cairo_pattern_t* mesh = cairo_pattern_create_mesh();
    const auto& stops = b.stops;
    for (int period = 0; period < static_cast<int>(reach); period++) {
        if (period > 0 && b.spread == Spread::kPad) {
            mesh_ring(mesh, fx, fy, vx, vy, 1, reach, stops.back().color, stops.back().color);
            break;
        }
        bool reversed = b.spread == Spread::kReflect && period % 2 == 1;
        double prev = 0;
        Rgba prev_colour = colour_at(stops, reversed ? 1 : 0);
        std::vector<double> offsets;
        for (const auto& s : stops)
            offsets.push_back(reversed ? 1 - s.offset : s.offset);
        std::sort(offsets.begin(), offsets.end());
        offsets.push_back(1);
        for (double t : offsets) {
            if (t <= prev) continue;
            Rgba c = colour_at(stops, reversed ? 1 - t : t);
            mesh_ring(mesh, fx, fy, vx, vy, period + prev, period + t, prev_colour, c);
            prev = t;
            prev_colour = c;
        }
    }
    return mesh;
}

// The tile of a surface brush as its mode repeats it: a flip doubles the
// tile with its mirror image.
cairo_pattern_t* surface_pattern(const Brush& b) {
    cairo_surface_t* tile = b.surface.get();
    bool fx = b.tile == Tile::kFlipX || b.tile == Tile::kFlipXY;
    bool fy = b.tile == Tile::kFlipY || b.tile == Tile::kFlipXY;
    if (!fx && !fy) {
        cairo_pattern_t* p = cairo_pattern_create_for_surface(tile);
        cairo_pattern_set_extend(p,
                                 b.tile == Tile::kClamp ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_REPEAT);
        return p;
    }
    int w = cairo_image_surface_get_width(tile);
    int h = cairo_image_surface_get_height(tile);
    cairo_surface_t* big =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, fx ? 2 * w : w, fy ? 2 * h : h);
    cairo_t* cr = cairo_create(big);
    for (int i = 0; i < (fx ? 2 : 1); i++)
        for (int j = 0; j < (fy ? 2 : 1); j++) {
            cairo_save(cr);
            cairo_translate(cr, i ? 2.0 * w : 0, j ? 2.0 * h : 0);
            cairo_scale(cr, i ? -1 : 1, j ? -1 : 1);
            cairo_set_source_surface(cr, tile, 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
        }
    cairo_destroy(cr);
    cairo_pattern_t* p = cairo_pattern_create_for_surface(big);
    cairo_surface_destroy(big);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    return p;
}

} // namespace

cairo_pattern_t* brush_pattern(const Brush& b, const Bounds& shape) {
    cairo_matrix_t to_brush = b.transform;
    if (cairo_matrix_invert(&to_brush) != CAIRO_STATUS_SUCCESS)
        cairo_matrix_init_identity(&to_brush);
    cairo_pattern_t* p = nullptr;
    double w = shape.x1 - shape.x0;
    double h = shape.y1 - shape.y0;
    switch (b.kind) {
    case BrushKind::kOff:
    case BrushKind::kSolid:
        return cairo_pattern_create_rgba(b.color.r, b.color.g, b.color.b, b.color.a);
    case BrushKind::kLinear:
        p = b.has_geometry ? cairo_pattern_create_linear(b.x0, b.y0, b.x1, b.y1)
                           : cairo_pattern_create_linear(shape.x0, shape.y0, shape.x1, shape.y0);
        add_stops(p, b.stops);
        cairo_pattern_set_extend(p, extend_of(b.spread));
        break;
    case BrushKind::kRadial: {
        double cx = b.has_geometry ? b.x0 : shape.x0 + w / 2;
        double cy = b.has_geometry ? b.y0 : shape.y0 + h / 2;
        double r = b.has_geometry ? b.radius : std::max(w, h) / 2;
        double fx = b.has_focal ? b.fx : cx;
        double fy = b.has_focal ? b.fy : cy;
        p = cairo_pattern_create_radial(fx, fy, 0, cx, cy, r);
        add_stops(p, b.stops);
        cairo_pattern_set_extend(p, extend_of(b.spread));
        break;
    }
    case BrushKind::kDiamond: {
        double ux = b.has_geometry ? b.x0 : shape.x0, uy = b.has_geometry ? b.y0 : shape.y0;
        double lx = b.has_geometry ? b.x1 : shape.x1, ly = b.has_geometry ? b.y1 : shape.y1;
        p = diamond_pattern(b, (ux + lx) / 2, (uy + ly) / 2, std::fabs(lx - ux) / 2,
                            std::fabs(ly - uy) / 2, shape, to_brush);
        break;
    }
    case BrushKind::kSurface:
        p = surface_pattern(b);
        break;
    }
    cairo_pattern_set_matrix(p, &to_brush);
    return p;
}

} // namespace xel::gfx
