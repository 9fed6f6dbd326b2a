// pen and fill-pen values, and the line style commands.
#include <cmath>

#include "gui/backend/draw-walk.h"
#include "platform/gfx/gfx-surface.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/integer/integer.h"

namespace xel::draw {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Colour stops: colours, each with an optional float! offset; two at least.
void read_stops(Cursor& c, gfx::Brush& b) {
    std::vector<bool> given;
    b.stops.clear();
    while (c.more()) {
        const Cell* colour = colour_cell(c.p);
        if (!colour) break;
        c.p++;
        gfx::GradientStop s{0, colour_of(colour)};
        bool has = c.more() && type_of(c.p) == T_FLOAT;
        if (has) s.offset = float_get(c.p++);
        b.stops.push_back(s);
        given.push_back(has);
    }
    if (b.stops.size() < 2) invalid_here(c);
    gfx::settle_stops(b.stops, given);
}

gfx::Spread read_spread(Cursor& c) {
    if (!c.more() || type_of(c.p) != T_WORD) return gfx::Spread::kPad;
    switch (keyword(c.p)) {
    case Kw::kPad:
        return c.p++, gfx::Spread::kPad;
    case Kw::kRepeat:
        return c.p++, gfx::Spread::kRepeat;
    case Kw::kReflect:
        return c.p++, gfx::Spread::kReflect;
    default:
        return gfx::Spread::kPad;
    }
}

gfx::Tile read_tile(Cursor& c) {
    if (!c.more() || type_of(c.p) != T_WORD) return gfx::Tile::kTile;
    switch (keyword(c.p)) {
    case Kw::kTile:
        return c.p++, gfx::Tile::kTile;
    case Kw::kFlipX:
        return c.p++, gfx::Tile::kFlipX;
    case Kw::kFlipY:
        return c.p++, gfx::Tile::kFlipY;
    case Kw::kFlipXY:
        return c.p++, gfx::Tile::kFlipXY;
    case Kw::kClamp:
        return c.p++, gfx::Tile::kClamp;
    default:
        return gfx::Tile::kTile;
    }
}

void read_gradient(Cursor& c, gfx::Brush& b, Kw kind) {
    b.kind = kind == Kw::kLinear   ? gfx::BrushKind::kLinear
             : kind == Kw::kRadial ? gfx::BrushKind::kRadial
                                   : gfx::BrushKind::kDiamond;
    if (c.more() && is_point(c.p)) {
        // The older form: offset, start and stop, then rotation and scale of
        // the brush, then the stops.
        gfx::Point offset = point_of(c.p++);
        if (!c.more() || type_of(c.p) != T_INTEGER) invalid_here(c);
        double start = integer_get(c.p++);
        if (!c.more() || type_of(c.p) != T_INTEGER) invalid_here(c);
        double stop = integer_get(c.p++);
        double extra[3] = {0, 1, 1};
        for (int i = 0; i < 3 && c.more() && is_number(c.p); i++)
            extra[i] = number_of(c.p++);
        read_stops(c, b);
        b.has_geometry = true;
        if (b.kind == gfx::BrushKind::kLinear) {
            b.x0 = start, b.y0 = 0, b.x1 = stop, b.y1 = 0;
        } else if (b.kind == gfx::BrushKind::kRadial) {
            b.x0 = b.y0 = 0;
            b.radius = stop;
            b.has_focal = start != 0;
        } else {
            b.x0 = b.y0 = -stop;
            b.x1 = b.y1 = stop;
        }
        cairo_matrix_t m;
        cairo_matrix_init_translate(&m, offset.x, offset.y);
        cairo_matrix_rotate(&m, extra[0] * kPi / 180);
        cairo_matrix_scale(&m, extra[1], extra[2]);
        b.transform = m;
        b.spread = read_spread(c);
        return;
    }
    read_stops(c, b);
    if (c.more() && is_point(c.p)) {
        b.has_geometry = true;
        gfx::Point p0 = point_of(c.p++);
        b.x0 = p0.x, b.y0 = p0.y;
        if (b.kind == gfx::BrushKind::kRadial) {
            b.radius = need_number(c);
        } else {
            gfx::Point p1 = need_point(c);
            b.x1 = p1.x, b.y1 = p1.y;
        }
        if (b.kind != gfx::BrushKind::kLinear && c.more() && is_point(c.p)) {
            gfx::Point f = point_of(c.p++);
            b.has_focal = true, b.fx = f.x, b.fy = f.y;
        }
    }
    b.spread = read_spread(c);
}

// The part of a surface between two points (the whole without them).
cairo_surface_t* cut(cairo_surface_t* whole, bool part, gfx::Point a, gfx::Point z) {
    if (!part) return cairo_surface_reference(whole);
    int x0 = static_cast<int>(std::min(a.x, z.x)), y0 = static_cast<int>(std::min(a.y, z.y));
    int w = static_cast<int>(std::fabs(z.x - a.x)), h = static_cast<int>(std::fabs(z.y - a.y));
    if (w <= 0 || h <= 0) return cairo_surface_reference(whole);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_surface(cr, whole, -x0, -y0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return s;
}

void read_pattern(Walk& w, Cursor& c, gfx::Brush& b) {
    gfx::Point size = need_point(c);
    bool part = false;
    gfx::Point a{}, z{};
    if (c.more() && is_point(c.p)) {
        a = point_of(c.p++);
        z = need_point(c);
        part = true;
    }
    gfx::Tile tile = read_tile(c);
    if (!c.more() || type_of(c.p) != T_BLOCK) invalid_here(c);
    const Cell* cell_block = c.p++;
    int cw = std::max(1, static_cast<int>(size.x)), ch = std::max(1, static_cast<int>(size.y));
    cairo_surface_t* cell = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cw, ch);
    {
        cairo_t* cr = cairo_create(cell);
        DrawContext sub(cr, cw, ch);
        Walk inner{&sub, w.catch_flag};
        struct Closer {
            cairo_t* cr;
            ~Closer() { cairo_destroy(cr); }
        } closer{cr};
        walk(inner, cell_block);
    }
    b.kind = gfx::BrushKind::kSurface;
    b.surface = gfx::surface_ref(cut(cell, part, a, z));
    cairo_surface_destroy(cell);
    b.tile = tile;
}

void read_bitmap(Cursor& c, gfx::Brush& b) {
    const Cell* image = c.more() ? image_cell(c.p) : nullptr;
    if (!image) invalid_here(c);
    c.p++;
    bool part = false;
    gfx::Point a{}, z{};
    if (c.more() && is_point(c.p)) {
        a = point_of(c.p++);
        z = need_point(c);
        part = true;
    }
    b.tile = read_tile(c);
    Offset record = image_record(image);
    if (!record) {
        b.kind = gfx::BrushKind::kOff;
        return;
    }
    cairo_surface_t* whole =
        gfx::surface_from_pixels(bitmap_pixels(record), static_cast<int>(bitmap_width(record)),
                                 static_cast<int>(bitmap_height(record)));
    if (!whole) {
        b.kind = gfx::BrushKind::kOff;
        return;
    }
    b.kind = gfx::BrushKind::kSurface;
    b.surface = gfx::surface_ref(cut(whole, part, a, z));
    cairo_surface_destroy(whole);
}

} // namespace

