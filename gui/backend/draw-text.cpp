// The font and text commands: a string laid out with the drawing's font, or
// a rich-text face laid out with its own facets.
#include <cairo.h>

#include "gui/backend/draw-walk.h"
#include "gui/backend/font-native.h"
#include "gui/backend/text-layout.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/string/string.h"

namespace xel::draw {

namespace {

const Cell* object_cell(const Cell* v) {
    if (type_of(v) == T_OBJECT) return v;
    if (type_of(v) != T_WORD) return nullptr;
    const Cell* value = context_peek_fast(v);
    return value && type_of(value) == T_OBJECT ? value : nullptr;
}

// Text takes the font's colour when it has one, else the pen's.
gfx::Rgba text_colour(const DrawState& s) {
    if (s.has_text_color) return s.text_color;
    if (s.pen.kind == gfx::BrushKind::kSolid) return s.pen.color;
    return {0, 0, 0, 1};
}

} // namespace

void command_font(Walk& w, Cursor& c) {
    c.p++;
    const Cell* font = c.more() ? object_cell(c.p) : nullptr;
    if (!font) invalid_here(c);
    c.p++;
    DrawState& s = w.ctx->state();
    s.has_font = true;
    s.font = text_format(font, nullptr, false);
    s.has_text_color = font_color(font, &s.text_color);
}

void command_text(Walk& w, Cursor& c) {
    c.p++;
    gfx::Point at = need_point(c);
    if (!c.more()) invalid_here(c);
    const DrawState& s = w.ctx->state();
    cairo_t* cr = w.ctx->cr();
    gfx::Rgba colour = text_colour(s);
    if (type_of(c.p) == T_STRING) {
        gfx::TextFormat format = s.has_font ? s.font : gfx::TextFormat{};
        gfx::TextLayout layout(string_utf8_text(c.p++), format, 0, 0);
        w.ctx->masked([&] {
            cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
            layout.draw(cr, at.x, at.y);
        });
        return;
    }
    const Cell* face = object_cell(c.p);
    if (!face) invalid_here(c);
    c.p++;
    std::unique_ptr<gfx::TextLayout> layout = text_face_layout(face);
    const Cell* back = facet(face, Facet::kColor);
    const Cell* size = facet(face, Facet::kSize);
    w.ctx->masked([&] {
        if (back && colour_cell(back) && size && is_point(size)) {
            gfx::Rgba k = colour_of(colour_cell(back));
            gfx::Point p = point_of(size);
            cairo_set_source_rgba(cr, k.r, k.g, k.b, k.a);
            cairo_rectangle(cr, at.x, at.y, p.x, p.y);
            cairo_fill(cr);
        }
        if (layout) {
            cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
            layout->draw(cr, at.x, at.y);
        }
    });
}

} // namespace xel::draw
