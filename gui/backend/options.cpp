// The options facet: cursor, hint, tabs and accelerated.
#include "gui/backend/options.h"

#include "gui/backend/face-access.h"
#include "platform/gfx/gfx-surface.h"
#include "platform/gui/gtk-options.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

// Every edit's first tab stop, in average character widths.
constexpr int kDefaultTabChars = 4;

uint32_t spelling(const char* name) {
    return symbol_resolve(word_symbol(word_load(name)));
}

bool is_word(const Cell* v, uint32_t symbol) {
    return is_any_word_type(type_of(v)) && symbol_resolve(word_symbol(v)) == symbol;
}

struct CursorName {
    const char* word;
    const char* name;
};
// Any other word gives the arrow.
const CursorName kCursors[] = {
    {"I-beam", "text"},         {"hand", "pointer"},        {"cross", "crosshair"},
    {"resize-ns", "ns-resize"}, {"resize-ew", "ew-resize"}, {"resize-we", "ew-resize"},
};

const char* cursor_name(const Cell* word) {
    for (const CursorName& c : kCursors)
        if (is_word(word, spelling(c.word))) return c.name;
    return "default";
}

} // namespace

Cell option_value(const Cell* face, const char* key) {
    Cell options = facet(face, kFacetOptions);
    if (type_of(&options) != T_BLOCK) return g_none_cell;
    int32_t n = block_length_at(&options);
    if (n % 2 != 0) return g_none_cell;
    uint32_t symbol = spelling(key);
    for (int32_t i = 0; i < n; i += 2) {
        uint32_t at = static_cast<uint32_t>(block_index(&options) + i);
        if (is_word(block_cell_at(&options, at), symbol)) return *block_cell_at(&options, at + 1);
    }
    return g_none_cell;
}

void apply_cursor(gtk::WidgetId id, const Cell* face) {
    Cell cursor = option_value(face, "cursor");
    if (type_of(&cursor) == T_IMAGE) {
        Offset record = image_record(&cursor);
        cairo_surface_t* s = record
                                 ? gfx::surface_from_pixels(bitmap_pixels(record),
                                                            static_cast<int>(bitmap_width(record)),
                                                            static_cast<int>(bitmap_height(record)))
                                 : nullptr;
        if (s) {
            gtk::widget_set_cursor_image(id, s);
            cairo_surface_destroy(s);
            return;
        }
    } else if (is_any_word_type(type_of(&cursor))) {
        gtk::widget_set_cursor(id, cursor_name(&cursor));
        return;
    }
    gtk::widget_set_cursor(id, nullptr);
}

void apply_edit_options(gtk::WidgetId id, const Cell* face) {
    Cell hint = option_value(face, "hint");
    if (type_of(&hint) == T_STRING) gtk::field_set_hint(id, string_utf8_text(&hint));
    gtk::edit_set_tab_stop(id, kDefaultTabChars);
    Cell tabs = option_value(face, "tabs");
    if (type_of(&tabs) == T_INTEGER && integer_get(&tabs) > 0 && integer_get(&tabs) < 4096)
        gtk::edit_set_tab_stop(id, static_cast<int>(integer_get(&tabs)));
}

bool options_accelerated(const Cell* face) {
    Cell a = option_value(face, "accelerated");
    // An options block made by compose holds the word, not the logic.
    if (is_any_word_type(type_of(&a)))
        return is_word(&a, spelling("true")) || is_word(&a, spelling("yes")) ||
               is_word(&a, spelling("on"));
    return type_of(&a) == T_LOGIC && logic_get(&a);
}

} // namespace xel::gui
