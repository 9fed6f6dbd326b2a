// Snapshots: a widget drawn by GTK onto an image surface, the screen read
// back from the root window.
#include "platform/gui/gtk-snapshot.h"

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

cairo_surface_t* widget_snapshot(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w || !gtk_widget_get_realized(w->outer)) return nullptr;
    // Sizes changed since the last frame are allocated first: GTK refuses to
    // draw a widget whose allocation is pending.
    GtkWidget* top = gtk_widget_get_toplevel(w->outer);
    if (GTK_IS_CONTAINER(top)) gtk_container_check_resize(GTK_CONTAINER(top));
    int width = gtk_widget_get_allocated_width(w->outer);
    int height = gtk_widget_get_allocated_height(w->outer);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(s);
    gtk_widget_draw(w->outer, cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    return s;
}

cairo_surface_t* screen_snapshot(int x, int y, int width, int height) {
    if (!display_open() || width <= 0 || height <= 0) return nullptr;
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, width, height);
    if (!pb) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(s);
    gdk_cairo_set_source_pixbuf(cr, pb, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    g_object_unref(pb);
    cairo_surface_flush(s);
    return s;
}

} // namespace xel::gtk
