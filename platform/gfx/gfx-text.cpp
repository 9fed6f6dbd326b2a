#include "platform/gfx/gfx-text.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <list>
#include <pango/pangocairo.h>
#include <string_view>

#include "runtime/invariant.h"

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

// The layouts laid out last, newest first, with their texts; bounded by count
// and by text size so that a huge text stays while it is painted again.
struct Recent {
    std::string text;
    size_t hash;
    PangoLayout* layout;
};
constexpr size_t kRecentCount = 64;
constexpr size_t kRecentBytes = 2 << 20;
std::list<Recent> g_recent;
size_t g_recent_bytes = 0;

bool same_tabs(PangoLayout* a, PangoLayout* b) {
    PangoTabArray* ta = pango_layout_get_tabs(a);
    PangoTabArray* tb = pango_layout_get_tabs(b);
    bool same = !ta == !tb;
    if (same && ta) {
        int n = pango_tab_array_get_size(ta);
        same = n == pango_tab_array_get_size(tb);
        for (int i = 0; same && i < n; i++) {
            PangoTabAlign aa, ab;
            int la, lb;
            pango_tab_array_get_tab(ta, i, &aa, &la);
            pango_tab_array_get_tab(tb, i, &ab, &lb);
            same = aa == ab && la == lb;
        }
    }
    if (ta) pango_tab_array_free(ta);
    if (tb) pango_tab_array_free(tb);
    return same;
}

// In order: lists built by the same steps list their attributes alike, and
// pango's own comparison loses count past 32 attributes.
bool same_attributes(PangoAttrList* a, PangoAttrList* b) {
    if (!a || !b) return a == b;
    GSList* la = pango_attr_list_get_attributes(a);
    GSList* lb = pango_attr_list_get_attributes(b);
    GSList *pa = la, *pb = lb;
    for (; pa && pb; pa = pa->next, pb = pb->next) {
        auto* x = static_cast<PangoAttribute*>(pa->data);
        auto* y = static_cast<PangoAttribute*>(pb->data);
        if (x->start_index != y->start_index || x->end_index != y->end_index ||
            !pango_attribute_equal(x, y))
            break;
    }
    bool same = !pa && !pb;
    g_slist_free_full(la, reinterpret_cast<GDestroyNotify>(pango_attribute_destroy));
    g_slist_free_full(lb, reinterpret_cast<GDestroyNotify>(pango_attribute_destroy));
    return same;
}

bool same_setup(PangoLayout* a, PangoLayout* b) {
    const PangoFontDescription* fa = pango_layout_get_font_description(a);
    const PangoFontDescription* fb = pango_layout_get_font_description(b);
    return pango_layout_get_width(a) == pango_layout_get_width(b) &&
           pango_layout_get_wrap(a) == pango_layout_get_wrap(b) &&
           pango_layout_get_alignment(a) == pango_layout_get_alignment(b) &&
           (fa && fb ? pango_font_description_equal(fa, fb) : fa == fb) &&
           same_attributes(pango_layout_get_attributes(a), pango_layout_get_attributes(b)) &&
           same_tabs(a, b);
}

