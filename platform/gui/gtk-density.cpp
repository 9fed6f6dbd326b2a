// Scale factors of monitors and windows, and the conversion between the
// backend's device pixels and GTK's units.
#include <algorithm>
#include <cmath>

#include "platform/gui/gtk-density.h"
#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

ScaleHandler g_scale_handler = nullptr;

void on_scale(GObject*, GParamSpec*, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* w = widget_record(id);
    if (w && g_scale_handler) g_scale_handler(id, gtk_widget_get_scale_factor(w->outer));
}

int factor(GtkWidget* w) {
    int f = w ? gtk_widget_get_scale_factor(w) : 1;
    return f > 0 ? f : 1;
}

} // namespace

int to_gtk_units(GtkWidget* w, int device) {
    return static_cast<int>(std::lround(static_cast<double>(device) / factor(w)));
}

double to_device_units(GtkWidget* w, double units) {
    return units * factor(w);
}

void connect_density(WidgetId id, Widget& w) {
    g_signal_connect(w.outer, "notify::scale-factor", G_CALLBACK(on_scale), GUINT_TO_POINTER(id));
}

int widget_scale(WidgetId id) {
    Widget* w = widget_record(id);
    return w ? factor(w->outer) : 1;
}

int scale_at_pointer() {
    if (!display_open()) return 1;
    GdkDisplay* d = gdk_display_get_default();
    int x = 0, y = 0;
    gdk_device_get_position(gdk_seat_get_pointer(gdk_display_get_default_seat(d)), nullptr, &x, &y);
    GdkMonitor* m = gdk_display_get_monitor_at_point(d, x, y);
    return m ? gdk_monitor_get_scale_factor(m) : 1;
}

int scale_for_rect(int x, int y, int width, int height) {
    if (!display_open()) return 1;
    GdkDisplay* d = gdk_display_get_default();
    int best = -1;
    long best_area = -1;
    double best_gap = 0;
    for (int i = 0, n = gdk_display_get_n_monitors(d); i < n; i++) {
        GdkMonitor* m = gdk_display_get_monitor(d, i);
        int f = gdk_monitor_get_scale_factor(m);
        GdkRectangle r;
        gdk_monitor_get_geometry(m, &r);
        // The monitor's rectangle in device pixels.
        long left = static_cast<long>(r.x) * f, top = static_cast<long>(r.y) * f;
        long right = left + static_cast<long>(r.width) * f;
        long bottom = top + static_cast<long>(r.height) * f;
        long w = std::min<long>(right, x + width) - std::max<long>(left, x);
        long h = std::min<long>(bottom, y + height) - std::max<long>(top, y);
        long area = w > 0 && h > 0 ? w * h : 0;
        // Apart from it: the distance between the centres decides.
        double gap = std::hypot((left + right) / 2.0 - (x + width / 2.0),
                                (top + bottom) / 2.0 - (y + height / 2.0));
        if (area > best_area || (area == best_area && area == 0 && gap < best_gap)) {
            best = f;
            best_area = area;
            best_gap = gap;
        }
    }
    return best > 0 ? best : 1;
}

WidgetId active_window() {
    if (!display_open()) return 0;
    GList* tops = gtk_window_list_toplevels();
    WidgetId found = 0;
    for (GList* l = tops; l; l = l->next) {
        auto* w = GTK_WINDOW(l->data);
        if (gtk_window_is_active(w) && gtk_widget_get_visible(GTK_WIDGET(w))) {
            WidgetId id = id_of(GTK_WIDGET(w));
            if (id && widget_kind(id) == Kind::kWindow) found = id;
        }
    }
    g_list_free(tops);
    return found;
}

void set_scale_handler(ScaleHandler handler) {
    g_scale_handler = handler;
}

} // namespace xel::gtk
