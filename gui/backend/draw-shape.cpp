// The shape sub-dialect: a path of moves, lines, arcs and curves, absolute
// for a word! and relative to the current point for a lit-word!, painted by
// `shape` or made a clip by `clip`.
#include "gui/backend/draw-walk.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"

namespace xel::draw {

namespace {

struct PathBuilder {
    cairo_t* cr;
    gfx::Point current{0, 0};
    bool started = false;
    bool has_control = false;
    gfx::Point control{0, 0};
};

gfx::Point offset(const PathBuilder& b, gfx::Point p, bool relative) {
    return relative ? gfx::Point{b.current.x + p.x, b.current.y + p.y} : p;
}

void ensure_started(PathBuilder& b) {
    if (!b.started) {
        cairo_move_to(b.cr, b.current.x, b.current.y);
        b.started = true;
    }
}

void line_to(PathBuilder& b, gfx::Point p) {
    ensure_started(b);
    cairo_line_to(b.cr, p.x, p.y);
    b.current = p;
    b.has_control = false;
}

void shape_command(Cursor& c, PathBuilder& b) {
    bool relative = type_of(c.p) == T_LIT_WORD;
    Kw kw = keyword(c.p);
    const Cell* word = c.p++;
    switch (kw) {
    case Kw::kMove: {
        gfx::Point p = offset(b, need_point(c), relative);
        cairo_move_to(b.cr, p.x, p.y);
        b.current = p;
        b.started = true;
        b.has_control = false;
        return;
    }
    case Kw::kLine: {
        if (!c.more() || !is_point(c.p)) invalid_here(c);
        while (c.more() && is_point(c.p))
            line_to(b, offset(b, point_of(c.p++), relative));
        return;
    }
    case Kw::kHline: {
        double x = need_number(c);
        line_to(b, {relative ? b.current.x + x : x, b.current.y});
        return;
    }
    case Kw::kVline: {
        double y = need_number(c);
        line_to(b, {b.current.x, relative ? b.current.y + y : y});
        return;
    }
    case Kw::kArc: {
        gfx::Point end = offset(b, need_point(c), relative);
        double rx = need_number(c);
        double ry = need_number(c);
        double angle = need_number(c);
        bool sweep = false, large = false;
        for (int i = 0; i < 2 && c.more() && type_of(c.p) == T_WORD; i++) {
            Kw k = keyword(c.p);
            if (k == Kw::kSweep && !sweep)
                sweep = true;
            else if (k == Kw::kLarge && !large)
                large = true;
            else
                break;
            c.p++;
        }
        ensure_started(b);
        gfx::path_arc_to(b.cr, end.x, end.y, rx, ry, angle, sweep, large);
        b.current = end;
        b.has_control = false;
        return;
    }
    case Kw::kCurve:
    case Kw::kCurv:
    case Kw::kQcurve:
    case Kw::kQcurv: {
        bool cubic = kw == Kw::kCurve || kw == Kw::kCurv;
        bool smooth = kw == Kw::kCurv || kw == Kw::kQcurv;
        size_t per = (cubic ? 3 : 2) - (smooth ? 1 : 0);
        size_t taken = 0;
        while (c.more() && is_point(c.p)) {
            Cell* first = c.p;
            gfx::Point pts[3];
            size_t n = 0;
            while (n < per && c.more() && is_point(c.p))
                pts[n++] = point_of(c.p++);
            if (n < per) {
                // A partial group is left unread.
                c.p = first;
                break;
            }
            gfx::Point start = b.current;
            for (size_t i = 0; i < n; i++)
                pts[i] = offset(b, pts[i], relative);
            gfx::Point reflected =
                b.has_control ? gfx::Point{2 * start.x - b.control.x, 2 * start.y - b.control.y}
                              : start;
            ensure_started(b);
            gfx::Point end;
            if (cubic) {
                gfx::Point c1 = smooth ? reflected : pts[0];
                gfx::Point c2 = pts[smooth ? 0 : 1];
                end = pts[smooth ? 1 : 2];
                cairo_curve_to(b.cr, c1.x, c1.y, c2.x, c2.y, end.x, end.y);
                b.control = c2;
            } else {
                gfx::Point q = smooth ? reflected : pts[0];
                end = pts[smooth ? 0 : 1];
                gfx::path_quad_to(b.cr, q.x, q.y, end.x, end.y);
                b.control = q;
            }
            b.current = end;
            b.has_control = true;
            taken++;
        }
        if (taken == 0) invalid_here(c);
        return;
    }
    case Kw::kClose:
        if (b.started) cairo_close_path(b.cr);
        b.has_control = false;
        return;
    default:
        invalid_at(c, word);
    }
}

void shape_walk(Cursor& outer, const Cell* block, PathBuilder& b) {
    (void)outer;
    Offset node = series_node(block);
    if (cycles_find(node)) error_fire(kCatScript, err::script::kDrawInfinite, block);
    cycles_push(node);
    Cursor c{*block, block_rs_head(block), block_rs_tail(block)};
    while (c.more()) {
        switch (type_of(c.p)) {
        case T_WORD:
        case T_LIT_WORD:
            shape_command(c, b);
            break;
        case T_SET_WORD:
            take_set_word(c);
            break;
        case T_BLOCK: {
            const Cell* inner = c.p++;
            shape_walk(c, inner, b);
            break;
        }
        default:
            invalid_here(c);
        }
    }
    cycles_pop();
}

} // namespace

void command_shape_block(Walk& w, Cursor& c, const Cell* block, bool for_clip) {
    cairo_t* cr = w.ctx->cr();
    PathBuilder b{cr};
    if (for_clip) {
        cairo_new_path(cr);
        shape_walk(c, block, b);
        return;
    }
    w.ctx->paint([&] { shape_walk(c, block, b); });
}

} // namespace xel::draw
