// The image command: an image placed, scaled into a box, drawn onto a
// parallelogram or a quad, and cropped.
#include <cmath>

#include "gui/backend/draw-walk.h"
#include "platform/gfx/gfx-image.h"
#include "platform/gfx/gfx-surface.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"

namespace xel::draw {

void command_image(Walk& w, Cursor& c) {
    c.p++;
    const Cell* image = c.more() ? image_cell(c.p) : nullptr;
    if (!image) invalid_here(c);
    const Cell* at_image = c.p++;
    std::vector<gfx::Point> pts;
    while (pts.size() < 4 && c.more() && is_point(c.p))
        pts.push_back(point_of(c.p++));
    if (c.more() && colour_cell(c.p)) c.p++;
    bool crop = false;
    gfx::Point crop_at{}, crop_size{};
    if (c.more() && type_of(c.p) == T_WORD) {
        Kw kw = keyword(c.p);
        if (kw == Kw::kBorder) {
            c.p++;
        } else if (kw == Kw::kCrop) {
            c.p++;
            crop_at = need_point(c);
            crop_size = need_point(c);
            crop = true;
        }
    }
    Offset record = image_record(image);
    if (!record) return;
    double iw = bitmap_width(record), ih = bitmap_height(record);
    double sx = 0, sy = 0, sw = iw, sh = ih, dx = 0, dy = 0;
    if (crop) {
        sx = std::min(crop_at.x, crop_at.x + crop_size.x);
        sy = std::min(crop_at.y, crop_at.y + crop_size.y);
        sw = std::fabs(crop_size.x);
        sh = std::fabs(crop_size.y);
        // A part starting left of or above the image starts at its edge and
        // moves the drawing by as much.
        if (sx < 0) dx = -sx, sw += sx, sx = 0;
        if (sy < 0) dy = -sy, sh += sy, sy = 0;
        sw = std::min(sw, iw - sx);
        sh = std::min(sh, ih - sy);
        if (sw <= 0 || sh <= 0) return;
    }
    cairo_surface_t* surface =
        gfx::surface_from_pixels(bitmap_pixels(record), static_cast<int>(iw), static_cast<int>(ih));
    if (!surface) {
        Cell where = c.block;
        series_set_index(&where, static_cast<int32_t>(at_image - block_rs_head(&c.block)) +
                                     block_index(&c.block));
        error_fire(kCatInternal, err::internal::kNoMemory, &where);
    }
    cairo_t* cr = w.ctx->cr();
    w.ctx->masked([&] {
        switch (pts.size()) {
        case 0:
        case 1: {
            gfx::Point at = pts.empty() ? gfx::Point{0, 0} : pts[0];
            gfx::image_to_box(cr, surface, sx, sy, sw, sh, at.x + dx, at.y + dy, sw, sh);
            break;
        }
        case 2:
            gfx::image_to_box(cr, surface, sx, sy, sw, sh, pts[0].x + dx, pts[0].y + dy,
                              pts[1].x - pts[0].x, pts[1].y - pts[0].y);
            break;
        default: {
            // Three corners make a parallelogram; the fourth is opposite the second.
            gfx::Point q[4] = {pts[0], pts[1], pts[2],
                               pts.size() == 4 ? pts[3]
                                               : gfx::Point{pts[0].x + pts[2].x - pts[1].x,
                                                            pts[0].y + pts[2].y - pts[1].y}};
            gfx::image_to_quad(cr, surface, sx, sy, sw, sh, q);
            break;
        }
        }
    });
    cairo_surface_destroy(surface);
}

} // namespace xel::draw
