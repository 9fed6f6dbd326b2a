// Cursors, field hints, edit tab stops and tool windows. A cursor is set on
// the GDK windows that belong to the face's own widget (a button's input
// window, an entry's text window ...), never on those of its child faces,
// as a native window's cursor covers its own client area only; it is set
// again each time the widget is mapped, after the widget set its own.
// Windows that have no cursor of their own show the arrow rather than
// their parent's.
#include <vector>

#include "platform/gui/gtk-internal.h"
#include "platform/gui/gtk-options.h"

namespace xel::gtk {

namespace {

const char* const kCursorKey = "xel-cursor";
const char* const kCursorNameKey = "xel-cursor-name";
const char* const kOwnCursorKey = "xel-own-cursor";

void collect_children(GdkWindow* window, WidgetId id, std::vector<GdkWindow*>* out) {
    for (GList* l = gdk_window_peek_children(window); l; l = l->next) {
        auto* child = static_cast<GdkWindow*>(l->data);
        gpointer owner = nullptr;
        gdk_window_get_user_data(child, &owner);
        if (!owner || id_of(GTK_WIDGET(owner)) != id) continue;
        out->push_back(child);
        collect_children(child, id, out);
    }
}

// The GDK windows of the widget itself: its own window when it has one and
// the windows under it (or under its parent's window) that it owns.
std::vector<GdkWindow*> own_windows(WidgetId id) {
    std::vector<GdkWindow*> out;
    Widget* w = widget_record(id);
    if (!w || !gtk_widget_get_realized(w->outer)) return out;
    GdkWindow* window = gtk_widget_get_window(w->outer);
    if (!window) return out;
    if (gtk_widget_get_has_window(w->outer)) out.push_back(window);
    collect_children(window, id, &out);
    return out;
}

// A window's cursor before ours is kept on it, to be given back.
void remember_own(GdkWindow* window) {
    if (g_object_get_data(G_OBJECT(window), kOwnCursorKey)) return;
    GdkCursor* own = gdk_window_get_cursor(window);
    // A window without a cursor of its own keeps itself as the marker.
    GObject* kept = own ? G_OBJECT(own) : G_OBJECT(window);
    g_object_set_data_full(G_OBJECT(window), kOwnCursorKey, g_object_ref(kept), g_object_unref);
}

GdkCursor* make_cursor(const char* name);

// The arrow, for windows that have no cursor of their own.
GdkCursor* arrow() {
    static GdkCursor* cursor = make_cursor("default");
    return cursor;
}

// A window shows the face's cursor, else its own, else the arrow: a child
// face never shows its parent's cursor, as X would let it.
void show_cursor(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w) return;
    auto* cursor = static_cast<GdkCursor*>(g_object_get_data(G_OBJECT(w->outer), kCursorKey));
    for (GdkWindow* window : own_windows(id)) {
        remember_own(window);
        gpointer own = g_object_get_data(G_OBJECT(window), kOwnCursorKey);
        gdk_window_set_cursor(window, cursor ? cursor : own == window ? arrow() : GDK_CURSOR(own));
    }
}

void on_mapped(GtkWidget*, gpointer data) {
    show_cursor(static_cast<WidgetId>(GPOINTER_TO_UINT(data)));
}

void set_cursor(WidgetId id, GdkCursor* cursor) {
    Widget* w = widget_record(id);
    if (!w) {
        if (cursor) g_object_unref(cursor);
        return;
    }
    g_object_set_data_full(G_OBJECT(w->outer), kCursorKey, cursor,
                           cursor ? g_object_unref : nullptr);
    show_cursor(id);
}

// Without a cursor theme the X server's own cursor font stands in.
GdkCursorType fallback_type(const std::string& name) {
    if (name == "text") return GDK_XTERM;
    if (name == "pointer") return GDK_HAND2;
    if (name == "crosshair") return GDK_CROSSHAIR;
    if (name == "ns-resize") return GDK_SB_V_DOUBLE_ARROW;
    if (name == "ew-resize") return GDK_SB_H_DOUBLE_ARROW;
    return GDK_LEFT_PTR;
}

GdkCursor* make_cursor(const char* name) {
    GdkDisplay* display = gdk_display_get_default();
    GdkCursor* cursor = gdk_cursor_new_from_name(display, name);
    if (!cursor) cursor = gdk_cursor_new_for_display(display, fallback_type(name));
    g_object_set_data_full(G_OBJECT(cursor), kCursorNameKey, g_strdup(name), g_free);
    return cursor;
}

GtkWidget* inner_of(WidgetId id, Kind kind) {
    Widget* w = widget_record(id);
    return w && w->kind == kind ? w->inner : nullptr;
}

PangoTabArray* edit_tabs(WidgetId id) {
    if (GtkWidget* e = inner_of(id, Kind::kField)) return gtk_entry_get_tabs(GTK_ENTRY(e));
    if (GtkWidget* t = inner_of(id, Kind::kArea)) return gtk_text_view_get_tabs(GTK_TEXT_VIEW(t));
    return nullptr;
}

} // namespace

