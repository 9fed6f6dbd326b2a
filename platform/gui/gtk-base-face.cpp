// What base faces need of GTK beyond a drawing area: the mouse held by a
// base face from its first left press to the release of its last one, and
// the pixels a window shows (for a translucent face's look).
#include "platform/gui/gtk-controls.h"
#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

WidgetId g_capture = 0;

} // namespace

void base_press(WidgetId id, bool press) {
    Widget* w = widget_record(id);
    if (!w) return;
    if (press) {
        if (w->presses++ == 0) g_capture = id;
    } else if (w->presses > 0 && --w->presses == 0 && g_capture == id) {
        g_capture = 0;
    }
}

WidgetId captured() {
    if (!widget_record(g_capture)) g_capture = 0;
    return g_capture;
}

int64_t window_pixel(WidgetId window, int x, int y) {
    Widget* w = widget_record(window);
    if (!w || w->kind != Kind::kWindow || !gtk_widget_get_realized(w->outer)) return -1;
    int tx = 0, ty = 0;
    gtk_widget_translate_coordinates(w->inner, w->outer, x, y, &tx, &ty);
    GdkWindow* win = gtk_widget_get_window(w->outer);
    gdk_display_sync(gdk_window_get_display(win));
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(win, tx, ty, 1, 1);
    if (!pb) return -1;
    const guchar* p = gdk_pixbuf_read_pixels(pb);
    int64_t rgb = (static_cast<int64_t>(p[0]) << 16) | (p[1] << 8) | p[2];
    g_object_unref(pb);
    return rgb;
}

} // namespace xel::gtk
