// Menu blocks become native menus: a window's menu bar, or a context menu
// shown on a right press; a chosen item raises menu with its action word.
#include <vector>

#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "gui/backend/widgets.h"
#include "platform/gui/gtk-controls.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

// Where the last context menu was asked for, in the widget's logical pixels.
double g_menu_x = 0, g_menu_y = 0;

uint32_t symbol_of(const char* name) {
    return symbol_resolve(word_symbol(word_load(name)));
}

bool is_word(const Cell* c, uint32_t symbol) {
    return type_of(c) == T_WORD && symbol_resolve(word_symbol(c)) == symbol;
}

// Items from the block's position to its tail: a string is an item whose
// next value, a block or a word, is its submenu or action; --- a separator;
// anything else is passed over.
std::vector<gtk::MenuEntry> build(const Cell* menu, uint32_t separator) {
    std::vector<gtk::MenuEntry> out;
    Cell block = *menu;
    int32_t n = block_length_at(&block);
    for (int32_t i = 0; i < n; i++) {
        Cell v = *block_cell_at(&block, static_cast<uint32_t>(block_index(&block) + i));
        gtk::MenuEntry e;
        if (is_word(&v, separator)) {
            e.separator = true;
            out.push_back(e);
            continue;
        }
        if (type_of(&v) != T_STRING) continue;
        e.caption = string_utf8_text(&v);
        if (i + 1 < n) {
            Cell next = *block_cell_at(&block, static_cast<uint32_t>(block_index(&block) + i + 1));
            if (type_of(&next) == T_BLOCK) {
                e.has_submenu = true;
                e.submenu = build(&next, separator);
                i++;
            } else if (type_of(&next) == T_WORD) {
                e.data = static_cast<int32_t>(word_symbol(&next));
                i++;
            }
        }
        out.push_back(e);
    }
    return out;
}

// A window's menu that is not empty and does not begin with popup is a bar.
bool is_bar(const Cell* menu_in, const Cell* face) {
    Cell m = *menu_in;
    const Cell* menu = &m;
    if (type_of(menu) != T_BLOCK || block_length_at(&m) <= 0) return false;
    if (!facet_is(face, kFacetType, "window")) return false;
    uint32_t popup = symbol_of("popup");
    return !is_word(block_cell_at(menu, static_cast<uint32_t>(block_index(menu))), popup);
}

} // namespace

void menu_apply_bar(gtk::WidgetId window, const Cell* face) {
    Cell menu = facet(face, kFacetMenu);
    std::vector<gtk::MenuEntry> entries;
    if (is_bar(&menu, face)) entries = build(&menu, symbol_of("---"));
    gtk::window_set_menu_bar(window, entries);
}

bool menu_show_context(gtk::WidgetId id, double x, double y) {
    Cell face = widget_face(id);
    Cell menu = facet(&face, kFacetMenu);
    if (type_of(&menu) != T_BLOCK || is_bar(&menu, &face)) return false;
    g_menu_x = to_logical_px(x);
    g_menu_y = to_logical_px(y);
    return gtk::menu_popup(id, build(&menu, symbol_of("---")), x, y);
}

int menu_fire(const gtk::Input& in) {
    // The item's data is its action's symbol, or -1 for an item without one.
    Cell picked = g_none_cell;
    if (in.item != -1) word_make_at(&picked, static_cast<uint32_t>(in.item));
    Cell offset;
    point2d_make_at(&offset, static_cast<float>(g_menu_x), static_cast<float>(g_menu_y));
    return make_event(in.widget, kEvMenu, static_cast<uint32_t>(in.item) & 0xFFFF, offset,
                      g_none_cell, picked, g_none_cell);
}

} // namespace xel::gui
