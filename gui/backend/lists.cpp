// Lists and tabs follow their data block: filled from it, and afterwards
// changed item by item as the block changes in place (items removed before
// the block loses them, the rest brought in line after the change).
#include <string>
#include <vector>

#include "gui/backend/backend.h"
#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "gui/backend/widgets.h"
#include "platform/gui/gtk-controls.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

bool is_item(const Cell* c) {
    switch (type_of(c)) {
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
        return true;
    default:
        return false;
    }
}

// The texts of the items of data from its position, or of [from, to) of it.
std::vector<std::string> items_of(const Cell* data, int32_t from = 0, int32_t to = INT32_MAX) {
    std::vector<std::string> out;
    if (type_of(data) != T_BLOCK) return out;
    Cell d = *data;
    int32_t n = block_length_at(&d);
    if (to > n) to = n;
    for (int32_t i = from < 0 ? 0 : from; i < to; i++) {
        Cell v = *block_cell_at(&d, static_cast<uint32_t>(block_index(&d) + i));
        if (is_item(&v)) out.push_back(string_utf8_text(&v));
    }
    return out;
}

int32_t item_count_before(const Cell* data, int32_t index) {
    return static_cast<int32_t>(items_of(data, 0, index).size());
}

// The operations of one widget kind on its items.
struct Items {
    int (*count)(gtk::WidgetId);
    std::string (*text)(gtk::WidgetId, int);
    void (*insert)(gtk::WidgetId, int, const std::string&);
    void (*remove)(gtk::WidgetId, int);
};
const Items kListItems{gtk::list_count, gtk::list_item, gtk::list_insert, gtk::list_delete};
const Items kTabItems{gtk::tab_count, gtk::tab_text, gtk::tab_insert, gtk::tab_delete};

// Brings the widget's items in line with want: the items both share at the
// start and at the end stay, those between are replaced.
void reconcile(gtk::WidgetId id, const Items& ops, const std::vector<std::string>& want) {
    int have = ops.count(id);
    int n = static_cast<int>(want.size());
    int head = 0;
    while (head < have && head < n && ops.text(id, head) == want[head])
        head++;
    int tail = 0;
    while (tail < have - head && tail < n - head &&
           ops.text(id, have - 1 - tail) == want[n - 1 - tail])
        tail++;
    for (int i = have - tail - 1; i >= head; i--)
        ops.remove(id, i);
    for (int i = head; i < n - tail; i++)
        ops.insert(id, i, want[i]);
}

bool action_is(const Cell* action, const char* const* names) {
    if (type_of(action) != T_WORD) return false;
    uint32_t s = symbol_resolve(word_symbol(action));
    for (; *names; names++)
        if (symbol_resolve(word_symbol(word_load(*names))) == s) return true;
    return false;
}

// Sent before the block loses its items.
const char* const kRemoving[] = {"remove", "take", "clear", "reverse",
                                 "put",    "poke", "move",  nullptr};

void data_changed(gtk::WidgetId id, const Items& ops, const Cell* face, const Cell* action,
                  int32_t index, int32_t part) {
    Cell data = facet(face, kFacetData);
    if (type_of(&data) != T_BLOCK) {
        reconcile(id, ops, {});
        return;
    }
    if (action_is(action, kRemoving)) {
        static const char* const kClear[] = {"clear", nullptr};
        if (action_is(action, kClear) && index == 0) {
            reconcile(id, ops, {});
            return;
        }
        int32_t at = item_count_before(&data, index);
        auto gone = static_cast<int32_t>(items_of(&data, index, index + part).size());
        for (int32_t i = 0; i < gone; i++)
            ops.remove(id, at);
        return;
    }
    reconcile(id, ops, items_of(&data));
}

} // namespace

std::vector<std::string> data_items(const Cell* data) {
    return items_of(data);
}

void list_set_items(gtk::WidgetId id, const Cell* face) {
    Cell data = facet(face, kFacetData);
    if (type_of(&data) != T_BLOCK) return;
    gtk::list_set_items(id, items_of(&data));
    Cell sel = facet(face, kFacetSelected);
    if (gtk::widget_kind(id) == gtk::Kind::kTextList) {
        if (type_of(&sel) == T_INTEGER) {
            int32_t n = integer_get(&sel);
            gtk::list_select(id, n < 1 ? -1 : n - 1);
        } else {
            Cell none_chosen = integer_cell(-1);
            set_facet(face, kFacetSelected, &none_chosen);
        }
        return;
    }
    // A combo box keeps its text; without one it shows the selected item.
    Cell text = facet(face, kFacetText);
    if (type_of(&text) == T_STRING)
        gtk::widget_set_text(id, string_utf8_text(&text));
    else if (type_of(&sel) == T_INTEGER)
        gtk::list_select(id, integer_get(&sel) - 1);
}

Cell list_picked(gtk::WidgetId id, double x, double y) {
    if (gtk::widget_kind(id) != gtk::Kind::kTextList) return g_none_cell;
    int i = gtk::list_item_at(id, x, y);
    return i < 0 ? g_none_cell : integer_cell(i + 1);
}

void update_facet(const Cell* face_in, const Cell* word, const Cell* action, const Cell*,
                  int32_t index, int32_t part) {
    Cell face = *face_in;
    gtk::WidgetId id = face_widget(&face);
    bool data = type_of(word) != T_NONE && is_any_word_type(type_of(word)) &&
                symbol_resolve(word_symbol(word)) == symbol_resolve(word_symbol(word_load("data")));
    if (!id || !data) {
        update_view(&face);
        return;
    }
    switch (gtk::widget_kind(id)) {
    case gtk::Kind::kTextList: {
        static const char* const kSort[] = {"sort", nullptr};
        if (!action_is(action, kSort)) data_changed(id, kListItems, &face, action, index, part);
        return;
    }
    case gtk::Kind::kDropDown:
    case gtk::Kind::kDropList:
        if (part != 0) data_changed(id, kListItems, &face, action, index, part);
        return;
    case gtk::Kind::kTabPanel:
        data_changed(id, kTabItems, &face, action, index, part);
        return;
    default:
        update_view(&face);
        return;
    }
}

} // namespace xel::gui
