// Monitors, the theme's dark preference and the scroll bar's width.
#include <cctype>
#include <string>

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

std::vector<Screen> screens() {
    std::vector<Screen> out;
    if (!display_open()) return out;
    GdkDisplay* d = gdk_display_get_default();
    int n = gdk_display_get_n_monitors(d);
    for (int i = 0; i < n; i++) {
        GdkMonitor* m = gdk_display_get_monitor(d, i);
        GdkRectangle r;
        gdk_monitor_get_geometry(m, &r);
        int f = gdk_monitor_get_scale_factor(m);
        out.push_back(Screen{r.x * f, r.y * f, r.width * f, r.height * f, static_cast<double>(f),
                             static_cast<uint32_t>(i + 1)});
    }
    return out;
}

uint32_t screen_at_pointer() {
    if (!display_open()) return 0;
    GdkDisplay* d = gdk_display_get_default();
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(d));
    int x = 0, y = 0;
    gdk_device_get_position(pointer, nullptr, &x, &y);
    GdkMonitor* at = gdk_display_get_monitor_at_point(d, x, y);
    for (int i = 0, n = gdk_display_get_n_monitors(d); i < n; i++)
        if (gdk_display_get_monitor(d, i) == at) return static_cast<uint32_t>(i + 1);
    return 1;
}

bool prefers_dark() {
    if (!display_open()) return false;
    GtkSettings* s = gtk_settings_get_default();
    gboolean dark = FALSE;
    gchar* theme = nullptr;
    g_object_get(s, "gtk-application-prefer-dark-theme", &dark, "gtk-theme-name", &theme, nullptr);
    std::string name = theme ? theme : "";
    g_free(theme);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // A theme named for its dark variant says so too (GTK_THEME=Name:dark).
    return dark || name.find("dark") != std::string::npos;
}

int scrollbar_width() {
    if (!display_open()) return 0;
    GtkWidget* bar = gtk_scrollbar_new(GTK_ORIENTATION_VERTICAL, nullptr);
    g_object_ref_sink(bar);
    int min = 0, natural = 0;
    gtk_widget_get_preferred_width(bar, &min, &natural);
    g_object_unref(bar);
    return natural;
}

} // namespace xel::gtk
