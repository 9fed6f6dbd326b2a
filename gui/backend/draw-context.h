// The draw context: the state of one drawing (into an image, onto a window's
// cairo context, or into a pattern cell) and the painting operations the
// draw dialect calls. A state save copies the whole state; a restore puts it
// back and re-applies matrix, anti-aliasing and clip to cairo.
#pragma once
#include <cairo.h>
#include <memory>
#include <vector>

#include "platform/gfx/gfx-brush.h"
#include "platform/gfx/gfx-clip.h"
#include "platform/gfx/gfx-text.h"

namespace xel::draw {

struct Shadow {
    bool on = false;
    double dx = 0, dy = 0, blur = 0, spread = 0;
    gfx::Rgba color{0, 0, 0, 1};
    bool inset = false;
};

// A drawing begins with an opaque black pen and no fill.
inline gfx::Brush black_pen() {
    gfx::Brush b;
    b.kind = gfx::BrushKind::kSolid;
    return b;
}

struct DrawState {
    gfx::Brush pen = black_pen();
    gfx::Brush fill;
    cairo_line_join_t join = CAIRO_LINE_JOIN_MITER;
    cairo_line_cap_t cap = CAIRO_LINE_CAP_BUTT;
    double width = 1.0;
    std::vector<double> dashes;
    bool has_font = false;
    gfx::TextFormat font;
    bool has_text_color = false;
    gfx::Rgba text_color;
    Shadow shadow;
    cairo_matrix_t matrix{1, 0, 0, 1, 0, 0};
    bool anti_alias = true;
    gfx::ClipList clip;
};

class DrawContext {
  public:
    // Draws through cr over a device area of width x height; cr's matrix at
    // this point is the drawing's origin.
    DrawContext(cairo_t* cr, int width, int height);
    ~DrawContext();
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    cairo_t* cr() const { return cr_; }
    DrawState& state() { return state_; }
    int width() const { return width_; }
    int height() const { return height_; }

    DrawState save() const { return state_; }
    void restore(const DrawState& saved);

    // After the state's matrix, anti-alias or clip changed.
    void apply_matrix();
    void apply_anti_alias();
    void apply_clip();

    // Puts a transformation in front of the drawing's matrix (it acts in the
    // current local coordinates).
    void transform(const cairo_matrix_t& m);

    // Fills (when the fill is on) and strokes (when the pen is on) the path
    // that build makes; a shadow is drawn first for shapes that take one.
    template <class Build> void paint(Build build, bool fillable = true, bool shadowed = false) {
        begin_path_paint();
        build();
        paint_current(fillable, shadowed);
    }
    // Strokes the path only (a single line).
    void stroke_only();

    // Draws through the clip mask when there is one.
    template <class Fn> void masked(Fn fn) {
        if (!mask_) {
            fn();
            return;
        }
        cairo_push_group(cr_);
        fn();
        cairo_pop_group_to_source(cr_);
        composite_mask();
    }

  private:
    void begin_path_paint();
    void paint_current(bool fillable, bool shadowed);
    void draw_shadow(cairo_path_t* path);
    void set_stroke_style();
    void composite_mask();

    cairo_t* cr_;
    int width_, height_;
    cairo_matrix_t base_;
    DrawState state_;
    cairo_surface_t* mask_ = nullptr;
};

} // namespace xel::draw
