#include "gui/backend/draw-context.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace xel::draw {

DrawContext::DrawContext(cairo_t* cr, int width, int height)
    : cr_(cr), width_(width), height_(height) {
    cairo_save(cr_);
    cairo_get_matrix(cr_, &base_);
    cairo_save(cr_);
    apply_anti_alias();
}

DrawContext::~DrawContext() {
    if (mask_) cairo_surface_destroy(mask_);
    cairo_restore(cr_);
    cairo_restore(cr_);
}

void DrawContext::restore(const DrawState& saved) {
    bool clip_changed = saved.clip != state_.clip;
    state_ = saved;
    if (clip_changed) apply_clip();
    apply_matrix();
    apply_anti_alias();
}

void DrawContext::apply_matrix() {
    cairo_matrix_t m;
    cairo_matrix_multiply(&m, &state_.matrix, &base_);
    cairo_set_matrix(cr_, &m);
}

void DrawContext::apply_anti_alias() {
    cairo_set_antialias(cr_, state_.anti_alias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

// The clip goes back to the one the drawing began with, then the state's
// shapes are applied or made into the mask.
void DrawContext::apply_clip() {
    cairo_restore(cr_);
    cairo_save(cr_);
    apply_anti_alias();
    if (mask_) {
        cairo_surface_destroy(mask_);
        mask_ = nullptr;
    }
    if (gfx::clip_needs_mask(state_.clip)) {
        // The mask covers the device area up to the drawing's far corner.
        double x = width_, y = height_;
        cairo_matrix_transform_point(&base_, &x, &y);
        mask_ = gfx::clip_mask(state_.clip, static_cast<int>(std::ceil(x)),
                               static_cast<int>(std::ceil(y)));
    } else {
        gfx::clip_apply(cr_, state_.clip);
    }
    apply_matrix();
}

void DrawContext::transform(const cairo_matrix_t& m) {
    cairo_matrix_multiply(&state_.matrix, &m, &state_.matrix);
    apply_matrix();
}

void DrawContext::composite_mask() {
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_mask_surface(cr_, mask_, 0, 0);
    cairo_restore(cr_);
}

void DrawContext::begin_path_paint() {
    cairo_new_path(cr_);
}

void DrawContext::set_stroke_style() {
    cairo_set_line_width(cr_, state_.width);
    cairo_set_line_join(cr_, state_.join);
    cairo_set_line_cap(cr_, state_.cap);
    cairo_set_miter_limit(cr_, 10.0);
    // Dash lengths count in line widths; cairo refuses a pattern of zeros.
    std::vector<double> dashes;
    double total = 0;
    for (double d : state_.dashes) {
        dashes.push_back(std::fabs(d) * state_.width);
        total += dashes.back();
    }
    if (total <= 0) dashes.clear();
    cairo_set_dash(cr_, dashes.data(), static_cast<int>(dashes.size()), 0);
}

namespace {

gfx::Bounds path_bounds(cairo_t* cr) {
    gfx::Bounds b{};
    cairo_path_extents(cr, &b.x0, &b.y0, &b.x1, &b.y1);
    return b;
}

void set_brush(cairo_t* cr, const gfx::Brush& brush, const gfx::Bounds& bounds) {
    if (brush.kind == gfx::BrushKind::kSolid) {
        cairo_set_source_rgba(cr, brush.color.r, brush.color.g, brush.color.b, brush.color.a);
        return;
    }
    cairo_pattern_t* p = gfx::brush_pattern(brush, bounds);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// Three box blurs of an alpha surface approach a gaussian of deviation sigma.
void blur_alpha(cairo_surface_t* s, double sigma) {
    if (sigma <= 0) return;
    int radius =
        std::max(1, static_cast<int>(std::lround((std::sqrt(sigma * sigma * 4.0 + 1) - 1) / 2)));
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    std::vector<unsigned char> line(static_cast<size_t>(std::max(w, h)));
    auto pass = [&](unsigned char* base, int n, int step) {
        int sum = 0, win = 2 * radius + 1;
        auto at = [&](int i) {
            return i < 0 || i >= n ? 0 : base[static_cast<ptrdiff_t>(i) * step];
        };
        for (int i = -radius; i <= radius; i++)
            sum += at(i);
        for (int i = 0; i < n; i++) {
            line[static_cast<size_t>(i)] = static_cast<unsigned char>(sum / win);
            sum += at(i + radius + 1) - at(i - radius);
        }
        for (int i = 0; i < n; i++)
            base[static_cast<ptrdiff_t>(i) * step] = line[static_cast<size_t>(i)];
    };
    for (int k = 0; k < 3; k++) {
        for (int y = 0; y < h; y++)
            pass(data + static_cast<ptrdiff_t>(y) * stride, w, 1);
        for (int x = 0; x < w; x++)
            pass(data + x, h, stride);
    }
    cairo_surface_mark_dirty(s);
}

} // namespace

// The shadow: the shape's silhouette moved by the offset, grown by the
// spread, blurred by half the blur value as deviation, in the shadow colour.
// An inset shadow falls inside the shape from its moved edges.
void DrawContext::draw_shadow(cairo_path_t* path) {
    const Shadow& sh = state_.shadow;
    double x = width_, y = height_;
    cairo_matrix_transform_point(&base_, &x, &y);
    int w = static_cast<int>(std::ceil(x)), h = static_cast<int>(std::ceil(y));
    if (w <= 0 || h <= 0) return;
    cairo_surface_t* alpha = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* a = cairo_create(alpha);
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    cairo_set_matrix(a, &m);
    cairo_translate(a, sh.dx, sh.dy);
    cairo_append_path(a, path);
    if (sh.inset) {
        cairo_set_operator(a, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(a, 0, 0, 0, 1);
        cairo_save(a);
        cairo_identity_matrix(a);
        cairo_paint(a);
        cairo_restore(a);
        cairo_set_operator(a, CAIRO_OPERATOR_CLEAR);
    } else {
        cairo_set_source_rgba(a, 0, 0, 0, 1);
    }
    cairo_fill_preserve(a);
    if (sh.spread > 0) {
        cairo_set_line_width(a, sh.spread * 2);
        cairo_stroke(a);
    }
    cairo_destroy(a);
    blur_alpha(alpha, sh.blur / 2);
    cairo_save(cr_);
    if (sh.inset) {
        cairo_new_path(cr_);
        cairo_append_path(cr_, path);
        cairo_clip(cr_);
    }
    cairo_set_source_rgba(cr_, sh.color.r, sh.color.g, sh.color.b, sh.color.a);
    cairo_identity_matrix(cr_);
    cairo_mask_surface(cr_, alpha, 0, 0);
    cairo_restore(cr_);
    cairo_surface_destroy(alpha);
}

void DrawContext::paint_current(bool fillable, bool shadowed) {
    const DrawState& s = state_;
    bool fill = fillable && s.fill.on();
    if (!fill && !s.pen.on() && !(shadowed && s.shadow.on)) {
        cairo_new_path(cr_);
        return;
    }
    cairo_path_t* path = cairo_copy_path(cr_);
    gfx::Bounds bounds = path_bounds(cr_);
    masked([&] {
        if (shadowed && s.shadow.on) draw_shadow(path);
        if (fill) {
            cairo_new_path(cr_);
            cairo_append_path(cr_, path);
            set_brush(cr_, s.fill, bounds);
            cairo_fill(cr_);
        }
        if (s.pen.on()) {
            cairo_new_path(cr_);
            cairo_append_path(cr_, path);
            set_brush(cr_, s.pen, bounds);
            set_stroke_style();
            cairo_stroke(cr_);
        }
    });
    cairo_path_destroy(path);
    cairo_new_path(cr_);
}

void DrawContext::stroke_only() {
    if (!state_.pen.on()) {
        cairo_new_path(cr_);
        return;
    }
    gfx::Bounds bounds = path_bounds(cr_);
    cairo_path_t* path = cairo_copy_path(cr_);
    masked([&] {
        cairo_new_path(cr_);
        cairo_append_path(cr_, path);
        set_brush(cr_, state_.pen, bounds);
        set_stroke_style();
        cairo_stroke(cr_);
    });
    cairo_path_destroy(path);
}

} // namespace xel::draw
