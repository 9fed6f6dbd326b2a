// Per-monitor DPI. A window's DPI is 96 times the scale factor of its
// monitor (GTK scales by whole factors); the current DPI is the one of the
// window being worked on.
#include "gui/backend/density.h"

#include <unordered_map>

#include "gui/backend/desktop.h"
#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "platform/gui/gtk-density.h"
#include "runtime/datatypes/block/block.h"

namespace xel::gui {

namespace {

constexpr int kBaseDpi = 96;
constexpr int kRectRounds = 4;

int g_nesting = 0;
// The DPI each window was last told by a scale change.
std::unordered_map<gtk::WidgetId, int> g_window_dpi;

// Every face of the pane with a widget is placed at its offset and size in
// the current DPI's pixels, the faces of its own pane too.
void lay_out_pane(const Cell* face) {
    Cell pane = facet(face, kFacetPane);
    if (type_of(&pane) != T_BLOCK) return;
    int32_t n = block_length_at(&pane);
    for (int32_t i = 0; i < n; i++) {
        Cell child = *block_cell_at(&pane, static_cast<uint32_t>(block_index(&pane) + i));
        gtk::WidgetId id = type_of(&child) == T_OBJECT ? face_widget(&child) : 0;
        if (!id) continue;
        double x, y, w, h;
        offset_of(&child, &x, &y);
        size_of(&child, &w, &h);
        gtk::widget_move(id, to_device_px(x), to_device_px(y));
        gtk::widget_resize(id, to_device_px(w), to_device_px(h));
        lay_out_pane(&child);
        gtk::widget_redraw(id);
    }
}

void on_scale(gtk::WidgetId window, int scale) {
    dpi_changed(window, kBaseDpi * scale);
}

} // namespace

int window_dpi(gtk::WidgetId window) {
    gtk::WidgetId top = gtk::widget_toplevel(window);
    if (!top) return current_dpi();
    auto told = g_window_dpi.find(top);
    if (told != g_window_dpi.end()) return told->second;
    return kBaseDpi * gtk::widget_scale(top);
}

void watch_scale_changes() {
    gtk::set_scale_handler(on_scale);
}

int push_dpi(gtk::WidgetId window) {
    g_nesting++;
    int saved = current_dpi();
    if (window) set_dpi(window_dpi(window));
    return saved;
}

void pop_dpi(int saved) {
    g_nesting--;
    if (saved == current_dpi()) return;
    if (g_nesting == 0) {
        if (gtk::WidgetId active = gtk::active_window()) {
            set_dpi(window_dpi(active));
            return;
        }
    }
    set_dpi(saved);
}

int dpi_nesting() {
    return g_nesting;
}

void dpi_from_cursor() {
    set_dpi(kBaseDpi * gtk::scale_at_pointer());
}

void dpi_for_rect(double x, double y, double width, double height) {
    for (int round = 0; round < kRectRounds; round++) {
        int before = current_dpi();
        int left = to_device_px(x), top = to_device_px(y);
        int right = to_device_px(x + width), bottom = to_device_px(y + height);
        set_dpi(kBaseDpi * gtk::scale_for_rect(left, top, right - left, bottom - top));
        if (current_dpi() == before) return;
    }
    dpi_from_cursor();
}

void dpi_changed(gtk::WidgetId window, int dpi) {
    Cell face = widget_face(window);
    Cell state = facet(&face, kFacetState);
    if (type_of(&state) != T_BLOCK) return;
    if (gtk::widget_kind(window) == gtk::Kind::kWindow) {
        Cell parent = facet(&face, kFacetParent);
        if (type_of(&parent) == T_OBJECT) refresh_screens();
    }
    g_window_dpi[window] = dpi;
    set_dpi(dpi);
    if (gtk::widget_kind(window) == gtk::Kind::kWindow) {
        // The client area keeps its logical size.
        double w, h;
        size_of(&face, &w, &h);
        gtk::widget_resize(window, to_device_px(w), to_device_px(h));
        lay_out_pane(&face);
    }
    gtk::widget_redraw(window);
}

} // namespace xel::gui
