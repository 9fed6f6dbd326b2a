// What widgets and screens show, drawn into new cairo image surfaces (ARGB32)
// that the caller destroys.
#pragma once
#include <cairo.h>

#include "platform/gui/gtk-gui.h"

namespace xel::gtk {

// The widget drawn offscreen over its allocation (a window: its client area
// with everything in it); nullptr when it was never realized.
cairo_surface_t* widget_snapshot(WidgetId id);

// The screen's pixels in a rectangle of device pixels; nullptr without a
// display.
cairo_surface_t* screen_snapshot(int x, int y, int width, int height);

} // namespace xel::gtk
