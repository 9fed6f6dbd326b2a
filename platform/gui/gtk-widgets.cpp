// Widgets by id: creation by kind, placement in the parent's fixed container,
// and the state the backend reads and writes.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

std::vector<Widget>& table() {
    static std::vector<Widget> list;
    return list;
}

const char* const kIdKey = "xel-widget-id";

int g_display_state = 0; // 0 not tried, 1 open, -1 none

const char* const kNoRadioKey = "xel-no-radio";

void drop_widget(gpointer w) {
    gtk_widget_destroy(GTK_WIDGET(w));
    g_object_unref(w);
}

void place(Widget& w, const WidgetSpec& spec) {
    if (w.kind == Kind::kWindow) {
        GtkWidget* o = w.outer;
        int width = to_gtk_units(o, spec.width), height = to_gtk_units(o, spec.height);
        gtk_window_move(GTK_WINDOW(o), to_gtk_units(o, spec.x), to_gtk_units(o, spec.y));
        gtk_window_set_default_size(GTK_WINDOW(o), width, height);
        gtk_widget_set_size_request(w.inner, width, height);
        return;
    }
    int dx, dy;
    GtkWidget* c = container_for(spec.parent, &dx, &dy);
    gtk_widget_set_size_request(w.outer, to_gtk_units(c, spec.width), to_gtk_units(c, spec.height));
    if (c && GTK_IS_FIXED(c))
        gtk_fixed_put(GTK_FIXED(c), w.outer, to_gtk_units(c, spec.x) + dx,
                      to_gtk_units(c, spec.y) + dy);
}

// A translucent window draws with alpha where a compositor runs.
void use_rgba(GtkWidget* window) {
    GdkScreen* screen = gtk_widget_get_screen(window);
    GdkVisual* rgba = gdk_screen_get_rgba_visual(screen);
    if (!rgba || !gdk_screen_is_composited(screen)) return;
    gtk_widget_set_visual(window, rgba);
    gtk_widget_set_app_paintable(window, TRUE);
}

GtkWidget* windowed_fixed() {
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_has_window(fixed, TRUE);
    return fixed;
}

const char* const kFocusingKey = "xel-focusing";

// A text-list taking the focus selects nothing: GTK would select its first
// row, which the program would take for a choice.
gboolean select_unless_focusing(GtkTreeSelection*, GtkTreeModel*, GtkTreePath*, gboolean selected,
                                gpointer view) {
    return selected || !g_object_get_data(G_OBJECT(view), kFocusingKey);
}

void focusing(GtkWidget* view, gpointer on) {
    g_object_set_data(G_OBJECT(view), kFocusingKey, on);
}

// The radio buttons of one parent form one group.
GtkWidget* radio_in(WidgetId parent) {
    for (Widget& w : table())
        if (w.kind == Kind::kRadio && w.parent == parent && w.outer) return w.outer;
    return nullptr;
}

