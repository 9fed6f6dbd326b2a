// What a face's options ask of its widget beyond its kind: the mouse cursor
// shown over it, the grey hint of an empty field, the tab stops of edits, and
// a tool window kept off the task bar. Nothing of GTK shows through here.
#pragma once
#include <cairo.h>

#include <string>

#include "platform/gui/gtk-gui.h"

namespace xel::gtk {

// The named cursor over the widget's own pixels (not over its child faces);
// nullptr gives back the cursor the widget had of its own (the arrow when it
// had none).
void widget_set_cursor(WidgetId id, const char* name);
// A cursor from an image, its hot spot at the image's centre.
void widget_set_cursor_image(WidgetId id, cairo_surface_t* image);
// The name of the cursor the widget's pixels show ("image" for an image
// cursor, "default" for the arrow), "" when it has no name.
std::string widget_cursor(WidgetId id);

// The hint of a field shown while it is empty.
void field_set_hint(WidgetId id, const std::string& hint);
std::string field_hint(WidgetId id);

// One tab stop every `chars` average character widths of the edit's font.
void edit_set_tab_stop(WidgetId id, int chars);
// The first tab stop in pixels, 0 when none is set.
int edit_tab_stop(WidgetId id);

// A window kept off the task bar and pager.
void window_set_tool(WidgetId id);

} // namespace xel::gtk
