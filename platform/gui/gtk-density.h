// Pixel density: the scale factor of the monitors that windows lie on, and
// a window's scale change when it moves to a monitor of another scale. The
// backend works in device pixels; GTK places widgets in its own units, one
// of which is the scale factor in device pixels, and the layer converts.
#pragma once
#include "platform/gui/gtk-gui.h"

namespace xel::gtk {

// The scale factor of the monitor under a widget's window (1 without one).
int widget_scale(WidgetId id);
// The scale factor of the monitor under the mouse.
int scale_at_pointer();
// The scale factor of the monitor a rectangle in device pixels lies on most,
// or of the nearest one.
int scale_for_rect(int x, int y, int width, int height);
// The window that has the input focus when it is shown, else 0.
WidgetId active_window();

// Called when a window's scale factor changed, with the new factor.
using ScaleHandler = void (*)(WidgetId window, int scale);
void set_scale_handler(ScaleHandler handler);

} // namespace xel::gtk