void connect_cursor(WidgetId id, Widget& w) {
    g_signal_connect_after(w.outer, "map", G_CALLBACK(on_mapped), GUINT_TO_POINTER(id));
}

void widget_set_cursor(WidgetId id, const char* name) {
    set_cursor(id, name ? make_cursor(name) : nullptr);
}

void widget_set_cursor_image(WidgetId id, cairo_surface_t* image) {
    int width = cairo_image_surface_get_width(image);
    int height = cairo_image_surface_get_height(image);
    GdkCursor* cursor =
        gdk_cursor_new_from_surface(gdk_display_get_default(), image, width / 2.0, height / 2.0);
    g_object_set_data_full(G_OBJECT(cursor), kCursorNameKey, g_strdup("image"), g_free);
    set_cursor(id, cursor);
}

std::string widget_cursor(WidgetId id) {
    // What the widget's pixels show, read back from its GDK windows.
    std::string name;
    for (GdkWindow* window : own_windows(id)) {
        GdkCursor* c = gdk_window_get_cursor(window);
        const char* n =
            c ? static_cast<const char*>(g_object_get_data(G_OBJECT(c), kCursorNameKey)) : nullptr;
        if (!n || (!name.empty() && name != n)) return "";
        name = n;
    }
    return name;
}

void field_set_hint(WidgetId id, const std::string& hint) {
    if (GtkWidget* e = inner_of(id, Kind::kField))
        gtk_entry_set_placeholder_text(GTK_ENTRY(e), hint.c_str());
}

std::string field_hint(WidgetId id) {
    GtkWidget* e = inner_of(id, Kind::kField);
    const char* hint = e ? gtk_entry_get_placeholder_text(GTK_ENTRY(e)) : nullptr;
    return hint ? hint : "";
}

void edit_set_tab_stop(WidgetId id, int chars) {
    Widget* w = widget_record(id);
    if (!w || (w->kind != Kind::kField && w->kind != Kind::kArea)) return;
    PangoContext* context = gtk_widget_get_pango_context(w->inner);
    PangoFontMetrics* metrics =
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr);
    int width = pango_font_metrics_get_approximate_char_width(metrics);
    pango_font_metrics_unref(metrics);
    int pixels = (chars * width + PANGO_SCALE / 2) / PANGO_SCALE;
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, pixels);
    if (w->kind == Kind::kField)
        gtk_entry_set_tabs(GTK_ENTRY(w->inner), tabs);
    else
        gtk_text_view_set_tabs(GTK_TEXT_VIEW(w->inner), tabs);
    pango_tab_array_free(tabs);
}

int edit_tab_stop(WidgetId id) {
    PangoTabArray* tabs = edit_tabs(id);
    if (!tabs || pango_tab_array_get_size(tabs) == 0) return 0;
    PangoTabAlign align;
    gint at = 0;
    pango_tab_array_get_tab(tabs, 0, &align, &at);
    bool pixels = pango_tab_array_get_positions_in_pixels(tabs);
    // The entry's getter hands out its own array, the text view's a copy.
    if (inner_of(id, Kind::kArea)) pango_tab_array_free(tabs);
    return pixels ? at : at / PANGO_SCALE;
}

void window_set_tool(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kWindow) return;
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(w->outer), TRUE);
    gtk_window_set_skip_pager_hint(GTK_WINDOW(w->outer), TRUE);
}

} // namespace xel::gtk
