// The painting of a face under its draw block: colour, image and text.
#include <cmath>

#include "gui/backend/draw-paint.h"
#include "gui/backend/draw-walk.h"
#include "gui/backend/font-native.h"
#include "gui/backend/text-layout.h"
#include "platform/gfx/gfx-image.h"
#include "platform/gfx/gfx-surface.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace draw {

namespace {

bool is_type(const Cell* face, const char* name) {
    const Cell* type = facet(face, Facet::kType);
    if (!type || type_of(type) != T_WORD) return false;
    uint32_t length = 0;
    const char* spelling = symbol_name(symbol_resolve(word_symbol(type)), &length);
    return spelling && std::string_view(spelling, length) == name;
}

} // namespace

void face_background(DrawContext& ctx, const Cell* face) {
    cairo_t* cr = ctx.cr();
    double w = ctx.width(), h = ctx.height();
    if (const Cell* colour = colour_cell(facet(face, Facet::kColor))) {
        gfx::Rgba k = colour_of(colour);
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, k.r, k.g, k.b, k.a);
        cairo_rectangle(cr, 0, 0, w, h);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    const Cell* image = facet(face, Facet::kImage);
    if (image && type_of(image) == T_IMAGE && image_record(image)) {
        Offset record = image_record(image);
        int iw = static_cast<int>(bitmap_width(record)),
            ih = static_cast<int>(bitmap_height(record));
        if (cairo_surface_t* s = gfx::surface_from_pixels(bitmap_pixels(record), iw, ih)) {
            gfx::image_to_box(cr, s, 0, 0, iw, ih, 0, 0, w, h);
            cairo_surface_destroy(s);
        }
    }
    const Cell* text = facet(face, Facet::kText);
    if (is_type(face, "window") || is_type(face, "panel") || !text || type_of(text) != T_STRING)
        return;
    std::unique_ptr<gfx::TextLayout> layout;
    if (is_type(face, "rich-text")) {
        layout = text_face_layout(face);
    } else {
        gfx::TextFormat format =
            base_text_format(facet(face, Facet::kFont), facet(face, Facet::kPara));
        layout = std::make_unique<gfx::TextLayout>(string_utf8_text(text), format, w, h);
    }
    if (!layout) return;
    gfx::Rgba colour{0, 0, 0, 1};
    font_color(facet(face, Facet::kFont), &colour);
    ctx.masked([&] {
        cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
        layout->draw(cr, 0, 0);
    });
}

} // namespace draw

bool draw_text_size(const Cell* face, const Cell* text, bool in_face_width, double* width,
                    double* height) {
    if (!text || type_of(text) == T_NONE) text = draw::facet(face, draw::Facet::kText);
    if (!text || type_of(text) != T_STRING) return false;
    gfx::TextFormat format = draw::base_text_format(draw::facet(face, draw::Facet::kFont),
                                                    draw::facet(face, draw::Facet::kPara));
    double w = 0;
    const Cell* size = draw::facet(face, draw::Facet::kSize);
    if (in_face_width && size && draw::is_point(size)) w = std::trunc(draw::point_of(size).x + 0.5);
    gfx::TextLayout layout(string_utf8_text(text), format, w, 0);
    layout.size(width, height);
    return true;
}

} // namespace xel
