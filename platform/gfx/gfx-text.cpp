#include "platform/gfx/gfx-text.h"

#include <algorithm>
#include <pango/pangocairo.h>

namespace xel::gfx {

namespace {

// One context for measuring and drawing alike, so metrics agree with what is
// drawn: 96 dots per inch and metrics not hinted.
PangoContext* shared_context() {
    static PangoContext* context = [] {
        PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
        pango_cairo_context_set_resolution(c, 96);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        pango_cairo_context_set_font_options(c, options);
        cairo_font_options_destroy(options);
        return c;
    }();
    return context;
}

} // namespace

PangoFontDescription* font_description(const FontSpec& spec) {
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d,
                                      spec.family.empty() ? kDefaultFamily : spec.family.c_str());
    pango_font_description_set_size(
        d, static_cast<int>((spec.size > 0 ? spec.size : kDefaultSize) * PANGO_SCALE));
    pango_font_description_set_weight(d, spec.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, spec.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return d;
}

TextLayout::TextLayout(const std::string& utf8, const TextFormat& format, double max_width,
                       double max_height)
    : text_(utf8) {
    // UTF-16 index to byte offset: one entry per unit, a pair's second unit
    // naming the same character.
    for (size_t i = 0; i < text_.size();) {
        auto c = static_cast<unsigned char>(text_[i]);
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char_u16_.push_back(byte_at_.size());
        byte_at_.push_back(i);
        if (len == 4) byte_at_.push_back(i);
        i += len;
    }
    char_u16_.push_back(byte_at_.size());
    byte_at_.push_back(text_.size());

    layout_ = pango_layout_new(shared_context());
    pango_layout_set_text(layout_, text_.data(), static_cast<int>(text_.size()));
    PangoFontDescription* d = font_description(format.font);
    pango_layout_set_font_description(layout_, d);
    pango_font_description_free(d);
    attrs_ = pango_attr_list_new();
    if (format.font.underline) apply(pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), 0, SIZE_MAX);
    if (format.font.strike) apply(pango_attr_strikethrough_new(TRUE), 0, SIZE_MAX);
    pango_layout_set_attributes(layout_, attrs_);
    if (max_width > 0 && format.wrap) {
        pango_layout_set_width(layout_, static_cast<int>(max_width * PANGO_SCALE));
        pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_alignment(layout_, format.align == Align::kCenter  ? PANGO_ALIGN_CENTER
                                        : format.align == Align::kRight ? PANGO_ALIGN_RIGHT
                                                                        : PANGO_ALIGN_LEFT);
    if (format.tab_stop > 0) {
        PangoTabArray* tabs = pango_tab_array_new(1, FALSE);
        pango_tab_array_set_tab(tabs, 0, PANGO_TAB_LEFT,
                                static_cast<int>(format.tab_stop * PANGO_SCALE));
        pango_layout_set_tabs(layout_, tabs);
        pango_tab_array_free(tabs);
    }
    double w, h;
    size(&w, &h);
    // Unwrapped lines keep their length: the layout as a whole moves in the box.
    if (max_width > 0 && !format.wrap && format.align != Align::kLeft)
        left_ = format.align == Align::kCenter ? (max_width - w) / 2 : max_width - w;
    if (max_height > 0 && format.valign != VAlign::kTop)
        top_ = format.valign == VAlign::kMiddle ? (max_height - h) / 2 : max_height - h;
}

TextLayout::~TextLayout() {
    pango_attr_list_unref(attrs_);
    g_object_unref(layout_);
}

size_t TextLayout::utf16_of_char(size_t index) const {
    return char_u16_[std::min(index, char_u16_.size() - 1)];
}

size_t TextLayout::char_of_utf16(size_t index) const {
    auto it = std::lower_bound(char_u16_.begin(), char_u16_.end(), index);
    return static_cast<size_t>(it - char_u16_.begin());
}

size_t TextLayout::byte_of(size_t index) const {
    return byte_at_[std::min(index, byte_at_.size() - 1)];
}

size_t TextLayout::index_of_byte(size_t byte) const {
    auto it = std::lower_bound(byte_at_.begin(), byte_at_.end(), byte);
    return static_cast<size_t>(it - byte_at_.begin());
}

void TextLayout::apply(PangoAttribute* attr, size_t start, size_t length) {
    size_t end = length == SIZE_MAX ? text_.size() : byte_of(start + length);
    attr->start_index = static_cast<guint>(byte_of(start));
    attr->end_index = static_cast<guint>(end);
    pango_attr_list_change(attrs_, attr);
    // Setting the same list again would be taken as no change.
    pango_layout_set_attributes(layout_, nullptr);
    pango_layout_set_attributes(layout_, attrs_);
}

namespace {
guint16 channel(double v) {
    return static_cast<guint16>(std::clamp(v, 0.0, 1.0) * 65535 + 0.5);
}
} // namespace

void TextLayout::set_colour(size_t start, size_t length, double r, double g, double b, double a) {
    apply(pango_attr_foreground_new(channel(r), channel(g), channel(b)), start, length);
    apply(pango_attr_foreground_alpha_new(channel(a) ? channel(a) : 1), start, length);
}
void TextLayout::set_background(size_t start, size_t length, double r, double g, double b,
                                double a) {
    apply(pango_attr_background_new(channel(r), channel(g), channel(b)), start, length);
    apply(pango_attr_background_alpha_new(channel(a) ? channel(a) : 1), start, length);
}
void TextLayout::set_bold(size_t start, size_t length) {
    apply(pango_attr_weight_new(PANGO_WEIGHT_BOLD), start, length);
}
void TextLayout::set_italic(size_t start, size_t length) {
    apply(pango_attr_style_new(PANGO_STYLE_ITALIC), start, length);
}
void TextLayout::set_underline(size_t start, size_t length) {
    apply(pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), start, length);
}
void TextLayout::set_strike(size_t start, size_t length) {
    apply(pango_attr_strikethrough_new(TRUE), start, length);
}
void TextLayout::set_family(size_t start, size_t length, const std::string& family) {
    apply(pango_attr_family_new(family.c_str()), start, length);
}
void TextLayout::set_size(size_t start, size_t length, double points) {
    apply(pango_attr_size_new(static_cast<int>(points * PANGO_SCALE)), start, length);
}

