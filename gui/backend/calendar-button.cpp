// Calendars (the date between data and the control, the background colour,
// a chosen day raising change) and the images of buttons.
#include <vector>

#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "gui/backend/widgets.h"
#include "platform/gfx/gfx-surface.h"
#include "platform/gui/gtk-controls.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/tuple/tuple-cell.h"

namespace xel::gui {

namespace {

// The calendar shows the years 1601 to 9999.
int32_t clamp_year(int32_t y) {
    return y < 1601 ? 1601 : (y > 9999 ? 9999 : y);
}

void calendar_get_date(gtk::WidgetId id, const Cell* face) {
    int y, m, d;
    gtk::calendar_get(id, &y, &m, &d);
    Cell date;
    date_make_at(&date, clamp_year(y), m, d, 0, 0, false);
    set_facet(face, kFacetData, &date);
}

cairo_surface_t* surface_of(const Cell* image) {
    Offset record = image_record(image);
    if (!record) return nullptr;
    return gfx::surface_from_pixels(bitmap_pixels(record), static_cast<int>(bitmap_width(record)),
                                    static_cast<int>(bitmap_height(record)));
}

} // namespace

void calendar_sync(gtk::WidgetId id, const Cell* face) {
    Cell data = facet(face, kFacetData);
    if (type_of(&data) != T_DATE) {
        calendar_get_date(id, face);
        return;
    }
    uint32_t packed = date_packed(&data);
    gtk::calendar_set(id, clamp_year(date_year(packed)), date_month(packed), date_day(packed));
}

void calendar_set_color(gtk::WidgetId id, const Cell* face) {
    Cell color = facet(face, kFacetColor);
    if (type_of(&color) == T_TUPLE && tuple_count(&color) >= 3) {
        const uint8_t* b = tuple_bytes(&color);
        gtk::calendar_set_color(id, b[0], b[1], b[2], false);
    } else if (type_of(&color) == T_NONE) {
        gtk::calendar_set_color(id, 0, 0, 0, true);
    }
}

int calendar_on_change(const gtk::Input& in) {
    Cell face = widget_face(in.widget);
    if (type_of(&face) != T_OBJECT) return 1;
    calendar_get_date(in.widget, &face);
    return make_event(in.widget, kEvChange, 0, g_none_cell, g_none_cell, integer_cell(0),
                      g_none_cell);
}

// An image! is one image of its own size; a block gives its images at the
// face's size, or, as [image size], one image of that size.
void button_set_image(gtk::WidgetId id, const Cell* face) {
    Cell image = facet(face, kFacetImage);
    std::vector<cairo_surface_t*> surfaces;
    int w = 0, h = 0;
    if (type_of(&image) == T_IMAGE) {
        if (cairo_surface_t* s = surface_of(&image)) {
            surfaces.push_back(s);
            w = static_cast<int>(image_width(&image));
            h = static_cast<int>(image_height(&image));
        }
    } else if (type_of(&image) == T_BLOCK) {
        int32_t n = block_length_at(&image);
        auto at = [&](int32_t i) {
            return *block_cell_at(&image, static_cast<uint32_t>(block_index(&image) + i));
        };
        Cell size = facet(face, kFacetSize);
        Cell second = n == 2 ? at(1) : g_none_cell;
        if (type_of(&second) == T_PAIR) {
            size = second;
            n = 1;
        }
        if (type_of(&size) == T_PAIR) {
            w = to_device_px(pair_x(&size));
            h = to_device_px(pair_y(&size));
        } else if (type_of(&size) == T_POINT2D) {
            w = to_device_px(point_coordinate(&size, 0));
            h = to_device_px(point_coordinate(&size, 1));
        }
        for (int32_t i = 0; i < n; i++) {
            Cell v = at(i);
            if (type_of(&v) != T_IMAGE) continue;
            if (cairo_surface_t* s = surface_of(&v)) surfaces.push_back(s);
        }
    }
    gtk::button_set_images(id, surfaces, w, h);
    for (cairo_surface_t* s : surfaces)
        cairo_surface_destroy(s);
}

} // namespace xel::gui
