// List items one at a time: a text-list's rows and a drop-down's or
// drop-list's entries, inserted and deleted in place, and the row under a
// point.
#include "platform/gui/gtk-controls.h"
#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

GtkTreeModel* model_of(Widget* w) {
    if (w->kind == Kind::kTextList) return gtk_tree_view_get_model(GTK_TREE_VIEW(w->inner));
    if (GTK_IS_COMBO_BOX(w->inner)) return gtk_combo_box_get_model(GTK_COMBO_BOX(w->inner));
    return nullptr;
}

} // namespace

void list_insert(WidgetId id, int index, const std::string& text) {
    Widget* w = widget_record(id);
    if (!w || !model_of(w)) return;
    int count = list_count(id);
    if (index < 0 || index > count) index = count;
    w->suppress++;
    if (w->kind == Kind::kTextList)
        gtk_list_store_insert_with_values(GTK_LIST_STORE(model_of(w)), nullptr, index, 0,
                                          text.c_str(), -1);
    else
        gtk_combo_box_text_insert_text(GTK_COMBO_BOX_TEXT(w->inner), index, text.c_str());
    w->suppress--;
}

void list_delete(WidgetId id, int index) {
    Widget* w = widget_record(id);
    if (!w || !model_of(w) || index < 0 || index >= list_count(id)) return;
    w->suppress++;
    if (w->kind == Kind::kTextList) {
        GtkTreeIter it;
        if (gtk_tree_model_iter_nth_child(model_of(w), &it, nullptr, index))
            gtk_list_store_remove(GTK_LIST_STORE(model_of(w)), &it);
    } else {
        gtk_combo_box_text_remove(GTK_COMBO_BOX_TEXT(w->inner), index);
    }
    w->suppress--;
}

int list_count(WidgetId id) {
    Widget* w = widget_record(id);
    GtkTreeModel* m = w ? model_of(w) : nullptr;
    return m ? gtk_tree_model_iter_n_children(m, nullptr) : 0;
}

std::string list_item(WidgetId id, int index) {
    Widget* w = widget_record(id);
    GtkTreeModel* m = w ? model_of(w) : nullptr;
    GtkTreeIter it;
    if (!m || index < 0 || !gtk_tree_model_iter_nth_child(m, &it, nullptr, index)) return {};
    gchar* text = nullptr;
    gtk_tree_model_get(m, &it, 0, &text, -1);
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

int list_item_at(WidgetId id, double x, double y) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kTextList) return -1;
    int tx = 0, ty = 0, bx = 0, by = 0;
    if (!gtk_widget_translate_coordinates(w->outer, w->inner,
                                          to_gtk_units(w->outer, static_cast<int>(x)),
                                          to_gtk_units(w->outer, static_cast<int>(y)), &tx, &ty))
        return -1;
    GtkTreeView* tv = GTK_TREE_VIEW(w->inner);
    gtk_tree_view_convert_widget_to_bin_window_coords(tv, tx, ty, &bx, &by);
    GtkTreePath* path = nullptr;
    if (!gtk_tree_view_get_path_at_pos(tv, bx, by, &path, nullptr, nullptr, nullptr)) return -1;
    int index = gtk_tree_path_get_indices(path)[0];
    gtk_tree_path_free(path);
    return index;
}

} // namespace xel::gtk
