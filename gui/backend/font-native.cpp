#include "gui/backend/font-native.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel::draw {

namespace {

uint32_t g_facet_symbols[static_cast<int>(Facet::kCount)];
uint32_t g_bold, g_italic, g_underline, g_strike, g_center, g_right, g_middle, g_bottom;
uint32_t g_left, g_top;

// Face types by their group of para bits.
enum class ParaGroup : uint8_t { kNone, kBase, kButton, kEdit };
struct TypeGroup {
    const char* name;
    ParaGroup group;
    uint8_t default_align; // 0 left, 1 center, 2 right
    uint32_t symbol;
};
TypeGroup g_types[] = {
    {"base", ParaGroup::kBase, 1, 0},     {"rich-text", ParaGroup::kBase, 0, 0},
    {"button", ParaGroup::kButton, 1, 0}, {"toggle", ParaGroup::kButton, 1, 0},
    {"check", ParaGroup::kButton, 0, 0},  {"radio", ParaGroup::kButton, 0, 0},
    {"field", ParaGroup::kEdit, 0, 0},    {"area", ParaGroup::kEdit, 0, 0},
    {"text", ParaGroup::kEdit, 0, 0},
};

const char* const kFacetNames[] = {"name",  "size", "style", "color", "text",
                                   "font",  "para", "data",  "align", "v-align",
                                   "wrap?", "type", "tabs",  "image", "draw"};
static_assert(sizeof(kFacetNames) / sizeof(kFacetNames[0]) == static_cast<int>(Facet::kCount));

uint32_t canon(const Cell* word) {
    return symbol_resolve(word_symbol(word));
}

bool is_word_kind(const Cell* v) {
    return v && (type_of(v) == T_WORD || type_of(v) == T_LIT_WORD);
}

} // namespace

void facets_init() {
    for (int i = 0; i < static_cast<int>(Facet::kCount); i++)
        g_facet_symbols[i] = symbol_resolve(symbol_make(kFacetNames[i]));
    g_bold = symbol_resolve(symbol_make("bold"));
    g_italic = symbol_resolve(symbol_make("italic"));
    g_underline = symbol_resolve(symbol_make("underline"));
    g_strike = symbol_resolve(symbol_make("strike"));
    g_center = symbol_resolve(symbol_make("center"));
    g_right = symbol_resolve(symbol_make("right"));
    g_middle = symbol_resolve(symbol_make("middle"));
    g_bottom = symbol_resolve(symbol_make("bottom"));
    g_left = symbol_resolve(symbol_make("left"));
    g_top = symbol_resolve(symbol_make("top"));
    for (TypeGroup& t : g_types)
        t.symbol = symbol_resolve(symbol_make(t.name));
}

const Cell* facet(const Cell* object, Facet which) {
    if (!object || type_of(object) != T_OBJECT) return nullptr;
    Offset ctx = object_context(object);
    int32_t i = context_find_word(ctx, g_facet_symbols[static_cast<int>(which)], true);
    if (i < 0 || !context_has_values(ctx)) return nullptr;
    return context_value_at(ctx, static_cast<uint32_t>(i));
}

gfx::FontSpec font_spec(const Cell* font) {
    gfx::FontSpec spec;
    const Cell* name = facet(font, Facet::kName);
    if (name && type_of(name) == T_STRING) spec.family = string_utf8_text(name);
    const Cell* size = facet(font, Facet::kSize);
    if (size && type_of(size) == T_INTEGER && integer_get(size) > 0) spec.size = integer_get(size);
    if (size && type_of(size) == T_FLOAT && float_get(size) > 0) spec.size = float_get(size);
    const Cell* style = facet(font, Facet::kStyle);
    auto style_word = [&](const Cell* w) {
        if (!is_word_kind(w)) return;
        uint32_t s = canon(w);
        if (s == g_bold) spec.bold = true;
        if (s == g_italic) spec.italic = true;
        if (s == g_underline) spec.underline = true;
        if (s == g_strike) spec.strike = true;
    };
    if (style && type_of(style) == T_BLOCK) {
        for (Cell* p = block_rs_head(style); p < block_rs_tail(style); p++)
            style_word(p);
    } else {
        style_word(style);
    }
    return spec;
}

