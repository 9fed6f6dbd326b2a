// The entries of drawing for the rest of the run-time: drawing a command
// block into an image (the draw-image routine), painting a face's draw block
// onto a window's cairo context, and the drawing-event bracket an actor
// draws inside. Main thread only.
#pragma once
#include <cairo.h>
#include <pango/pango.h>

#include "runtime/cell.h"

namespace xel {

namespace draw {
class DrawContext;
}

// Makes the dialect's words; called once at start.
void draw_init();

// Runs the commands on the image's pixels. Nothing happens for an image
// with a zero side or an empty block; an error of the block is raised after
// the pixels drawn so far are stored.
void draw_on_image(const Cell* image, const Cell* commands);

// A window paint: the face's draw block onto cr, whose matrix places the
// face's top-left corner, over width x height; an error of the block is
// printed and the paint goes on.
void draw_paint(cairo_t* cr, int width, int height, const Cell* commands);

// A face painted as its window shows it, onto cr over width x height: the
// face's colour fills it when a tuple, its image is stretched over it, a face
// other than a window shows its text (with its font and para), then its draw
// block runs; an error of the block is printed and the paint goes on.
void draw_paint_face(cairo_t* cr, int width, int height, const Cell* face);
// The same painting into an image's pixels (a base face made an image).
void draw_face_on_image(const Cell* image, const Cell* face);

// The size of a text in a face's font and para, as size-text measures it:
// laid out in the face's width when in_face_width (unlimited height), else on
// one line per line break; false when the text is not a string.
bool draw_text_size(const Cell* face, const Cell* text, bool in_face_width, double* width,
                    double* height);

// The drawing-event bracket: draw_begin opens a drawing on cr that
// draw_face_commands (draw-face during the event) draws into, until
// draw_end closes it. Errors of those commands are dropped.
draw::DrawContext* draw_begin(cairo_t* cr, int width, int height);
void draw_face_commands(draw::DrawContext* context, const Cell* commands);
void draw_end(draw::DrawContext* context);

// For widgets: a new pango description of a font! object (the default font
// for anything else); the caller frees it with pango_font_description_free.
PangoFontDescription* font_description_of(const Cell* font);

} // namespace xel