void make_widgets(Widget& w, const WidgetSpec& spec) {
    const char* text = spec.text.c_str();
    switch (spec.kind) {
    case Kind::kWindow:
        w.outer = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(w.outer), text);
        gtk_window_set_resizable(GTK_WINDOW(w.outer), spec.resizable);
        gtk_window_set_decorated(GTK_WINDOW(w.outer), spec.decorated);
        gtk_window_set_modal(GTK_WINDOW(w.outer), spec.modal);
        if (spec.translucent) use_rgba(w.outer);
        w.inner = windowed_fixed();
        gtk_container_add(GTK_CONTAINER(w.outer), w.inner);
        w.input = w.inner;
        break;
    case Kind::kPanel:
        w.outer = w.inner = w.input = windowed_fixed();
        break;
    case Kind::kGroupBox:
        w.outer = gtk_frame_new(text);
        w.inner = w.input = windowed_fixed();
        gtk_container_add(GTK_CONTAINER(w.outer), w.inner);
        break;
    case Kind::kBase:
        w.inner = w.input = gtk_drawing_area_new();
        gtk_widget_set_can_focus(w.inner, TRUE);
        w.outer = spec.scrollable ? with_scroll_bars(w.inner) : w.inner;
        break;
    case Kind::kButton:
        w.outer = w.inner = w.input = gtk_button_new_with_label(text);
        break;
    case Kind::kToggle:
        w.outer = w.inner = w.input = gtk_toggle_button_new_with_label(text);
        break;
    case Kind::kCheck:
        w.outer = w.inner = w.input = gtk_check_button_new_with_label(text);
        break;
    case Kind::kRadio: {
        GtkWidget* first = radio_in(spec.parent);
        w.outer = first ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(first), text)
                        : gtk_radio_button_new_with_label(nullptr, text);
        w.inner = w.input = w.outer;
        break;
    }
    case Kind::kField:
        w.outer = w.inner = w.input = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(w.inner), text);
        gtk_entry_set_visibility(GTK_ENTRY(w.inner), !spec.password);
        if (spec.password) gtk_entry_set_invisible_char(GTK_ENTRY(w.inner), 0x25CF);
        break;
    case Kind::kArea:
        w.outer = gtk_scrolled_window_new(nullptr, nullptr);
        // Bars that take their room while the text needs them, as the
        // design's area shows and hides its own.
        gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(w.outer), FALSE);
        w.inner = w.input = gtk_text_view_new();
        gtk_container_add(GTK_CONTAINER(w.outer), w.inner);
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(w.inner)), text, -1);
        break;
    case Kind::kText:
        w.outer = w.input = gtk_event_box_new();
        w.inner = gtk_label_new(text);
        gtk_label_set_xalign(GTK_LABEL(w.inner), 0.0f);
        gtk_container_add(GTK_CONTAINER(w.outer), w.inner);
        break;
    case Kind::kTextList: {
        w.outer = gtk_scrolled_window_new(nullptr, nullptr);
        GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
        w.inner = w.input = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
        g_object_unref(store);
        gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(w.inner), FALSE);
        GtkCellRenderer* cell = gtk_cell_renderer_text_new();
        gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(w.inner), -1, "", cell, "text", 0,
                                                    nullptr);
        gtk_tree_selection_set_select_function(gtk_tree_view_get_selection(GTK_TREE_VIEW(w.inner)),
                                               select_unless_focusing, w.inner, nullptr);
        g_signal_connect(w.inner, "grab-focus", G_CALLBACK(focusing), GINT_TO_POINTER(1));
        g_signal_connect_after(w.inner, "grab-focus", G_CALLBACK(focusing), nullptr);
        gtk_container_add(GTK_CONTAINER(w.outer), w.inner);
        break;
    }
    case Kind::kDropDown:
        w.outer = w.inner = w.input = gtk_combo_box_text_new_with_entry();
        gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(w.inner))), text);
        break;
    case Kind::kDropList:
        w.outer = w.inner = w.input = gtk_combo_box_text_new();
        break;
    case Kind::kProgress:
        w.outer = w.inner = w.input = gtk_progress_bar_new();
        gtk_orientable_set_orientation(GTK_ORIENTABLE(w.inner), spec.vertical
                                                                    ? GTK_ORIENTATION_VERTICAL
                                                                    : GTK_ORIENTATION_HORIZONTAL);
        if (spec.vertical) gtk_progress_bar_set_inverted(GTK_PROGRESS_BAR(w.inner), TRUE);
        break;
    case Kind::kSlider:
        w.outer = w.inner = w.input = gtk_scale_new_with_range(
            spec.vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, 0.0, 1.0, 0.01);
        gtk_scale_set_draw_value(GTK_SCALE(w.inner), FALSE);
        // A vertical slider counts from the bottom.
        if (spec.vertical) gtk_range_set_inverted(GTK_RANGE(w.inner), TRUE);
        break;
    case Kind::kScroller: {
        GtkAdjustment* adj = gtk_adjustment_new(0.0, 0.0, 1.0, 0.01, 0.1, 0.1);
        w.outer = w.inner = w.input = gtk_scrollbar_new(
            spec.vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, adj);
        break;
    }
    case Kind::kCalendar:
        w.outer = w.inner = w.input = gtk_calendar_new();
        break;
    case Kind::kTabPanel:
        w.outer = w.inner = w.input = gtk_notebook_new();
        gtk_notebook_set_scrollable(GTK_NOTEBOOK(w.inner), TRUE);
        break;
    }
}

} // namespace

bool display_open() {
    if (g_display_state == 0) {
        const char* x = std::getenv("DISPLAY");
        const char* wl = std::getenv("WAYLAND_DISPLAY");
        bool named = (x && *x) || (wl && *wl);
        g_display_state = named && gtk_init_check(nullptr, nullptr) ? 1 : -1;
    }
    return g_display_state == 1;
}