// Pango breaks a wrapped item by shaping what is left of it for every line,
// so one word of a megabyte costs the square of its length. Items of a long
// text are cut every so many bytes by a mark that changes nothing else;
// a cut lands between two ASCII characters when one is near.
constexpr size_t kLongText = 4096;
constexpr size_t kItemBytes = 1024;
constexpr size_t kCutSearch = 64;
constexpr int kManyLines = 64;

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
    : text_(utf8), max_width_(max_width), max_height_(max_height), format_(format) {
    // UTF-16 index to byte offset: one entry per unit, a pair's second unit
    // naming the same character. ASCII needs no table: every index is the
    // same.
    ascii_ = std::all_of(text_.begin(), text_.end(),
                         [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii_) {
        byte_at_.reserve(text_.size() + 1);
        char_u16_.reserve(text_.size() + 1);
    }
    for (size_t i = 0; !ascii_ && i < text_.size();) {
        auto c = static_cast<unsigned char>(text_[i]);
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char_u16_.push_back(byte_at_.size());
        byte_at_.push_back(i);
        if (len == 4) byte_at_.push_back(i);
        i += len;
    }
    if (!ascii_) {
        char_u16_.push_back(byte_at_.size());
        byte_at_.push_back(text_.size());
    }

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
        if (text_.size() > kLongText) split_items();
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
}

void TextLayout::split_items() {
    auto ascii = [&](size_t i) { return static_cast<unsigned char>(text_[i]) < 0x80; };
    for (size_t at = kItemBytes; at + kItemBytes < text_.size(); at += kItemBytes) {
        size_t cut = at;
        while (cut < at + kCutSearch && !(ascii(cut - 1) && ascii(cut)))
            cut++;
        if (cut == at + kCutSearch) {
            cut = at;
            while ((static_cast<unsigned char>(text_[cut]) & 0xC0) == 0x80)
                cut++;
        }
        PangoAttribute* mark = pango_attr_fallback_new(TRUE);
        mark->start_index = static_cast<guint>(cut);
        mark->end_index = static_cast<guint>(std::min(cut + kItemBytes / 2, text_.size()));
        pango_attr_list_insert(attrs_, mark);
    }
    pango_layout_set_attributes(layout_, nullptr);
    pango_layout_set_attributes(layout_, attrs_);
}

void TextLayout::share() {
    shared_ = true;
    size_t hash = std::hash<std::string_view>{}(text_);
    for (auto it = g_recent.begin(); it != g_recent.end(); ++it) {
        if (it->hash != hash || it->text != text_ || !same_setup(it->layout, layout_)) continue;
        g_object_unref(layout_);
        layout_ = static_cast<PangoLayout*>(g_object_ref(it->layout));
        g_recent.splice(g_recent.begin(), g_recent, it);
        return;
    }
    g_recent.push_front({text_, hash, static_cast<PangoLayout*>(g_object_ref(layout_))});
    g_recent_bytes += text_.size();
    while (g_recent.size() > 1 &&
           (g_recent.size() > kRecentCount || g_recent_bytes > kRecentBytes)) {
        g_recent_bytes -= g_recent.back().text.size();
        g_object_unref(g_recent.back().layout);
        g_recent.pop_back();
    }
}

// Unwrapped lines keep their length: the layout as a whole moves in the box.
void TextLayout::place() const {
    if (placed_) return;
    placed_ = true;
    bool moves_x = max_width_ > 0 && !format_.wrap && format_.align != Align::kLeft;
    bool moves_y = max_height_ > 0 && format_.valign != VAlign::kTop;
    if (!moves_x && !moves_y) return;
    double w, h;
    size(&w, &h);
    if (moves_x) left_ = format_.align == Align::kCenter ? (max_width_ - w) / 2 : max_width_ - w;
    if (moves_y) top_ = format_.valign == VAlign::kMiddle ? (max_height_ - h) / 2 : max_height_ - h;
}

TextLayout::~TextLayout() {
    pango_attr_list_unref(attrs_);
    g_object_unref(layout_);
}

size_t TextLayout::utf16_of_char(size_t index) const {
    if (ascii_) return std::min(index, text_.size());
    return char_u16_[std::min(index, char_u16_.size() - 1)];
}

size_t TextLayout::char_of_utf16(size_t index) const {
    if (ascii_) return std::min(index, text_.size() + 1);
    auto it = std::lower_bound(char_u16_.begin(), char_u16_.end(), index);
    return static_cast<size_t>(it - char_u16_.begin());
}

size_t TextLayout::byte_of(size_t index) const {
    if (ascii_) return std::min(index, text_.size());
    return byte_at_[std::min(index, byte_at_.size() - 1)];
}

size_t TextLayout::index_of_byte(size_t byte) const {
    if (ascii_) return std::min(byte, text_.size() + 1);
    auto it = std::lower_bound(byte_at_.begin(), byte_at_.end(), byte);
    return static_cast<size_t>(it - byte_at_.begin());
}

void TextLayout::apply(PangoAttribute* attr, size_t start, size_t length) {
    XEL_ASSERT(!shared_);
    placed_ = false;
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
    place();
    PangoRectangle r;
    pango_layout_index_to_pos(layout_, static_cast<int>(byte_of(index)), &r);
    return {static_cast<double>(r.x) / PANGO_SCALE + left_,
            static_cast<double>(r.y) / PANGO_SCALE + top_,
            static_cast<double>(r.width) / PANGO_SCALE,
            static_cast<double>(r.height) / PANGO_SCALE};
}

size_t TextLayout::hit_test(double x, double y, bool* trailing) const {
    place();
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

// A long layout draws only its lines that meet the clip, each as
// pango_cairo_show_layout would place it.
void TextLayout::draw(cairo_t* cr, double x, double y) const {
    place();
    x += left_;
    y += top_;
    if (pango_layout_get_line_count(layout_) < kManyLines) {
        cairo_move_to(cr, x, y);
        pango_cairo_show_layout(cr, layout_);
        return;
    }
    double cx0, cy0, cx1, cy1;
    cairo_clip_extents(cr, &cx0, &cy0, &cx1, &cy1);
    PangoLayoutIter* it = pango_layout_get_iter(layout_);
    do {
        int y0, y1;
        pango_layout_iter_get_line_yrange(it, &y0, &y1);
        if (y + static_cast<double>(y0) / PANGO_SCALE > cy1) break;
        if (y + static_cast<double>(y1) / PANGO_SCALE < cy0) continue;
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(it, nullptr, &logical);
        int baseline = pango_layout_iter_get_baseline(it);
        cairo_move_to(cr, x + static_cast<double>(logical.x) / PANGO_SCALE,
                      y + static_cast<double>(baseline) / PANGO_SCALE);
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(it));
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
}

} // namespace xel::gfx
