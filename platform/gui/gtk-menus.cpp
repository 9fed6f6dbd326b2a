// Menus: a window's menu bar above its client area, context menus popped up
// over a widget, and the choice of an item reported for the widget that owns
// the menu (the window for its bar, the widget for its context menu).
#include "platform/gui/gtk-controls.h"
#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

const char* const kDataKey = "xel-menu-data";
const char* const kOwnerKey = "xel-menu-owner";

GtkWidget* g_context_menu = nullptr;

void on_activate(GtkMenuItem* item, gpointer) {
    auto owner =
        static_cast<WidgetId>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), kOwnerKey)));
    if (!widget_record(owner)) return;
    Input in{};
    in.kind = InputKind::kMenu;
    in.widget = owner;
    in.item = static_cast<int32_t>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kDataKey)));
    bool stop = false;
    deliver(in, &stop);
}

void fill(GtkMenuShell* shell, const std::vector<MenuEntry>& entries, WidgetId owner) {
    for (const MenuEntry& e : entries) {
        GtkWidget* item;
        if (e.separator) {
            item = gtk_separator_menu_item_new();
        } else {
            item = gtk_menu_item_new_with_label(e.caption.c_str());
            g_object_set_data(G_OBJECT(item), kDataKey, GINT_TO_POINTER(e.data));
            g_object_set_data(G_OBJECT(item), kOwnerKey, GUINT_TO_POINTER(owner));
            if (e.has_submenu) {
                GtkWidget* sub = gtk_menu_new();
                fill(GTK_MENU_SHELL(sub), e.submenu, owner);
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), sub);
            } else {
                g_signal_connect(item, "activate", G_CALLBACK(on_activate), nullptr);
            }
        }
        gtk_menu_shell_append(shell, item);
    }
    gtk_widget_show_all(GTK_WIDGET(shell));
}

// The box that holds a window's bar above its client area, made on first use.
GtkWidget* window_box(Widget& w) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(w.outer));
    if (GTK_IS_BOX(child)) return child;
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    g_object_ref(w.inner);
    gtk_container_remove(GTK_CONTAINER(w.outer), w.inner);
    gtk_box_pack_end(GTK_BOX(box), w.inner, TRUE, TRUE, 0);
    g_object_unref(w.inner);
    gtk_container_add(GTK_CONTAINER(w.outer), box);
    gtk_widget_show(box);
    return box;
}

void describe(GtkWidget* shell, std::string* out) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
    bool first = true;
    for (GList* l = children; l; l = l->next) {
        auto* item = static_cast<GtkWidget*>(l->data);
        if (!first) *out += ' ';
        first = false;
        if (GTK_IS_SEPARATOR_MENU_ITEM(item)) {
            *out += "---";
            continue;
        }
        *out += '"';
        *out += gtk_menu_item_get_label(GTK_MENU_ITEM(item));
        *out += '"';
        if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item))) {
            *out += " [";
            describe(sub, out);
            *out += ']';
        }
    }
    g_list_free(children);
}

GtkWidget* nth_child(GtkWidget* shell, int n) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
    GList* at = n >= 0 ? g_list_nth(children, static_cast<guint>(n)) : nullptr;
    GtkWidget* item = at ? static_cast<GtkWidget*>(at->data) : nullptr;
    g_list_free(children);
    return item;
}

} // namespace

void window_set_menu_bar(WidgetId window, const std::vector<MenuEntry>& entries) {
    Widget* w = widget_record(window);
    if (!w || w->kind != Kind::kWindow) return;
    if (w->menu_bar) {
        gtk_widget_destroy(w->menu_bar);
        w->menu_bar = nullptr;
    }
    if (entries.empty()) return;
    GtkWidget* box = window_box(*w);
    w->menu_bar = gtk_menu_bar_new();
    fill(GTK_MENU_SHELL(w->menu_bar), entries, window);
    gtk_box_pack_start(GTK_BOX(box), w->menu_bar, FALSE, FALSE, 0);
}

bool menu_popup(WidgetId widget, const std::vector<MenuEntry>& entries, double x, double y) {
    Widget* w = widget_record(widget);
    if (!w) return false;
    GdkWindow* window = gtk_widget_get_window(w->input);
    if (!window || !gtk_widget_get_realized(w->input)) return false;
    if (g_context_menu) gtk_widget_destroy(g_context_menu);
    g_context_menu = gtk_menu_new();
    g_object_add_weak_pointer(G_OBJECT(g_context_menu),
                              reinterpret_cast<gpointer*>(&g_context_menu));
    fill(GTK_MENU_SHELL(g_context_menu), entries, widget);
    gtk_menu_attach_to_widget(GTK_MENU(g_context_menu), w->input, nullptr);
    // The rectangle is in the coordinates of the widget's GDK window.
    GdkRectangle at{to_gtk_units(w->outer, static_cast<int>(x)),
                    to_gtk_units(w->outer, static_cast<int>(y)), 1, 1};
    if (!gtk_widget_get_has_window(w->input)) {
        GtkAllocation a;
        gtk_widget_get_allocation(w->input, &a);
        at.x += a.x;
        at.y += a.y;
    }
    gtk_menu_popup_at_rect(GTK_MENU(g_context_menu), window, &at, GDK_GRAVITY_NORTH_WEST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
    return true;
}

// The context menu while it is shown.
GtkWidget* open_context_menu() {
    return g_context_menu && gtk_widget_get_visible(g_context_menu) ? g_context_menu : nullptr;
}

std::string menu_describe(WidgetId window) {
    GtkWidget* shell = open_context_menu();
    if (window) {
        Widget* w = widget_record(window);
        shell = w ? w->menu_bar : nullptr;
    }
    std::string out;
    if (shell) describe(shell, &out);
    return out;
}

bool menu_choose(WidgetId window, const std::vector<int>& path) {
    GtkWidget* shell = open_context_menu();
    if (window) {
        Widget* w = widget_record(window);
        shell = w ? w->menu_bar : nullptr;
    }
    for (size_t i = 0; shell && i < path.size(); i++) {
        GtkWidget* item = nth_child(shell, path[i]);
        if (!item || GTK_IS_SEPARATOR_MENU_ITEM(item)) return false;
        GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
        if (i + 1 < path.size()) {
            shell = sub;
            continue;
        }
        if (sub || !gtk_widget_is_sensitive(item)) return false;
        gtk_menu_shell_activate_item(GTK_MENU_SHELL(shell), item, TRUE);
        return true;
    }
    return false;
}

} // namespace xel::gtk