Widget* widget_record(WidgetId id) {
    if (id == 0 || id > table().size()) return nullptr;
    Widget* w = &table()[id - 1];
    return w->outer ? w : nullptr;
}

GtkWidget* container_for(WidgetId parent, int* dx, int* dy) {
    *dx = *dy = 0;
    Widget* p = widget_record(parent);
    if (p && p->kind == Kind::kTabPanel) {
        Widget* g = widget_record(p->parent);
        if (!g || !GTK_IS_FIXED(g->inner)) return nullptr;
        gtk_container_child_get(GTK_CONTAINER(g->inner), p->outer, "x", dx, "y", dy, nullptr);
        return g->inner;
    }
    return p ? p->inner : nullptr;
}

WidgetId id_of(GtkWidget* w) {
    for (; w; w = gtk_widget_get_parent(w)) {
        auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(w), kIdKey)));
        if (id) return id;
    }
    return 0;
}

WidgetId widget_create(const WidgetSpec& spec) {
    if (!display_open()) return 0;
    Widget w;
    w.kind = spec.kind;
    w.face = spec.face_slot;
    w.parent = spec.parent;
    w.tri_state = spec.tri_state && spec.kind == Kind::kCheck;
    make_widgets(w, spec);
    table().push_back(w);
    auto id = static_cast<WidgetId>(table().size());
    Widget& rec = table().back();
    g_object_ref_sink(rec.outer);
    for (GtkWidget* g : {rec.outer, rec.inner, rec.input})
        g_object_set_data(G_OBJECT(g), kIdKey, GUINT_TO_POINTER(id));
    gtk_widget_set_sensitive(rec.outer, spec.enabled);
    place(rec, spec);
    connect_input(id, rec);
    if (rec.kind == Kind::kWindow) {
        gtk_widget_show_all(rec.inner);
    } else {
        gtk_widget_show_all(rec.outer);
        if (!spec.visible) gtk_widget_hide(rec.outer);
    }
    return id;
}

void widget_destroy(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w) return;
    timer_set(id, 0);
    for (Widget& child : table())
        if (child.outer && child.parent == id)
            widget_destroy(static_cast<WidgetId>(&child - table().data() + 1));
    w = widget_record(id);
    GtkWidget* outer = w->outer;
    w->outer = w->inner = w->input = nullptr;
    gtk_widget_destroy(outer);
    g_object_unref(outer);
}

bool widget_alive(WidgetId id) {
    return widget_record(id) != nullptr;
}

Kind widget_kind(WidgetId id) {
    Widget* w = widget_record(id);
    return w ? w->kind : Kind::kBase;
}

uint32_t widget_face_slot(WidgetId id) {
    Widget* w = widget_record(id);
    return w ? w->face : 0;
}

WidgetId widget_toplevel(WidgetId id) {
    while (Widget* w = widget_record(id)) {
        if (w->kind == Kind::kWindow) return id;
        id = w->parent;
    }
    return 0;
}

void widget_move(WidgetId id, int x, int y) {
    Widget* w = widget_record(id);
    if (!w) return;
    if (w->kind == Kind::kWindow) {
        gtk_window_move(GTK_WINDOW(w->outer), to_gtk_units(w->outer, x), to_gtk_units(w->outer, y));
        return;
    }
    int dx, dy;
    GtkWidget* c = container_for(w->parent, &dx, &dy);
    if (c && GTK_IS_FIXED(c))
        gtk_fixed_move(GTK_FIXED(c), w->outer, to_gtk_units(c, x) + dx, to_gtk_units(c, y) + dy);
}

void widget_resize(WidgetId id, int width, int height) {
    Widget* w = widget_record(id);
    if (!w) return;
    width = to_gtk_units(w->outer, width);
    height = to_gtk_units(w->outer, height);
    if (w->kind == Kind::kWindow) {
        gtk_widget_set_size_request(w->inner, width, height);
        gtk_window_resize(GTK_WINDOW(w->outer), width, height);
        return;
    }
    gtk_widget_set_size_request(w->outer, width, height);
}

void widget_show(WidgetId id, bool visible) {
    Widget* w = widget_record(id);
    if (!w) return;
    if (visible)
        gtk_widget_show(w->outer);
    else
        gtk_widget_hide(w->outer);
}

bool widget_visible(WidgetId id) {
    Widget* w = widget_record(id);
    return w && gtk_widget_get_visible(w->outer);
}

