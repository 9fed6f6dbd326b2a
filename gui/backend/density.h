// The DPI the backend works at: that of the window whose pixels are being
// worked on (make-view, update-view, showing), settled from the monitor of a
// window's rectangle before it is placed, and changed when a window moves to
// a monitor of another scale, whose faces are then laid out again.
#pragma once
#include "platform/gui/gtk-gui.h"

namespace xel::gui {

// The DPI of a window: what its last scale change said, else that of its
// monitor; the current DPI for no window.
int window_dpi(gtk::WidgetId window);
// Works in a window's DPI until the matching pop, which restores the DPI
// before (or, when the outermost closes, the visible active window's).
int push_dpi(gtk::WidgetId window);
void pop_dpi(int saved);
struct DpiScope {
    explicit DpiScope(gtk::WidgetId window) : saved(push_dpi(window)) {}
    ~DpiScope() { pop_dpi(saved); }
    DpiScope(const DpiScope&) = delete;
    DpiScope& operator=(const DpiScope&) = delete;
    int saved;
};
// The DPI of the monitor under the mouse.
void dpi_from_cursor();
// The DPI of the monitor a window with this rectangle (logical pixels) will
// lie on.
void dpi_for_rect(double x, double y, double width, double height);
// A window's scale changed to dpi: the screens are refreshed, the DPI
// becomes the window's and its faces are placed again at the new scale.
void dpi_changed(gtk::WidgetId window, int dpi);
// From the backend's start: windows report their scale changes.
void watch_scale_changes();
// The DPI nesting (tests).
int dpi_nesting();

} // namespace xel::gui
