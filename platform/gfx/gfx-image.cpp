#include "platform/gfx/gfx-image.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace xel::gfx {

namespace {

// The part as the source at 0,0, its edges padded from its own pixels, so
// filtering never reaches past the part.
void set_part_source(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw,
                     double sh) {
    cairo_surface_t* part = cairo_surface_create_for_rectangle(image, sx, sy, sw, sh);
    cairo_set_source_surface(cr, part, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_surface_destroy(part);
}

} // namespace

void image_to_box(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw, double sh,
                  double x, double y, double w, double h) {
    if (sw <= 0 || sh <= 0 || w == 0 || h == 0) return;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, w / sw, h / sh);
    set_part_source(cr, image, sx, sy, sw, sh);
    cairo_paint(cr);
    cairo_restore(cr);
}

namespace {

// The projective map of the unit square onto the quad (Heckbert's form).
struct Homography {
    double a, b, c, d, e, f, g, h;
};

bool square_to_quad(const Point q[4], Homography* m) {
    double dx1 = q[1].x - q[2].x, dx2 = q[3].x - q[2].x, sx = q[0].x - q[1].x + q[2].x - q[3].x;
    double dy1 = q[1].y - q[2].y, dy2 = q[3].y - q[2].y, sy = q[0].y - q[1].y + q[2].y - q[3].y;
    double den = dx1 * dy2 - dx2 * dy1;
    if (den == 0) return false;
    double g = (sx * dy2 - dx2 * sy) / den;
    double h = (dx1 * sy - sx * dy1) / den;
    *m = {q[1].x - q[0].x + g * q[1].x,
          q[3].x - q[0].x + h * q[3].x,
          q[0].x,
          q[1].y - q[0].y + g * q[1].y,
          q[3].y - q[0].y + h * q[3].y,
          q[0].y,
          g,
          h};
    return true;
}

bool is_parallelogram(const Point q[4]) {
    return std::fabs(q[0].x + q[2].x - q[1].x - q[3].x) < 1e-9 &&
           std::fabs(q[0].y + q[2].y - q[1].y - q[3].y) < 1e-9;
}

} // namespace

void image_to_quad(cairo_t* cr, cairo_surface_t* image, double sx, double sy, double sw, double sh,
                   const Point q[4]) {
    if (sw <= 0 || sh <= 0) return;
    if (is_parallelogram(q)) {
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_move_to(cr, q[0].x, q[0].y);
        for (int i = 1; i < 4; i++)
            cairo_line_to(cr, q[i].x, q[i].y);
        cairo_close_path(cr);
        cairo_clip(cr);
        cairo_matrix_t m;
        cairo_matrix_init(&m, (q[1].x - q[0].x) / sw, (q[1].y - q[0].y) / sw,
                          (q[3].x - q[0].x) / sh, (q[3].y - q[0].y) / sh, q[0].x, q[0].y);
        cairo_transform(cr, &m);
        set_part_source(cr, image, sx, sy, sw, sh);
        cairo_paint(cr);
        cairo_restore(cr);
        return;
    }
    Homography m;
    if (!square_to_quad(q, &m)) return;
    // The quad's bounds in device space, resampled pixel by pixel through the
    // inverse of user-to-device and of the homography.
    cairo_matrix_t to_device;
    cairo_get_matrix(cr, &to_device);
    cairo_matrix_t to_user = to_device;
    if (cairo_matrix_invert(&to_user) != CAIRO_STATUS_SUCCESS) return;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (int i = 0; i < 4; i++) {
        double x = q[i].x, y = q[i].y;
        cairo_matrix_transform_point(&to_device, &x, &y);
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    int bx = static_cast<int>(std::floor(x0)), by = static_cast<int>(std::floor(y0));
    int bw = static_cast<int>(std::ceil(x1)) - bx, bh = static_cast<int>(std::ceil(y1)) - by;
    if (bw <= 0 || bh <= 0 || static_cast<int64_t>(bw) * bh > 64 * 1024 * 1024) return;
    cairo_surface_flush(image);
    const unsigned char* src = cairo_image_surface_get_data(image);
    int iw = cairo_image_surface_get_width(image), ih = cairo_image_surface_get_height(image);
    int istride = cairo_image_surface_get_stride(image);
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bw, bh);
    unsigned char* dst = cairo_image_surface_get_data(out);
    int ostride = cairo_image_surface_get_stride(out);
    // Inverse of the homography as the adjugate of its 3x3 matrix.
    double A = m.a, B = m.b, C = m.c, D = m.d, E = m.e, F = m.f, G = m.g, H = m.h;
    double i11 = E - F * H, i12 = C * H - B, i13 = B * F - C * E;
    double i21 = F * G - D, i22 = A - C * G, i23 = C * D - A * F;
    double i31 = D * H - E * G, i32 = B * G - A * H, i33 = A * E - B * D;
    for (int y = 0; y < bh; y++) {
        auto* row = reinterpret_cast<uint32_t*>(dst + static_cast<ptrdiff_t>(y) * ostride);
        for (int x = 0; x < bw; x++) {
            double ux = bx + x + 0.5, uy = by + y + 0.5;
            cairo_matrix_transform_point(&to_user, &ux, &uy);
            double w = i31 * ux + i32 * uy + i33;
            if (w == 0) continue;
            double u = (i11 * ux + i12 * uy + i13) / w, v = (i21 * ux + i22 * uy + i23) / w;
            if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
            int px = static_cast<int>(sx + u * sw), py = static_cast<int>(sy + v * sh);
            if (px < 0 || py < 0 || px >= iw || py >= ih) continue;
            row[x] =
                reinterpret_cast<const uint32_t*>(src + static_cast<ptrdiff_t>(py) * istride)[px];
        }
    }
    cairo_surface_mark_dirty(out);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, out, bx, by);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(out);
}

} // namespace xel::gfx