void command_pen(Walk& w, Cursor& c, bool fill) {
    c.p++;
    gfx::Brush b;
    if (!c.more()) invalid_here(c);
    if (const Cell* colour = colour_cell(c.p)) {
        c.p++;
        b.kind = gfx::BrushKind::kSolid;
        b.color = colour_of(colour);
    } else {
        Kw kw = type_of(c.p) == T_WORD ? keyword(c.p) : Kw::kNone;
        switch (kw) {
        case Kw::kOff:
            c.p++;
            break;
        case Kw::kLinear:
        case Kw::kRadial:
        case Kw::kDiamond:
            c.p++;
            read_gradient(c, b, kw);
            break;
        case Kw::kPattern:
            c.p++;
            read_pattern(w, c, b);
            break;
        case Kw::kBitmap:
            c.p++;
            read_bitmap(c, b);
            break;
        default:
            invalid_here(c);
        }
    }
    (fill ? w.ctx->state().fill : w.ctx->state().pen) = std::move(b);
}

void command_line_style(Walk& w, Cursor& c, Kw which) {
    c.p++;
    DrawState& s = w.ctx->state();
    switch (which) {
    case Kw::kLineWidth:
        s.width = need_number(c);
        return;
    case Kw::kLineJoin:
        if (!c.more() || type_of(c.p) != T_WORD) invalid_here(c);
        switch (keyword(c.p++)) {
        case Kw::kBevel:
            s.join = CAIRO_LINE_JOIN_BEVEL;
            break;
        case Kw::kRound:
            s.join = CAIRO_LINE_JOIN_ROUND;
            break;
        // Miter-or-bevel is a miter within the miter limit and a bevel past it.
        default:
            s.join = CAIRO_LINE_JOIN_MITER;
            break;
        }
        return;
    case Kw::kLineCap:
        if (!c.more() || type_of(c.p) != T_WORD) invalid_here(c);
        switch (keyword(c.p++)) {
        case Kw::kSquare:
            s.cap = CAIRO_LINE_CAP_SQUARE;
            break;
        case Kw::kRound:
            s.cap = CAIRO_LINE_CAP_ROUND;
            break;
        default:
            s.cap = CAIRO_LINE_CAP_BUTT;
            break;
        }
        return;
    case Kw::kLinePattern:
        s.dashes.clear();
        while (c.more() && type_of(c.p) == T_INTEGER)
            s.dashes.push_back(integer_get(c.p++));
        return;
    default:
        return;
    }
}

} // namespace xel::draw
