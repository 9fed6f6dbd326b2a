#include "platform/gfx/gfx-clip.h"

namespace xel::gfx {

namespace {

void add_path(cairo_t* cr, const ClipShape& s) {
    cairo_new_path(cr);
    cairo_append_path(cr, s.path.get());
}

} // namespace

ClipList clip_combine(cairo_t* cr, const ClipList& current, ClipMode mode) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_identity_matrix(cr);
    std::shared_ptr<cairo_path_t> path(cairo_copy_path(cr), cairo_path_destroy);
    cairo_set_matrix(cr, &m);
    cairo_new_path(cr);
    auto list = std::make_shared<std::vector<ClipShape>>();
    if (mode != ClipMode::kReplace && current) *list = *current;
    list->push_back({path, mode});
    return list;
}

bool clip_needs_mask(const ClipList& list) {
    if (!list) return false;
    for (const auto& s : *list)
        if (s.mode == ClipMode::kUnion || s.mode == ClipMode::kXor) return true;
    return false;
}

void clip_apply(cairo_t* cr, const ClipList& list) {
    if (!list) return;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_identity_matrix(cr);
    for (const auto& s : *list) {
        add_path(cr, s);
        if (s.mode == ClipMode::kExclude) {
            cairo_rectangle(cr, -1e6, -1e6, 2e6, 2e6);
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        }
        cairo_clip(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    }
    cairo_set_matrix(cr, &m);
}

cairo_surface_t* clip_mask(const ClipList& list, int width, int height) {
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(mask);
    bool first = true;
    for (const auto& s : *list) {
        add_path(cr, s);
        cairo_operator_t op = CAIRO_OPERATOR_OVER;
        switch (s.mode) {
        case ClipMode::kReplace:
            op = CAIRO_OPERATOR_SOURCE;
            break;
        case ClipMode::kIntersect:
            op = CAIRO_OPERATOR_DEST_IN;
            break;
        case ClipMode::kUnion:
            op = CAIRO_OPERATOR_OVER;
            break;
        case ClipMode::kXor:
            op = CAIRO_OPERATOR_XOR;
            break;
        case ClipMode::kExclude:
            op = CAIRO_OPERATOR_DEST_OUT;
            break;
        }
        // The first shape combines with the unclipped whole.
        if (first && s.mode != ClipMode::kReplace && s.mode != ClipMode::kIntersect) {
            cairo_save(cr);
            cairo_new_path(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_paint(cr);
            cairo_restore(cr);
            add_path(cr, s);
        }
        cairo_set_operator(cr, op);
        // SOURCE and DEST_IN are unbounded: they clear the mask outside the shape.
        cairo_fill(cr);
        first = false;
    }
    cairo_destroy(cr);
    return mask;
}

} // namespace xel::gfx
