// Path pieces cairo has no call for: elliptical arcs given by their end
// point, quadratic curves, and Catmull-Rom splines through points.
#pragma once
#include <cairo.h>
#include <vector>

namespace xel::gfx {

struct Point {
    double x, y;
};

// An elliptical arc from the current point to (x, y) with radii rx, ry
// rotated by angle degrees; clockwise (in y-down space) with sweep, the
// longer way round with large. Radii too small to reach are scaled up.
void path_arc_to(cairo_t* cr, double x, double y, double rx, double ry, double angle, bool sweep,
                 bool large);
// A quadratic segment from the current point, as the cubic it equals.
void path_quad_to(cairo_t* cr, double cx, double cy, double x, double y);
// A spline through the points (at least 3), 25 straight pieces per span;
// closed joins the last point back to the first.
void path_spline(cairo_t* cr, const std::vector<Point>& points, bool closed);
// The arc of an ellipse by start and sweep angles in degrees (true angles
// on the ellipse); a pie slice from the centre when closed.
void path_ellipse_arc(cairo_t* cr, double cx, double cy, double rx, double ry, double start,
                      double sweep, bool closed);
// A whole axis-aligned ellipse.
void path_ellipse(cairo_t* cr, double cx, double cy, double rx, double ry);
void path_rounded_box(cairo_t* cr, double x0, double y0, double x1, double y1, double radius);

} // namespace xel::gfx
