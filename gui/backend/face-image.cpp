// to image! of a face. A base face is painted by the draw back end into a
// new image of its size, with or without a display; the other faces are
// read from what their widget or screen shows.
#include "gui/backend/face-image.h"

#include "gui/backend/backend.h"
#include "gui/backend/camera.h"
#include "gui/backend/draw-paint.h"
#include "gui/backend/face-access.h"
#include "platform/gfx/gfx-surface.h"
#include "platform/gui/gtk-snapshot.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"

namespace xel::gui {

namespace {

// A planar facet as two numbers (a screen's offset is in device pixels).
void planar(const Cell* face, uint32_t index, double* x, double* y) {
    Cell v = facet(face, index);
    double a = 0, b = 0;
    if (type_of(&v) == T_PAIR) {
        a = pair_x(&v);
        b = pair_y(&v);
    } else if (type_of(&v) == T_POINT2D) {
        a = point_coordinate(&v, 0);
        b = point_coordinate(&v, 1);
    }
    *x = a;
    *y = b;
}

// A planar facet in device pixels.
void device_size(const Cell* face, uint32_t index, int* x, int* y) {
    double a, b;
    planar(face, index, &a, &b);
    *x = to_device_px(a);
    *y = to_device_px(b);
}

// The surface's pixels as a new image (the surface is destroyed); none
// without a surface.
void image_from_surface(cairo_surface_t* s, Cell* out) {
    *out = g_none_cell;
    if (!s) return;
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    if (w > 0 && h > 0 && w <= static_cast<int>(kBitmapMaxSide) &&
        h <= static_cast<int>(kBitmapMaxSide)) {
        Offset record = bitmap_make_record(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 0);
        gfx::surface_to_pixels(s, bitmap_pixels(record));
        image_init_cell(out, record);
    }
    cairo_surface_destroy(s);
}

void base_image(const Cell* face, Cell* out) {
    int w, h;
    device_size(face, kFacetSize, &w, &h);
    w = w < 0 ? 0 : w;
    h = h < 0 ? 0 : h;
    Offset record = bitmap_create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), nullptr,
                                  nullptr, nullptr);
    image_init_cell(out, record, static_cast<uint32_t>(w), static_cast<uint32_t>(h));
    draw_face_on_image(out, face);
}

} // namespace

void face_to_image(const Cell* face_in, Cell* out) {
    Cell face = *face_in;
    *out = g_none_cell;
    gtk::WidgetId id = face_widget(&face);
    if (facet_is(&face, kFacetType, "camera")) {
        if (!id) return;
        camera_snapshot(id, out);
        set_facet(&face, kFacetImage, out);
        return;
    }
    if (facet_is(&face, kFacetType, "base")) {
        base_image(&face, out);
        return;
    }
    if (facet_is(&face, kFacetType, "screen")) {
        double x, y;
        int w, h;
        planar(&face, kFacetOffset, &x, &y);
        device_size(&face, kFacetSize, &w, &h);
        cairo_surface_t* s =
            has_display() ? gtk::screen_snapshot(static_cast<int>(x), static_cast<int>(y), w, h)
                          : nullptr;
        image_from_surface(s, out);
        return;
    }
    if (id) image_from_surface(gtk::widget_snapshot(id), out);
}

void face_image_init() {
    g_face_capture = face_to_image;
}

} // namespace xel::gui
