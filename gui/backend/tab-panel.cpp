// Tab panels: tabs made from data, a tab chosen by a click or through
// selected raises select (which may refuse it) and then change, and the
// pages (the faces of the pane) lie over the page area, the selected one
// shown.
#include <string>
#include <vector>

#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "gui/backend/widgets.h"
#include "platform/gui/gtk-controls.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"

namespace xel::gui {

namespace {

int32_t page_count(const Cell* face) {
    Cell pane = facet(face, kFacetPane);
    return type_of(&pane) == T_BLOCK ? block_length_at(&pane) : 0;
}

// Page n (0-based) of the pane, or none.
Cell page_at(const Cell* face, int32_t n) {
    Cell pane = facet(face, kFacetPane);
    if (type_of(&pane) != T_BLOCK || n < 0 || n >= block_length_at(&pane)) return g_none_cell;
    return *block_cell_at(&pane, static_cast<uint32_t>(block_index(&pane) + n));
}

void show_page(const Cell* page, bool visible) {
    Cell v;
    set_logic(&v, visible);
    set_facet(page, kFacetVisible, &v);
    if (gtk::WidgetId id = face_widget(page)) gtk::widget_show(id, visible);
}

// Shows page n and hides the others. When the script set selected, it
// already names the new page, so the shown one is not found through it.
void switch_page(const Cell* face, int32_t n) {
    Cell page = page_at(face, n);
    if (type_of(&page) == T_OBJECT && face_widget(&page)) show_page(&page, true);
    for (int32_t i = 0; i < page_count(face); i++) {
        Cell other = page_at(face, i);
        if (i != n && type_of(&other) == T_OBJECT) show_page(&other, false);
    }
}

} // namespace

void tab_set_items(gtk::WidgetId id, const Cell* face) {
    Cell data = facet(face, kFacetData);
    std::vector<std::string> items = data_items(&data);
    gtk::tab_set_items(id, items);
    Cell sel = facet(face, kFacetSelected);
    if (type_of(&sel) != T_INTEGER) {
        Cell one = integer_cell(1);
        set_facet(face, kFacetSelected, &one);
        return;
    }
    int32_t s = integer_get(&sel);
    int32_t count = static_cast<int32_t>(items.size());
    if (s > count) s = count;
    if (s < 1) s = 1;
    if (count > 0) tab_select(id, s - 1);
}

void tab_select(gtk::WidgetId id, int index) {
    gtk::Input in{};
    in.widget = id;
    in.item = gtk::tab_current(id);
    if (tab_on_selchanging(in) == 0) return;
    gtk::tab_set_current(id, index);
    in.item = gtk::tab_current(id);
    tab_on_selchange(in);
}

int tab_on_selchanging(const gtk::Input& in) {
    auto fk = static_cast<uint32_t>(in.item + 1) & 0xFFFF;
    return make_event(in.widget, kEvSelect, fk, g_none_cell, g_none_cell, integer_cell(in.item + 1),
                      g_none_cell);
}

int tab_on_selchange(const gtk::Input& in) {
    Cell face = widget_face(in.widget);
    if (type_of(&face) != T_OBJECT) return 1;
    switch_page(&face, in.item);
    auto fk = static_cast<uint32_t>(in.item + 1) & 0xFFFF;
    int r = make_event(in.widget, kEvChange, fk, g_none_cell, g_none_cell,
                       integer_cell(in.item + 1), g_none_cell);
    Cell chosen = integer_cell(in.item + 1);
    set_facet(&face, kFacetSelected, &chosen);
    return r;
}

bool tab_page_geometry(const Cell* page) {
    Cell parent = facet(page, kFacetParent);
    if (type_of(&parent) != T_OBJECT || !facet_is(&parent, kFacetType, "tab-panel")) return false;
    gtk::WidgetId tab = face_widget(&parent);
    int x, y, w, h;
    if (!tab || !gtk::tab_page_area(tab, &x, &y, &w, &h)) return false;
    Cell offset, size = facet(page, kFacetSize);
    double ox, oy, sw, sh;
    if (current_dpi() == 96) {
        // The page covers the panel's inner edge, as the page area is inset.
        ox = x - 3.0;
        oy = y - 1.0;
        sw = w + 4;
        sh = h + 3;
    } else {
        ox = to_logical_px(x);
        oy = to_logical_px(y);
        sw = to_logical_px(w);
        sh = to_logical_px(h);
    }
    point2d_make_at(&offset, static_cast<float>(ox), static_cast<float>(oy));
    set_facet(page, kFacetOffset, &offset);
    if (type_of(&size) == T_PAIR)
        pair_make_at(&size, static_cast<int32_t>(sw), static_cast<int32_t>(sh));
    else
        point2d_make_at(&size, static_cast<float>(sw), static_cast<float>(sh));
    set_facet(page, kFacetSize, &size);
    return true;
}

void tab_update_pages(gtk::WidgetId id) {
    Cell face = widget_face(id);
    if (type_of(&face) != T_OBJECT) return;
    bool shown = gtk::widget_visible(id);
    Cell sel = facet(&face, kFacetSelected);
    int32_t s = type_of(&sel) == T_INTEGER ? integer_get(&sel) : 0;
    for (int32_t i = 0; i < page_count(&face); i++) {
        Cell page = page_at(&face, i);
        gtk::WidgetId pid = type_of(&page) == T_OBJECT ? face_widget(&page) : 0;
        if (!pid) continue;
        if (tab_page_geometry(&page)) {
            double x, y;
            offset_of(&page, &x, &y);
            Cell size = facet(&page, kFacetSize);
            double w = type_of(&size) == T_PAIR ? pair_x(&size) : point_coordinate(&size, 0);
            double h = type_of(&size) == T_PAIR ? pair_y(&size) : point_coordinate(&size, 1);
            gtk::widget_move(pid, to_device_px(x), to_device_px(y));
            gtk::widget_resize(pid, to_device_px(w), to_device_px(h));
        }
        gtk::widget_show(pid, shown && s == i + 1);
    }
}

} // namespace xel::gui
