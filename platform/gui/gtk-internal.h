// The records behind widget ids, shared by the files of platform/gui.
#pragma once
#include <gtk/gtk.h>

#include "platform/gui/gtk-gui.h"

namespace xel::gtk {

struct Widget {
    GtkWidget* outer = nullptr; // what is placed in the parent
    GtkWidget* inner = nullptr; // what holds the state (entry, view, list) or children
    GtkWidget* input = nullptr; // what receives pointer input
    Kind kind = Kind::kBase;
    uint32_t face = 0;
    WidgetId parent = 0;
    guint timer = 0;
    int last_x = INT32_MIN, last_y = INT32_MIN, last_w = -1, last_h = -1;
    int suppress = 0; // > 0 while the program itself changes the state
    bool tri_state = false;
    GtkWidget* menu_bar = nullptr;
    int presses = 0; // base: left presses not yet released
};

Widget* widget_record(WidgetId id);
// The id of a GTK widget or of its nearest ancestor that has one, or 0.
WidgetId id_of(GtkWidget* w);
void deliver(const Input& input, bool* stop);
// GDK's modifier and button state as the Input record's.
uint32_t state_of(guint gdk_state);
// A scroll event's wheel turn (up positive); false for a sideways step, which
// is no wheel.
bool wheel_of(const GdkEvent* ev, double* wheel);
void connect_input(WidgetId id, Widget& w);
// The fixed container a child of parent is put in, and the child's offset
// in it (a tab-panel's pages lie in the tab-panel's own parent).
GtkWidget* container_for(WidgetId parent, int* dx, int* dy);
// Set-up of the kinds that live in files of their own.
void connect_tab_panel(WidgetId id, Widget& w);
void connect_calendar(WidgetId id, Widget& w);
void connect_gestures(WidgetId id, Widget& w);
void connect_density(WidgetId id, Widget& w);
// The cursor of the options, or the widget's own, shown again when mapped.
void connect_cursor(WidgetId id, Widget& w);
// The backend's device pixels in GTK's units of a widget and back (GTK's
// unit is the widget's scale factor in device pixels).
int to_gtk_units(GtkWidget* w, int device);
double to_device_units(GtkWidget* w, double units);
// A scrollable base face: its drawing area in a grid with its two bars.
GtkWidget* with_scroll_bars(GtkWidget* area);
// The bars of a scrollable base face or of a scroller face report moves.
void connect_scroll_bars(WidgetId id, Widget& w);
// A base face's left presses and releases; while one is held, pointer input
// made by the program goes to it.
void base_press(WidgetId id, bool press);
WidgetId captured();

} // namespace xel::gtk
