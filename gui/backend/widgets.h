// The data side of the widgets with items and of menus: menu blocks made
// into native menus, tab panels and their pages, list items followed one at
// a time, calendars and button images (backend only).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/gtk-gui.h"
#include "runtime/cell.h"

namespace xel::gui {

// Menus. A window's menu bar from its menu facet (none when it holds no bar).
void menu_apply_bar(gtk::WidgetId window, const Cell* face);
// A right press: the face's context menu at the point; true when shown.
bool menu_show_context(gtk::WidgetId id, double x, double y);
// A chosen item: the menu event.
int menu_fire(const gtk::Input& in);

// Tab panels.
void tab_set_items(gtk::WidgetId id, const Cell* face);
// Selects a tab (0-based) as a click does: select, then change.
void tab_select(gtk::WidgetId id, int index);
int tab_on_selchanging(const gtk::Input& in);
int tab_on_selchange(const gtk::Input& in);
// A page's offset and size from its tab panel's page area; false when the
// face is no page of a shown tab panel.
bool tab_page_geometry(const Cell* page);
// The pages follow their tab panel: placed again, and shown as it is.
void tab_update_pages(gtk::WidgetId id);

// The items of a data block from its position: its values of the string
// family, as text.
std::vector<std::string> data_items(const Cell* data);

// Lists: text-list, drop-down and drop-list filled from their facets.
void list_set_items(gtk::WidgetId id, const Cell* face);
// The item under a point of a text-list as picked (1-based), else none.
Cell list_picked(gtk::WidgetId id, double x, double y);

// A deep change of a face's data, pane or other series facet
// (on-change-facet).
void update_facet(const Cell* face, const Cell* word, const Cell* action, const Cell* value,
                  int32_t index, int32_t part);

// Calendars: the date between data and the control; the colour.
void calendar_sync(gtk::WidgetId id, const Cell* face);
void calendar_set_color(gtk::WidgetId id, const Cell* face);
int calendar_on_change(const gtk::Input& in);

// A button's images from its image facet.
void button_set_image(gtk::WidgetId id, const Cell* face);

} // namespace xel::gui
