// Drawing an image surface into a box, onto a parallelogram, or through a
// perspective mapping onto any four-cornered quad (cairo's matrices are
// affine only, so a true quad is resampled here).
#pragma once
#include <cairo.h>

#include "platform/gfx/gfx-path.h"

namespace xel::gfx {

// The part (sx, sy, sw, sh) of the image drawn into the box at (x, y) of
// size w x h, in user space.
void image_to_box(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw, double sh,
                  double x, double y, double w, double h);
// The part drawn onto the quad whose corners q[0..3] take the part's
// top-left, top-right, bottom-right and bottom-left corners.
void image_to_quad(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw, double sh,
                   const Point q[4]);

} // namespace xel::gfx