bool font_color(const Cell* font, gfx::Rgba* out) {
    const Cell* c = facet(font, Facet::kColor);
    if (!c || type_of(c) != T_TUPLE || tuple_count(c) < 3 || tuple_count(c) > 4) return false;
    *out = gfx::rgba_from_bytes(tuple_bytes(c), tuple_count(c));
    return true;
}

PangoFontDescription* font_pango_description(const Cell* font) {
    gfx::FontSpec spec = font_spec(font);
    return gfx::font_description(spec);
}

gfx::TextFormat text_format(const Cell* font, const Cell* para, bool wrap_default) {
    gfx::TextFormat f;
    f.font = font_spec(font);
    f.wrap = wrap_default;
    const Cell* align = facet(para, Facet::kAlign);
    if (is_word_kind(align)) {
        uint32_t s = canon(align);
        f.align = s == g_center  ? gfx::Align::kCenter
                  : s == g_right ? gfx::Align::kRight
                                 : gfx::Align::kLeft;
    }
    const Cell* valign = facet(para, Facet::kVAlign);
    if (is_word_kind(valign)) {
        uint32_t s = canon(valign);
        f.valign = s == g_middle   ? gfx::VAlign::kMiddle
                   : s == g_bottom ? gfx::VAlign::kBottom
                                   : gfx::VAlign::kTop;
    }
    const Cell* wrap = facet(para, Facet::kWrap);
    if (wrap && type_of(wrap) == T_LOGIC) f.wrap = logic_get(wrap) != 0;
    return f;
}

uint32_t para_style_bits(const Cell* type, const Cell* para) {
    const TypeGroup* group = nullptr;
    if (is_word_kind(type))
        for (const TypeGroup& t : g_types)
            if (t.symbol == canon(type)) group = &t;
    if (!group) return 0;
    // Columns: left center right, then top middle bottom.
    static const uint32_t kBits[4][6] = {{0, 0, 0, 0, 0, 0},
                                         {0, 1, 2, 0, 4, 8},
                                         {0x100, 0x300, 0x200, 0x400, 0xC00, 0x800},
                                         {0, 1, 2, 0, 0x200, 0}};
    const uint32_t* bits = kBits[static_cast<int>(group->group)];
    int h = group->default_align;
    int v = group->group == ParaGroup::kBase && group->default_align == 1 ? 1
            : group->group == ParaGroup::kButton                          ? 1
                                                                          : 0;
    const Cell* align = facet(para, Facet::kAlign);
    if (is_word_kind(align)) {
        uint32_t s = canon(align);
        if (s == g_left) h = 0;
        if (s == g_center) h = 1;
        if (s == g_right) h = 2;
    }
    const Cell* valign = facet(para, Facet::kVAlign);
    if (is_word_kind(valign)) {
        uint32_t s = canon(valign);
        if (s == g_top) v = 0;
        if (s == g_middle) v = 1;
        if (s == g_bottom) v = 2;
    }
    uint32_t result = bits[h] | bits[3 + v];
    const Cell* wrap = facet(para, Facet::kWrap);
    bool wraps = !wrap || type_of(wrap) == T_NONE || (type_of(wrap) == T_LOGIC && logic_get(wrap));
    switch (group->group) {
    case ParaGroup::kBase:
        if (wraps) result |= 16;
        break;
    case ParaGroup::kEdit:
        if (!wraps) result |= group == &g_types[8] ? 0x4000 : 0xC0;
        break;
    default:
        break;
    }
    return result;
}

gfx::TextFormat base_text_format(const Cell* font, const Cell* para) {
    gfx::TextFormat f = text_format(font, nullptr, false);
    Cell base;
    word_set_cell(&base, T_WORD, 0, g_types[0].symbol, -1);
    uint32_t flags = para_style_bits(&base, para);
    f.align = static_cast<gfx::Align>(flags & 3);
    f.valign = static_cast<gfx::VAlign>(flags >> 2 & 3);
    f.wrap = (flags & 16) != 0;
    return f;
}

} // namespace xel::draw
