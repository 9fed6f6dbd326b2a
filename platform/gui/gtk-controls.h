// Our layer over GTK for the widgets with data of their own: menus, tab
// panels, list items, calendars, button images, and what base faces need
// (mouse capture, their pixels as shown). Nothing of GTK shows through here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/gtk-gui.h"

namespace xel::gtk {

// One entry of a menu: an item with a caption, its data and maybe a submenu,
// or a separator. A chosen item raises InputKind::kMenu with its data.
struct MenuEntry {
    bool separator = false;
    std::string caption;
    int32_t data = -1;
    bool has_submenu = false;
    std::vector<MenuEntry> submenu;
};

// A window's menu bar over its client area; an empty list removes it.
void window_set_menu_bar(WidgetId window, const std::vector<MenuEntry>& entries);
// Pops a context menu up at a point of a widget (logical pixels); its
// choice is reported for that widget. False when nothing could be shown.
bool menu_popup(WidgetId widget, const std::vector<MenuEntry>& entries, double x, double y);
// The menu bar of a window, or the open context menu when window is 0, as
// text: captions by position, "---" for separators, submenus in brackets.
std::string menu_describe(WidgetId window);
// Chooses the item at a path of positions as a person does with the keys.
// False when there is no such item or it is a separator.
bool menu_choose(WidgetId window, const std::vector<int>& path);

// Tab panels: the tabs' captions, the current tab.
void tab_set_items(WidgetId id, const std::vector<std::string>& items);
void tab_insert(WidgetId id, int index, const std::string& text);
void tab_delete(WidgetId id, int index);
int tab_count(WidgetId id);
std::string tab_text(WidgetId id, int index);
int tab_current(WidgetId id);
// Makes a tab current without reporting it.
void tab_set_current(WidgetId id, int index);
// The page area inside the tab panel, in its own pixels.
bool tab_page_area(WidgetId id, int* x, int* y, int* width, int* height);
// Where a tab's caption is, for input aimed at it.
bool tab_caption_point(WidgetId id, int index, int* x, int* y);

// List and combo items (text-list, drop-down, drop-list).
void list_insert(WidgetId id, int index, const std::string& text);
void list_delete(WidgetId id, int index);
int list_count(WidgetId id);
std::string list_item(WidgetId id, int index);
// The item under a point of the list (0-based), or -1.
int list_item_at(WidgetId id, double x, double y);

// Calendars: the chosen day; month 1-12.
void calendar_set(WidgetId id, int year, int month, int day);
void calendar_get(WidgetId id, int* year, int* month, int* day);
// The background colour, 0-255 each; reset returns to the theme's.
void calendar_set_color(WidgetId id, int r, int g, int b, bool reset);

// A button's images, each scaled to width x height: the first is shown, the
// next ones (when given) while the pointer is over it, pressed, disabled.
// An empty list removes them.
void button_set_images(WidgetId id, const std::vector<cairo_surface_t*>& images, int width,
                       int height);
// The number of a button's images and their size.
int button_images(WidgetId id, int* width, int* height);

// The colour shown at a point of a window, 0xRRGGBB, or -1.
int64_t window_pixel(WidgetId window, int x, int y);

} // namespace xel::gtk
