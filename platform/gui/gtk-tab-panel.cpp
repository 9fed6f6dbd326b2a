// Tab panels: a notebook whose tabs hold empty pages; the faces of the pages
// lie over its page area in the tab panel's parent, as siblings, and are
// shown and hidden by the backend. Leaving a tab is asked first, and a
// refusal keeps the tab.
#include "platform/gui/gtk-controls.h"
#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

Widget* tab_record(WidgetId id) {
    Widget* w = widget_record(id);
    return w && w->kind == Kind::kTabPanel ? w : nullptr;
}

void on_switch_page(GtkNotebook* nb, GtkWidget*, guint, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* w = tab_record(id);
    if (!w || w->suppress > 0) return;
    Input in{};
    in.kind = InputKind::kTabChanging;
    in.widget = id;
    in.item = gtk_notebook_get_current_page(nb);
    bool stop = false;
    deliver(in, &stop);
    if (stop) g_signal_stop_emission_by_name(nb, "switch-page");
}

void on_switched_page(GtkNotebook*, GtkWidget*, guint page, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* w = tab_record(id);
    if (!w || w->suppress > 0) return;
    Input in{};
    in.kind = InputKind::kTabChanged;
    in.widget = id;
    in.item = static_cast<int32_t>(page);
    bool stop = false;
    deliver(in, &stop);
}

// Gives the notebook its place now when it has none yet, so that its page
// area is known before the window is first shown.
void ensure_allocated(GtkWidget* nb) {
    GtkAllocation a;
    gtk_widget_get_allocation(nb, &a);
    if (a.width > 1 && a.height > 1) return;
    GtkRequisition min, nat;
    gtk_widget_get_preferred_size(nb, &min, &nat);
    int w = 0, h = 0;
    gtk_widget_get_size_request(nb, &w, &h);
    GtkAllocation want{0, 0, w > min.width ? w : min.width, h > min.height ? h : min.height};
    gtk_widget_size_allocate(nb, &want);
}

} // namespace

void connect_tab_panel(WidgetId id, Widget& w) {
    gpointer data = GUINT_TO_POINTER(id);
    g_signal_connect(w.inner, "switch-page", G_CALLBACK(on_switch_page), data);
    g_signal_connect_after(w.inner, "switch-page", G_CALLBACK(on_switched_page), data);
}

void tab_set_items(WidgetId id, const std::vector<std::string>& items) {
    Widget* w = tab_record(id);
    if (!w) return;
    w->suppress++;
    GtkNotebook* nb = GTK_NOTEBOOK(w->inner);
    while (gtk_notebook_get_n_pages(nb) > 0)
        gtk_notebook_remove_page(nb, -1);
    for (const std::string& s : items) {
        GtkWidget* page = gtk_fixed_new();
        gtk_widget_show(page);
        gtk_notebook_append_page(nb, page, gtk_label_new(s.c_str()));
    }
    w->suppress--;
}

void tab_insert(WidgetId id, int index, const std::string& text) {
    Widget* w = tab_record(id);
    if (!w) return;
    w->suppress++;
    GtkWidget* page = gtk_fixed_new();
    gtk_widget_show(page);
    gtk_notebook_insert_page(GTK_NOTEBOOK(w->inner), page, gtk_label_new(text.c_str()), index);
    w->suppress--;
}

void tab_delete(WidgetId id, int index) {
    Widget* w = tab_record(id);
    if (!w || index < 0 || index >= gtk_notebook_get_n_pages(GTK_NOTEBOOK(w->inner))) return;
    w->suppress++;
    gtk_notebook_remove_page(GTK_NOTEBOOK(w->inner), index);
    w->suppress--;
}

int tab_count(WidgetId id) {
    Widget* w = tab_record(id);
    return w ? gtk_notebook_get_n_pages(GTK_NOTEBOOK(w->inner)) : 0;
}

std::string tab_text(WidgetId id, int index) {
    Widget* w = tab_record(id);
    if (!w) return {};
    GtkWidget* page = gtk_notebook_get_nth_page(GTK_NOTEBOOK(w->inner), index);
    const char* t = page ? gtk_notebook_get_tab_label_text(GTK_NOTEBOOK(w->inner), page) : nullptr;
    return t ? t : "";
}

int tab_current(WidgetId id) {
    Widget* w = tab_record(id);
    return w ? gtk_notebook_get_current_page(GTK_NOTEBOOK(w->inner)) : -1;
}

void tab_set_current(WidgetId id, int index) {
    Widget* w = tab_record(id);
    if (!w) return;
    w->suppress++;
    gtk_notebook_set_current_page(GTK_NOTEBOOK(w->inner), index);
    w->suppress--;
}

bool tab_page_area(WidgetId id, int* x, int* y, int* width, int* height) {
    Widget* w = tab_record(id);
    if (!w) return false;
    GtkNotebook* nb = GTK_NOTEBOOK(w->inner);
    int current = gtk_notebook_get_current_page(nb);
    GtkWidget* page = current >= 0 ? gtk_notebook_get_nth_page(nb, current) : nullptr;
    if (!page) return false;
    ensure_allocated(w->inner);
    GtkAllocation n, p;
    gtk_widget_get_allocation(w->inner, &n);
    gtk_widget_get_allocation(page, &p);
    *x = static_cast<int>(to_device_units(w->inner, p.x - n.x));
    *y = static_cast<int>(to_device_units(w->inner, p.y - n.y));
    *width = static_cast<int>(to_device_units(w->inner, p.width));
    *height = static_cast<int>(to_device_units(w->inner, p.height));
    return p.width > 0 && p.height > 0;
}

bool tab_caption_point(WidgetId id, int index, int* x, int* y) {
    Widget* w = tab_record(id);
    if (!w) return false;
    GtkNotebook* nb = GTK_NOTEBOOK(w->inner);
    GtkWidget* page = gtk_notebook_get_nth_page(nb, index);
    GtkWidget* label = page ? gtk_notebook_get_tab_label(nb, page) : nullptr;
    if (!label || !gtk_widget_get_mapped(label)) return false;
    return gtk_widget_translate_coordinates(label, w->inner,
                                            gtk_widget_get_allocated_width(label) / 2,
                                            gtk_widget_get_allocated_height(label) / 2, x, y);
}

} // namespace xel::gtk