void widget_enable(WidgetId id, bool enabled) {
    if (Widget* w = widget_record(id)) gtk_widget_set_sensitive(w->outer, enabled);
}

void widget_set_text(WidgetId id, const std::string& text) {
    Widget* w = widget_record(id);
    if (!w) return;
    w->suppress++;
    const char* t = text.c_str();
    switch (w->kind) {
    case Kind::kWindow:
        gtk_window_set_title(GTK_WINDOW(w->outer), t);
        break;
    case Kind::kButton:
    case Kind::kToggle:
    case Kind::kCheck:
    case Kind::kRadio:
        gtk_button_set_label(GTK_BUTTON(w->inner), t);
        break;
    case Kind::kField:
        gtk_entry_set_text(GTK_ENTRY(w->inner), t);
        break;
    case Kind::kArea:
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(w->inner)), t, -1);
        break;
    case Kind::kText:
        gtk_label_set_text(GTK_LABEL(w->inner), t);
        break;
    case Kind::kGroupBox:
        gtk_frame_set_label(GTK_FRAME(w->outer), t);
        break;
    case Kind::kDropDown:
        gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(w->inner))), t);
        break;
    default:
        break;
    }
    w->suppress--;
}

std::string widget_text(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w) return {};
    switch (w->kind) {
    case Kind::kWindow:
        return gtk_window_get_title(GTK_WINDOW(w->outer)) ?: "";
    case Kind::kButton:
    case Kind::kToggle:
    case Kind::kCheck:
    case Kind::kRadio:
        return gtk_button_get_label(GTK_BUTTON(w->inner)) ?: "";
    case Kind::kField:
        return gtk_entry_get_text(GTK_ENTRY(w->inner));
    case Kind::kArea: {
        GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(w->inner));
        GtkTextIter s, e;
        gtk_text_buffer_get_bounds(b, &s, &e);
        char* text = gtk_text_buffer_get_text(b, &s, &e, FALSE);
        std::string out = text;
        g_free(text);
        return out;
    }
    case Kind::kText:
        return gtk_label_get_text(GTK_LABEL(w->inner));
    case Kind::kDropDown:
        return gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(w->inner))));
    case Kind::kDropList: {
        char* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(w->inner));
        std::string out = text ? text : "";
        g_free(text);
        return out;
    }
    default:
        return {};
    }
}

void widget_focus(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w) return;
    if (w->kind == Kind::kWindow)
        gtk_window_present(GTK_WINDOW(w->outer));
    else
        gtk_widget_grab_focus(w->input);
}

void widget_redraw(WidgetId id) {
    if (Widget* w = widget_record(id)) gtk_widget_queue_draw(w->outer);
}

void widget_paint_now(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w) return;
    GdkWindow* window = gtk_widget_get_window(w->outer);
    if (!window || !gtk_widget_is_drawable(w->outer)) return;
    // GTK offers no other synchronous paint; the frame clock would wait for
    // the loop's next turn, which a script printing in a loop never gives it.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gdk_window_process_updates(window, TRUE);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

void window_present(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kWindow) return;
    gtk_widget_show(w->outer);
    gtk_window_present(GTK_WINDOW(w->outer));
}

void check_set(WidgetId id, int state) {
    Widget* w = widget_record(id);
    if (!w || !GTK_IS_TOGGLE_BUTTON(w->inner)) return;
    w->suppress++;
    // GTK keeps one radio of a group active: a hidden member stands for none.
    if (w->kind == Kind::kRadio && state != 1 &&
        gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w->inner))) {
        auto* none = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(w->outer), kNoRadioKey));
        if (!none) {
            none = gtk_radio_button_new_from_widget(GTK_RADIO_BUTTON(w->outer));
            g_object_ref_sink(none);
            g_object_set_data_full(G_OBJECT(w->outer), kNoRadioKey, none, drop_widget);
        }
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(none), TRUE);
    }
    gtk_toggle_button_set_inconsistent(GTK_TOGGLE_BUTTON(w->inner), state == 2);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w->inner), state == 1);
    w->suppress--;
}

int check_get(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w || !GTK_IS_TOGGLE_BUTTON(w->inner)) return 0;
    if (gtk_toggle_button_get_inconsistent(GTK_TOGGLE_BUTTON(w->inner))) return 2;
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w->inner)) ? 1 : 0;
}

