#include "platform/gfx/gfx-path.h"

#include <algorithm>
#include <cmath>

namespace xel::gfx {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void path_quad_to(cairo_t* cr, double cx, double cy, double x, double y) {
    double sx, sy;
    cairo_get_current_point(cr, &sx, &sy);
    cairo_curve_to(cr, sx + 2.0 / 3 * (cx - sx), sy + 2.0 / 3 * (cy - sy), x + 2.0 / 3 * (cx - x),
                   y + 2.0 / 3 * (cy - y), x, y);
}

void path_arc_to(cairo_t* cr, double x, double y, double rx, double ry, double angle, bool sweep,
                 bool large) {
    double x1, y1;
    cairo_get_current_point(cr, &x1, &y1);
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if ((x1 == x && y1 == y)) return;
    if (rx == 0 || ry == 0) {
        cairo_line_to(cr, x, y);
        return;
    }
    double phi = angle * kPi / 180;
    double c = std::cos(phi), s = std::sin(phi);
    double dx = (x1 - x) / 2, dy = (y1 - y) / 2;
    double px = c * dx + s * dy, py = -s * dx + c * dy;
    double lambda = (px * px) / (rx * rx) + (py * py) / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    double num = rx * rx * ry * ry - rx * rx * py * py - ry * ry * px * px;
    double den = rx * rx * py * py + ry * ry * px * px;
    double k = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0;
    if (large == sweep) k = -k;
    double cxp = k * rx * py / ry, cyp = -k * ry * px / rx;
    double cx = c * cxp - s * cyp + (x1 + x) / 2;
    double cy = s * cxp + c * cyp + (y1 + y) / 2;
    auto ang = [](double ux, double uy, double vx, double vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    double t1 = ang(1, 0, (px - cxp) / rx, (py - cyp) / ry);
    double dt = ang((px - cxp) / rx, (py - cyp) / ry, (-px - cxp) / rx, (-py - cyp) / ry);
    if (!sweep && dt > 0) dt -= 2 * kPi;
    if (sweep && dt < 0) dt += 2 * kPi;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, phi);
    cairo_scale(cr, rx, ry);
    if (dt > 0)
        cairo_arc(cr, 0, 0, 1, t1, t1 + dt);
    else
        cairo_arc_negative(cr, 0, 0, 1, t1, t1 + dt);
    cairo_restore(cr);
}

void path_spline(cairo_t* cr, const std::vector<Point>& pts, bool closed) {
    size_t n = pts.size();
    auto span = [&](const Point& p0, const Point& p1, const Point& p2, const Point& p3) {
        for (int i = 1; i <= 25; i++) {
            double t = i * 0.04, t2 = t * t, t3 = t2 * t;
            auto f = [&](double a0, double a1, double a2, double a3) {
                return 0.5 * (2 * a1 + (a2 - a0) * t + (2 * a0 - 5 * a1 + 4 * a2 - a3) * t2 +
                              (3 * (a1 - a2) + a3 - a0) * t3);
            };
            cairo_line_to(cr, f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y));
        }
    };
    cairo_move_to(cr, pts[0].x, pts[0].y);
    for (size_t i = 0; i + 1 < n; i++) {
        const Point& p0 = i == 0 ? (closed ? pts[n - 1] : pts[0]) : pts[i - 1];
        const Point& p3 = i + 2 < n ? pts[i + 2] : (closed ? pts[0] : pts[n - 1]);
        span(p0, pts[i], pts[i + 1], p3);
    }
    if (closed) {
        span(pts[n - 2], pts[n - 1], pts[0], pts[1]);
        cairo_close_path(cr);
    }
}

void path_ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    if (rx <= 0 || ry <= 0) return;
    cairo_new_sub_path(cr);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_close_path(cr);
}

void path_ellipse_arc(cairo_t* cr, double cx, double cy, double rx, double ry, double start,
                      double sweep, bool closed) {
    double a0 = start * kPi / 180, a1 = (start + sweep) * kPi / 180;
    // True angles on the ellipse become the parameter angles of its equation.
    auto param = [&](double a) {
        return rx == ry || rx == 0 || ry == 0 ? a : std::atan2(std::sin(a) * rx, std::cos(a) * ry);
    };
    double t0 = param(a0), t1 = param(a1);
    if (sweep >= 0) {
        while (t1 < t0)
            t1 += 2 * kPi;
    } else {
        while (t1 > t0)
            t1 -= 2 * kPi;
    }
    cairo_new_sub_path(cr);
    if (closed) cairo_move_to(cr, cx, cy);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx > 0 ? rx : 1e-9, ry > 0 ? ry : 1e-9);
    if (sweep >= 0)
        cairo_arc(cr, 0, 0, 1, t0, t1);
    else
        cairo_arc_negative(cr, 0, 0, 1, t0, t1);
    cairo_restore(cr);
    if (closed) cairo_close_path(cr);
}

void path_rounded_box(cairo_t* cr, double x0, double y0, double x1, double y1, double r) {
    r = std::min({r, (x1 - x0) / 2, (y1 - y0) / 2});
    if (r <= 0) {
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        return;
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, x1 - r, y0 + r, r, -kPi / 2, 0);
    cairo_arc(cr, x1 - r, y1 - r, r, 0, kPi / 2);
    cairo_arc(cr, x0 + r, y1 - r, r, kPi / 2, kPi);
    cairo_arc(cr, x0 + r, y0 + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

} // namespace xel::gfx
