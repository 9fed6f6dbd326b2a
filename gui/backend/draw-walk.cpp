// The walk of a draw command block and the commands of geometry, state and
// transformation.
#include "gui/backend/draw-walk.h"

#include <cmath>
#include <vector>

#include "platform/gfx/gfx-path.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/percent/percent-cell.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"

namespace xel::draw {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void invalid_at(const Cursor& c, const Cell* at) {
    Cell where = c.block;
    series_set_index(&where,
                     static_cast<int32_t>(at - block_rs_head(&c.block)) + block_index(&c.block));
    error_fire(kCatScript, err::script::kDrawInvalid, &where);
}

void invalid_here(const Cursor& c) {
    invalid_at(c, c.p);
}

bool is_point(const Cell* v) {
    return type_of(v) == T_PAIR || type_of(v) == T_POINT2D;
}

gfx::Point point_of(const Cell* v) {
    if (type_of(v) == T_PAIR)
        return {static_cast<double>(pair_x(v)), static_cast<double>(pair_y(v))};
    return {point_coordinate(v, 0), point_coordinate(v, 1)};
}

bool is_number(const Cell* v) {
    return type_of(v) == T_INTEGER || type_of(v) == T_FLOAT;
}

double number_of(const Cell* v) {
    switch (type_of(v)) {
    case T_INTEGER:
        return integer_get(v);
    case T_PERCENT:
        return percent_get(v);
    default:
        return float_get(v);
    }
}

bool is_scale(const Cell* v) {
    return is_number(v) || type_of(v) == T_PERCENT;
}

namespace {

const Cell* word_value(const Cell* v) {
    if (type_of(v) != T_WORD) return nullptr;
    return context_peek_fast(v);
}

bool is_colour_tuple(const Cell* v) {
    return v && type_of(v) == T_TUPLE && (tuple_count(v) == 3 || tuple_count(v) == 4);
}

} // namespace

const Cell* colour_cell(const Cell* v) {
    if (is_colour_tuple(v)) return v;
    const Cell* value = word_value(v);
    return is_colour_tuple(value) ? value : nullptr;
}

gfx::Rgba colour_of(const Cell* colour) {
    return gfx::rgba_from_bytes(tuple_bytes(colour), tuple_count(colour));
}

const Cell* image_cell(const Cell* v) {
    if (type_of(v) == T_IMAGE) return v;
    const Cell* value = word_value(v);
    return value && type_of(value) == T_IMAGE ? value : nullptr;
}

gfx::Point need_point(Cursor& c) {
    if (!c.more() || !is_point(c.p)) invalid_here(c);
    return point_of(c.p++);
}

double need_number(Cursor& c) {
    if (!c.more() || !is_number(c.p)) invalid_here(c);
    return number_of(c.p++);
}

namespace {

// Points while the next cell is one; fewer than min is invalid at the cell
// where the next point was wanted.
std::vector<gfx::Point> points(Cursor& c, size_t min) {
    std::vector<gfx::Point> pts;
    while (c.more() && is_point(c.p))
        pts.push_back(point_of(c.p++));
    if (pts.size() < min) invalid_here(c);
    return pts;
}

bool take_word(Cursor& c, Kw kw) {
    if (c.more() && type_of(c.p) == T_WORD && keyword(c.p) == kw) {
        c.p++;
        return true;
    }
    return false;
}

const Cell* take_block(Cursor& c) {
    if (c.more() && type_of(c.p) == T_BLOCK) return c.p++;
    return nullptr;
}

void polyline(cairo_t* cr, const std::vector<gfx::Point>& pts) {
    cairo_move_to(cr, pts[0].x, pts[0].y);
    for (size_t i = 1; i < pts.size(); i++)
        cairo_line_to(cr, pts[i].x, pts[i].y);
}

void command_box(Walk& w, Cursor& c) {
    gfx::Point a = need_point(c);
    gfx::Point b = need_point(c);
    double radius = c.more() && is_number(c.p) ? number_of(c.p++) : 0;
    double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
    double y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    cairo_t* cr = w.ctx->cr();
    w.ctx->paint([&] { gfx::path_rounded_box(cr, x0, y0, x1, y1, radius); }, true, true);
}

void command_line(Walk& w, Cursor& c) {
    std::vector<gfx::Point> pts = points(c, 2);
    cairo_t* cr = w.ctx->cr();
    if (pts.size() == 2) {
        cairo_new_path(cr);
        polyline(cr, pts);
        w.ctx->stroke_only();
        return;
    }
    w.ctx->paint([&] { polyline(cr, pts); });
}

void command_polygon(Walk& w, Cursor& c, size_t min, size_t max) {
    std::vector<gfx::Point> pts;
    while (pts.size() < max && c.more() && is_point(c.p))
        pts.push_back(point_of(c.p++));
    if (pts.size() < min) invalid_here(c);
    cairo_t* cr = w.ctx->cr();
    w.ctx->paint([&] {
        polyline(cr, pts);
        cairo_close_path(cr);
    });
}

void command_circle(Walk& w, Cursor& c) {
    gfx::Point centre = need_point(c);
    double rx = need_number(c);
    double ry = c.more() && is_number(c.p) ? number_of(c.p++) : rx;
    cairo_t* cr = w.ctx->cr();
    w.ctx->paint([&] { gfx::path_ellipse(cr, centre.x, centre.y, rx, ry); }, true, true);
}

void command_ellipse(Walk& w, Cursor& c) {
    gfx::Point at = need_point(c);
    gfx::Point size = need_point(c);
    cairo_t* cr = w.ctx->cr();
    w.ctx->paint(
        [&] {
            gfx::path_ellipse(cr, at.x + size.x / 2, at.y + size.y / 2, std::fabs(size.x / 2),
                              std::fabs(size.y / 2));
        },
        true, true);
}

void command_arc(Walk& w, Cursor& c) {
    gfx::Point centre = need_point(c);
    gfx::Point radii = need_point(c);
    double start = need_number(c);
    double sweep = need_number(c);
    bool closed = take_word(c, Kw::kClosed);
    cairo_t* cr = w.ctx->cr();
    if (sweep >= 359.999 || sweep <= -359.999) {
        w.ctx->paint([&] { gfx::path_ellipse(cr, centre.x, centre.y, radii.x, radii.y); });
        return;
    }
    w.ctx->paint(
        [&] {
            gfx::path_ellipse_arc(cr, centre.x, centre.y, radii.x, radii.y, start, sweep, closed);
        },
        closed);
}

void command_curve(Walk& w, Cursor& c) {
    std::vector<gfx::Point> pts;
    while (pts.size() < 4 && c.more() && is_point(c.p))
        pts.push_back(point_of(c.p++));
    if (pts.size() < 3) invalid_here(c);
    cairo_t* cr = w.ctx->cr();
    w.ctx->paint([&] {
        cairo_move_to(cr, pts[0].x, pts[0].y);
        if (pts.size() == 3)
            gfx::path_quad_to(cr, pts[1].x, pts[1].y, pts[2].x, pts[2].y);
        else
            cairo_curve_to(cr, pts[1].x, pts[1].y, pts[2].x, pts[2].y, pts[3].x, pts[3].y);
    });
}

void command_spline(Walk& w, Cursor& c) {
    std::vector<gfx::Point> pts = points(c, 2);
    bool closed = take_word(c, Kw::kClosed);
    cairo_t* cr = w.ctx->cr();
    if (pts.size() == 2) {
        cairo_new_path(cr);
        polyline(cr, pts);
        w.ctx->stroke_only();
        return;
    }
    w.ctx->paint([&] { gfx::path_spline(cr, pts, closed); }, closed);
}

void command_anti_alias(Walk& w, Cursor& c) {
    if (!c.more() || type_of(c.p) != T_WORD) invalid_here(c);
    w.ctx->state().anti_alias = keyword(c.p++) != Kw::kOff;
    w.ctx->apply_anti_alias();
}

void command_shadow(Walk& w, Cursor& c) {
    Shadow& sh = w.ctx->state().shadow;
    if (take_word(c, Kw::kOff)) {
        sh = Shadow{};
        return;
    }
    gfx::Point offset = need_point(c);
    Shadow s;
    s.on = true;
    s.dx = offset.x;
    s.dy = offset.y;
    if (c.more() && type_of(c.p) == T_INTEGER) {
        s.blur = integer_get(c.p++);
        if (c.more() && type_of(c.p) == T_INTEGER) s.spread = integer_get(c.p++);
    }
    if (c.more())
        if (const Cell* colour = colour_cell(c.p)) {
            s.color = colour_of(colour);
            c.p++;
        }
    s.inset = take_word(c, Kw::kInset);
    sh = s;
}

gfx::ClipMode clip_mode(Kw kw) {
    switch (kw) {
    case Kw::kIntersect:
        return gfx::ClipMode::kIntersect;
    case Kw::kUnion:
        return gfx::ClipMode::kUnion;
    case Kw::kXor:
        return gfx::ClipMode::kXor;
    case Kw::kExclude:
        return gfx::ClipMode::kExclude;
    default:
        return gfx::ClipMode::kReplace;
    }
}

void command_clip(Walk& w, Cursor& c, gfx::ClipMode& mode) {
    DrawContext& ctx = *w.ctx;
    cairo_t* cr = ctx.cr();
    DrawState saved;
    const Cell* body = nullptr;
    cairo_new_path(cr);
    if (c.more() && type_of(c.p) == T_BLOCK) {
        const Cell* shape = c.p++;
        command_shape_block(w, c, shape, true);
    } else {
        gfx::Point a = need_point(c);
        gfx::Point b = need_point(c);
        cairo_new_path(cr);
        cairo_rectangle(cr, a.x, a.y, b.x - a.x, b.y - a.y);
    }
    if (c.more() && type_of(c.p) == T_WORD) {
        Kw kw = keyword(c.p);
        if (kw == Kw::kReplace || kw == Kw::kIntersect || kw == Kw::kUnion || kw == Kw::kXor ||
            kw == Kw::kExclude) {
            mode = clip_mode(kw);
            c.p++;
        }
    }
    body = take_block(c);
    if (body) saved = ctx.save();
    ctx.state().clip = gfx::clip_combine(cr, ctx.state().clip, mode);
    ctx.apply_clip();
    if (body) {
        walk(w, body);
        ctx.restore(saved);
    }
}

// The optional 'pen or 'fill-pen naming the brush a transformation acts on;
// null for the drawing.
gfx::Brush* transform_target(Walk& w, Cursor& c) {
    if (!c.more() || type_of(c.p) != T_LIT_WORD) return nullptr;
    Kw kw = keyword(c.p);
    if (kw == Kw::kPen) return c.p++, &w.ctx->state().pen;
    if (kw == Kw::kFillPen) return c.p++, &w.ctx->state().fill;
    return nullptr;
}

void apply(Walk& w, gfx::Brush* brush, const cairo_matrix_t& m) {
    if (!brush) {
        w.ctx->transform(m);
    } else if (brush->transformable()) {
        cairo_matrix_multiply(&brush->transform, &m, &brush->transform);
    }
}

cairo_matrix_t about(const cairo_matrix_t& m, gfx::Point centre) {
    cairo_matrix_t r, t;
    cairo_matrix_init_translate(&t, -centre.x, -centre.y);
    cairo_matrix_multiply(&r, &t, &m);
    cairo_matrix_init_translate(&t, centre.x, centre.y);
    cairo_matrix_multiply(&r, &r, &t);
    return r;
}

cairo_matrix_t rotation(double degrees, gfx::Point centre) {
    cairo_matrix_t m;
    cairo_matrix_init_rotate(&m, degrees * kPi / 180);
    return about(m, centre);
}

cairo_matrix_t scaling(double sx, double sy, gfx::Point centre) {
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, sx, sy);
    return about(m, centre);
}

void command_transformation(Walk& w, Cursor& c, Kw kw) {
    gfx::Brush* target = transform_target(w, c);
    auto optional_point = [&](gfx::Point dflt) {
        return c.more() && is_point(c.p) ? point_of(c.p++) : dflt;
    };
    std::vector<cairo_matrix_t> steps;
    switch (kw) {
    case Kw::kRotate: {
        double angle = need_number(c);
        steps.push_back(rotation(angle, optional_point({0, 0})));
        break;
    }
    case Kw::kScale: {
        if (!c.more() || !is_scale(c.p)) invalid_here(c);
        double sx = number_of(c.p++);
        if (!c.more() || !is_scale(c.p)) invalid_here(c);
        double sy = number_of(c.p++);
        steps.push_back(scaling(sx, sy, optional_point({0, 0})));
        break;
    }
    case Kw::kTranslate: {
        gfx::Point d = need_point(c);
        cairo_matrix_t m;
        cairo_matrix_init_translate(&m, d.x, d.y);
        steps.push_back(m);
        break;
    }
    case Kw::kSkew: {
        double ax = need_number(c);
        double ay = c.more() && is_number(c.p) ? number_of(c.p++) : 0;
        gfx::Point centre = optional_point({0, 0});
        double tx = std::tan(ax * kPi / 180), ty = std::tan(ay * kPi / 180);
        cairo_matrix_t m;
        cairo_matrix_init(&m, 1, ty, tx, 1, -centre.y * tx, -centre.x * ty);
        steps.push_back(m);
        break;
    }
    case Kw::kTransform: {
        gfx::Point centre = optional_point({0, 0});
        double angle = need_number(c);
        if (!c.more() || !is_scale(c.p)) invalid_here(c);
        double sx = number_of(c.p++);
        if (!c.more() || !is_scale(c.p)) invalid_here(c);
        double sy = number_of(c.p++);
        gfx::Point d = need_point(c);
        cairo_matrix_t t;
        cairo_matrix_init_translate(&t, d.x, d.y);
        steps = {rotation(angle, centre), scaling(sx, sy, centre), t};
        break;
    }
    case Kw::kMatrix: {
        if (!c.more() || type_of(c.p) != T_BLOCK) invalid_here(c);
        Cursor inner{*c.p, block_rs_head(c.p), block_rs_tail(c.p)};
        double v[6];
        for (double& x : v)
            x = need_number(inner);
        c.p++;
        cairo_matrix_t m;
        cairo_matrix_init(&m, v[0], v[1], v[2], v[3], v[4], v[5]);
        apply(w, target, m);
        return;
    }
    case Kw::kResetMatrix:
        if (!target) {
            cairo_matrix_init_identity(&w.ctx->state().matrix);
            w.ctx->apply_matrix();
        } else if (target->transformable()) {
            cairo_matrix_init_identity(&target->transform);
        }
        return;
    case Kw::kInvertMatrix: {
        cairo_matrix_t* m = target ? &target->transform : &w.ctx->state().matrix;
        if (target && !target->transformable()) return;
        cairo_matrix_t copy = *m;
        if (cairo_matrix_invert(&copy) == CAIRO_STATUS_SUCCESS) *m = copy;
        if (!target) w.ctx->apply_matrix();
        return;
    }
    default:
        return;
    }
    const Cell* body = take_block(c);
    DrawState saved;
    if (body) saved = w.ctx->save();
    for (const auto& m : steps)
        apply(w, target, m);
    if (body) {
        walk(w, body);
        w.ctx->restore(saved);
    }
}

void command(Walk& w, Cursor& c, gfx::ClipMode& clip) {
    Kw kw = type_of(c.p) == T_WORD ? keyword(c.p) : Kw::kNone;
    switch (kw) {
    case Kw::kPen:
        command_pen(w, c, false);
        return;
    case Kw::kFillPen:
        command_pen(w, c, true);
        return;
    case Kw::kLineWidth:
    case Kw::kLineJoin:
    case Kw::kLineCap:
    case Kw::kLinePattern:
        command_line_style(w, c, kw);
        return;
    case Kw::kFont:
        command_font(w, c);
        return;
    case Kw::kText:
        command_text(w, c);
        return;
    case Kw::kImage:
        command_image(w, c);
        return;
    default:
        break;
    }
    c.p++;
    switch (kw) {
    case Kw::kBox:
        command_box(w, c);
        return;
    case Kw::kLine:
        command_line(w, c);
        return;
    case Kw::kTriangle:
        command_polygon(w, c, 3, 3);
        return;
    case Kw::kPolygon:
        command_polygon(w, c, 3, SIZE_MAX);
        return;
    case Kw::kCircle:
        command_circle(w, c);
        return;
    case Kw::kEllipse:
        command_ellipse(w, c);
        return;
    case Kw::kArc:
        command_arc(w, c);
        return;
    case Kw::kCurve:
        command_curve(w, c);
        return;
    case Kw::kSpline:
        command_spline(w, c);
        return;
    case Kw::kAntiAlias:
        command_anti_alias(w, c);
        return;
    case Kw::kShadow:
        command_shadow(w, c);
        return;
    case Kw::kClip:
        command_clip(w, c, clip);
        return;
    case Kw::kShape: {
        if (!c.more() || type_of(c.p) != T_BLOCK) invalid_here(c);
        const Cell* shape = c.p++;
        cairo_new_path(w.ctx->cr());
        command_shape_block(w, c, shape, false);
        return;
    }
    case Kw::kPush: {
        const Cell* body = take_block(c);
        if (!body) invalid_here(c);
        walk_saved(w, body);
        return;
    }
    case Kw::kRotate:
    case Kw::kScale:
    case Kw::kTranslate:
    case Kw::kSkew:
    case Kw::kTransform:
    case Kw::kMatrix:
    case Kw::kResetMatrix:
    case Kw::kInvertMatrix:
        command_transformation(w, c, kw);
        return;
    default:
        invalid_at(c, c.p - 1);
    }
}

} // namespace

void take_set_word(Cursor& c) {
    Cell here = c.block;
    series_set_index(&here,
                     static_cast<int32_t>(c.p - block_rs_head(&c.block)) + block_index(&c.block));
    if (Cell* slot = context_peek_fast(c.p)) *slot = here;
    c.p++;
}

void walk(Walk& w, const Cell* block) {
    Offset node = series_node(block);
    if (cycles_find(node)) error_fire(kCatScript, err::script::kDrawInfinite, block);
    cycles_push(node);
    Cursor c{*block, block_rs_head(block), block_rs_tail(block)};
    gfx::ClipMode clip = gfx::ClipMode::kReplace;
    while (c.more()) {
        switch (type_of(c.p)) {
        case T_WORD:
            command(w, c, clip);
            break;
        case T_SET_WORD:
            take_set_word(c);
            break;
        case T_BLOCK: {
            const Cell* inner = c.p++;
            walk(w, inner);
            break;
        }
        default:
            invalid_here(c);
        }
    }
    cycles_pop();
}

void walk_saved(Walk& w, const Cell* block) {
    DrawState saved = w.ctx->save();
    walk(w, block);
    w.ctx->restore(saved);
}

} // namespace xel::draw