void range_set(WidgetId id, double fraction) {
    Widget* w = widget_record(id);
    if (!w) return;
    w->suppress++;
    if (GTK_IS_PROGRESS_BAR(w->inner)) {
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(w->inner), fraction);
    } else if (GTK_IS_RANGE(w->inner)) {
        // A scroller's position is a fraction of its whole range; the bar
        // keeps it where its page still fits.
        gtk_adjustment_set_value(gtk_range_get_adjustment(GTK_RANGE(w->inner)), fraction);
    }
    w->suppress--;
}

double range_get(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w) return 0.0;
    if (GTK_IS_PROGRESS_BAR(w->inner))
        return gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(w->inner));
    if (GTK_IS_RANGE(w->inner)) return gtk_range_get_value(GTK_RANGE(w->inner));
    return 0.0;
}

void scroller_set_page(WidgetId id, double fraction) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kScroller) return;
    GtkAdjustment* a = gtk_range_get_adjustment(GTK_RANGE(w->inner));
    w->suppress++;
    gtk_adjustment_set_page_size(a, fraction);
    gtk_adjustment_set_page_increment(a, fraction);
    w->suppress--;
}

bool selection_get(WidgetId id, int* start, int* end) {
    Widget* w = widget_record(id);
    if (!w) return false;
    if (w->kind == Kind::kField)
        return gtk_editable_get_selection_bounds(GTK_EDITABLE(w->inner), start, end);
    if (w->kind == Kind::kArea) {
        GtkTextIter s, e;
        GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(w->inner));
        if (!gtk_text_buffer_get_selection_bounds(b, &s, &e)) return false;
        *start = gtk_text_iter_get_offset(&s);
        *end = gtk_text_iter_get_offset(&e);
        return true;
    }
    return false;
}

void selection_set(WidgetId id, int start, int end) {
    Widget* w = widget_record(id);
    if (!w) return;
    if (w->kind == Kind::kField) {
        gtk_editable_select_region(GTK_EDITABLE(w->inner), start, end);
    } else if (w->kind == Kind::kArea) {
        GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(w->inner));
        GtkTextIter s, e;
        gtk_text_buffer_get_iter_at_offset(b, &s, start);
        gtk_text_buffer_get_iter_at_offset(b, &e, end);
        gtk_text_buffer_select_range(b, &s, &e);
    }
}

void list_set_items(WidgetId id, const std::vector<std::string>& items) {
    Widget* w = widget_record(id);
    if (!w) return;
    w->suppress++;
    if (w->kind == Kind::kTextList) {
        GtkListStore* store = GTK_LIST_STORE(gtk_tree_view_get_model(GTK_TREE_VIEW(w->inner)));
        gtk_list_store_clear(store);
        for (const std::string& s : items) {
            GtkTreeIter it;
            gtk_list_store_append(store, &it);
            gtk_list_store_set(store, &it, 0, s.c_str(), -1);
        }
    } else if (GTK_IS_COMBO_BOX_TEXT(w->inner)) {
        gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(w->inner));
        for (const std::string& s : items)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(w->inner), s.c_str());
    }
    w->suppress--;
}

void list_select(WidgetId id, int index) {
    Widget* w = widget_record(id);
    if (!w) return;
    w->suppress++;
    if (w->kind == Kind::kTextList) {
        GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(w->inner));
        if (index < 0) {
            gtk_tree_selection_unselect_all(sel);
        } else {
            // The cursor moves with the selection, so keys go on from the row.
            GtkTreePath* path = gtk_tree_path_new_from_indices(index, -1);
            gtk_tree_view_set_cursor(GTK_TREE_VIEW(w->inner), path, nullptr, FALSE);
            gtk_tree_path_free(path);
        }
    } else if (GTK_IS_COMBO_BOX(w->inner)) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(w->inner), index);
    }
    w->suppress--;
}

int list_selected(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w) return -1;
    if (w->kind == Kind::kTextList) {
        GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(w->inner));
        GtkTreeModel* model;
        GtkTreeIter it;
        if (!gtk_tree_selection_get_selected(sel, &model, &it)) return -1;
        GtkTreePath* path = gtk_tree_model_get_path(model, &it);
        int i = gtk_tree_path_get_indices(path)[0];
        gtk_tree_path_free(path);
        return i;
    }
    if (GTK_IS_COMBO_BOX(w->inner)) return gtk_combo_box_get_active(GTK_COMBO_BOX(w->inner));
    return -1;
}

} // namespace xel::gtk