Box TextLayout::char_box(size_t index) const {
    PangoRectangle r;
    pango_layout_index_to_pos(layout_, static_cast<int>(byte_of(index)), &r);
    return {static_cast<double>(r.x) / PANGO_SCALE + left_,
            static_cast<double>(r.y) / PANGO_SCALE + top_,
            static_cast<double>(r.width) / PANGO_SCALE,
            static_cast<double>(r.height) / PANGO_SCALE};
}

size_t TextLayout::hit_test(double x, double y, bool* trailing) const {
    int byte = 0, trail = 0;
    pango_layout_xy_to_index(layout_, static_cast<int>((x - left_) * PANGO_SCALE),
                             static_cast<int>((y - top_) * PANGO_SCALE), &byte, &trail);
    size_t index = index_of_byte(static_cast<size_t>(byte));
    *trailing = trail > 0;
    return std::min(index, utf16_length());
}

int TextLayout::line_count() const {
    return pango_layout_get_line_count(layout_);
}

double TextLayout::line_height(size_t index) const {
    PangoLayoutIter* it = pango_layout_get_iter(layout_);
    size_t byte = byte_of(index);
    double height = 0;
    do {
        int y0, y1;
        pango_layout_iter_get_line_yrange(it, &y0, &y1);
        height = static_cast<double>(y1 - y0) / PANGO_SCALE;
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(it);
        if (byte < static_cast<size_t>(line->start_index + line->length) ||
            pango_layout_iter_at_last_line(it))
            break;
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    return height;
}

void TextLayout::size(double* width, double* height) const {
    PangoRectangle logical;
    pango_layout_get_extents(layout_, nullptr, &logical);
    *width = static_cast<double>(logical.width) / PANGO_SCALE;
    *height = static_cast<double>(logical.height) / PANGO_SCALE;
}

void TextLayout::draw(cairo_t* cr, double x, double y) const {
    cairo_move_to(cr, x + left_, y + top_);
    pango_cairo_show_layout(cr, layout_);
}

} // namespace xel::gfx
