#include "gui/backend/text-layout.h"

#include <algorithm>
#include <cmath>

#include "gui/backend/draw-walk.h"
#include "gui/backend/font-native.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/symbols.h"

namespace xel::draw {

namespace {

// Style runs: a pair sets the range (1-based start, length in characters),
// then the styles for it.
void apply_styles(gfx::TextLayout& layout, const Cell* data) {
    Cursor c{*data, block_rs_head(data), block_rs_tail(data)};
    size_t start = 0, length = 0;
    auto u16 = [&](size_t* s, size_t* n) {
        size_t a = layout.utf16_of_char(start);
        size_t b = layout.utf16_of_char(start + length);
        *s = a;
        *n = b - a;
    };
    auto optional_style = [&] {
        if (c.more() && colour_cell(c.p)) c.p++;
        if (c.more() && type_of(c.p) == T_LIT_WORD) c.p++;
    };
    while (c.more()) {
        size_t s, n;
        u16(&s, &n);
        if (type_of(c.p) == T_PAIR) {
            int32_t x = pair_x(c.p), y = pair_y(c.p);
            start = x > 1 ? static_cast<size_t>(x - 1) : 0;
            length = y > 0 ? static_cast<size_t>(y) : 0;
            start = std::min(start, layout.char_length());
            length = std::min(length, layout.char_length() - start);
            c.p++;
            continue;
        }
        if (const Cell* colour = colour_cell(c.p)) {
            gfx::Rgba k = colour_of(colour);
            layout.set_colour(s, n, k.r, k.g, k.b, k.a);
            c.p++;
            continue;
        }
        if (type_of(c.p) == T_STRING) {
            layout.set_family(s, n, string_utf8_text(c.p++));
            continue;
        }
        if (type_of(c.p) == T_INTEGER || type_of(c.p) == T_FLOAT) {
            layout.set_size(s, n, number_of(c.p++));
            continue;
        }
        if (type_of(c.p) == T_WORD) {
            uint32_t sym = symbol_resolve(word_symbol(c.p));
            uint32_t len = 0;
            const char* name = symbol_name(sym, &len);
            std::string word(name ? name : "", name ? len : 0);
            if (word == "bold") {
                layout.set_bold(s, n), c.p++;
                continue;
            }
            if (word == "italic") {
                layout.set_italic(s, n), c.p++;
                continue;
            }
            if (word == "underline" || word == "strike") {
                word == "underline" ? layout.set_underline(s, n) : layout.set_strike(s, n);
                c.p++;
                optional_style();
                continue;
            }
            if (word == "border") {
                c.p++;
                optional_style();
                continue;
            }
            if (word == "backdrop") {
                c.p++;
                const Cell* colour = c.more() ? colour_cell(c.p) : nullptr;
                if (!colour) invalid_here(c);
                gfx::Rgba k = colour_of(colour);
                layout.set_background(s, n, k.r, k.g, k.b, k.a);
                c.p++;
                continue;
            }
        }
        invalid_here(c);
    }
}

} // namespace

std::unique_ptr<gfx::TextLayout> text_face_layout(const Cell* face) {
    const Cell* text = facet(face, Facet::kText);
    if (!text || type_of(text) != T_STRING) return nullptr;
    gfx::TextFormat format =
        text_format(facet(face, Facet::kFont), facet(face, Facet::kPara), true);
    const Cell* tabs = facet(face, Facet::kTabs);
    if (tabs && (type_of(tabs) == T_INTEGER || type_of(tabs) == T_FLOAT))
        format.tab_stop = number_of(tabs);
    double w = 0, h = 0;
    const Cell* size = facet(face, Facet::kSize);
    if (size && is_point(size)) {
        gfx::Point p = point_of(size);
        w = std::trunc(p.x + 0.5);
        h = std::trunc(p.y + 0.5);
    }
    auto layout = std::make_unique<gfx::TextLayout>(string_utf8_text(text), format, w, h);
    gfx::Rgba colour;
    if (font_color(facet(face, Facet::kFont), &colour))
        layout->set_colour(0, layout->utf16_length(), colour.r, colour.g, colour.b, colour.a);
    const Cell* data = facet(face, Facet::kData);
    if (data && type_of(data) == T_BLOCK) apply_styles(*layout, data);
    layout->share();
    return layout;
}

void text_metrics(const gfx::TextLayout& layout, const Cell* arg, int code, Cell* out) {
    auto char_index = [&]() -> size_t {
        int32_t i = type_of(arg) == T_INTEGER ? integer_get(arg) : 1;
        return layout.utf16_of_char(i > 1 ? static_cast<size_t>(i - 1) : 0);
    };
    switch (code) {
    case 0:
    case 6: {
        gfx::Box b = layout.char_box(char_index());
        double x = b.x, y = std::max(0.0, b.y);
        if (code == 6) x = b.x + b.width, y = b.y + b.height;
        point2d_make_at(out, static_cast<float>(x), static_cast<float>(y));
        return;
    }
    case 1:
    case 5: {
        if (!is_point(arg)) {
            set_none(out);
            return;
        }
        gfx::Point p = point_of(arg);
        bool trailing = false;
        size_t u = layout.hit_test(p.x, p.y, &trailing);
        int32_t index = static_cast<int32_t>(layout.char_of_utf16(u)) + 1;
        if (code == 1 && trailing) index++;
        integer_make_at(out, index);
        return;
    }
    case 2:
        float_make_at(out, layout.line_height(char_index()));
        return;
    case 3: {
        double w, h;
        layout.size(&w, &h);
        point2d_make_at(out, static_cast<float>(w), static_cast<float>(h));
        return;
    }
    default:
        integer_make_at(out, layout.line_count());
        return;
    }
}

} // namespace xel::draw
