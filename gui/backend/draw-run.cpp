// The entries of drawing: begin, walk and end on an image or a cairo context,
// with the designed handling of errors for each.
#include <cstdio>
#include <string>

#include "gui/backend/draw-paint.h"
#include "gui/backend/draw-walk.h"
#include "gui/backend/font-native.h"
#include "platform/gfx/gfx-surface.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

void draw_init() {
    draw::keywords_init();
    draw::facets_init();
}

namespace {

bool empty_block(const Cell* commands) {
    return type_of(commands) != T_BLOCK || block_rs_head(commands) >= block_rs_tail(commands);
}

// Walks the block; on an error the cycle stack goes back to where it was and
// the error passes on.
void walk_guarded(draw::DrawContext& ctx, const Cell* commands, bool catch_flag) {
    uint32_t depth = cycles_depth();
    draw::Walk w{&ctx, catch_flag};
    try {
        draw::walk(w, commands);
    } catch (...) {
        cycles_pop_n(cycles_depth() - depth);
        throw;
    }
}

// Runs body under a try frame; an error it raises is printed (when print is
// set) and goes no further.
template <class Body> void caught(bool print, Body body) {
    CallFrame* frame = stack_top_frame();
    Cell* base = g_stack_args;
    Cell* top = g_stack_top;
    stack_mark(g_word_try, kHeaderTry);
    try {
        body();
        g_stack_args = base;
        g_stack_top = top;
        stack_set_top_frame(frame);
        return;
    } catch (const Throw& t) {
        if (t.code != kThrowError) throw;
    }
    stack_set_top_frame(frame);
    Cell error = type_of(g_stack_top - 1) == T_ERROR ? *(g_stack_top - 1) : g_frameless_error;
    g_stack_args = base;
    g_stack_top = top;
    if (print && type_of(&error) == T_ERROR) {
        std::string text = error_form_text(&error) + "\n";
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    }
}

// A face's own painting, then its draw block.
void paint_face(draw::DrawContext& ctx, const Cell* face) {
    draw::face_background(ctx, face);
    const Cell* commands = draw::facet(face, draw::Facet::kDraw);
    if (commands && !empty_block(commands)) walk_guarded(ctx, commands, true);
}

// Runs draw on a cairo context over the image's pixels, which take what was
// drawn even when draw raises.
template <class Draw> void on_image(const Cell* image, Draw draw) {
    Offset record = image_record(image);
    if (!record) return;
    int w = static_cast<int>(bitmap_width(record)), h = static_cast<int>(bitmap_height(record));
    cairo_surface_t* surface = gfx::surface_from_pixels(bitmap_pixels(record), w, h);
    if (!surface) {
        std::fputs("cannot create the drawing surface of the image\n", stdout);
        return;
    }
    cairo_t* cr = cairo_create(surface);
    auto finish = [&] {
        cairo_destroy(cr);
        gfx::surface_to_pixels(surface, bitmap_pixels(record));
        bitmap_touch(record);
        cairo_surface_destroy(surface);
    };
    try {
        draw(cr, w, h);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace

void draw_on_image(const Cell* image, const Cell* commands) {
    if (empty_block(commands)) return;
    on_image(image, [&](cairo_t* cr, int w, int h) {
        draw::DrawContext ctx(cr, w, h);
        walk_guarded(ctx, commands, false);
    });
}

void draw_paint_face(cairo_t* cr, int width, int height, const Cell* face) {
    caught(true, [&] {
        draw::DrawContext ctx(cr, width, height);
        paint_face(ctx, face);
    });
}

void draw_face_on_image(const Cell* image, const Cell* face) {
    on_image(image, [&](cairo_t* cr, int w, int h) {
        caught(false, [&] {
            draw::DrawContext ctx(cr, w, h);
            paint_face(ctx, face);
        });
    });
}

void draw_paint(cairo_t* cr, int width, int height, const Cell* commands) {
    if (type_of(commands) != T_BLOCK) return;
    caught(true, [&] {
        draw::DrawContext ctx(cr, width, height);
        walk_guarded(ctx, commands, true);
    });
}

draw::DrawContext* draw_begin(cairo_t* cr, int width, int height) {
    return new draw::DrawContext(cr, width, height);
}

void draw_face_commands(draw::DrawContext* context, const Cell* commands) {
    if (!context || type_of(commands) != T_BLOCK) return;
    caught(false, [&] { walk_guarded(*context, commands, true); });
}

void draw_end(draw::DrawContext* context) {
    delete context;
}

PangoFontDescription* font_description_of(const Cell* font) {
    return draw::font_pango_description(font);
}

} // namespace xel
