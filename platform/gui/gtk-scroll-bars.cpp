// Scroll bars: a scrollable base face is a grid of its drawing area and two
// GtkScrollbars; a scroller face is one GtkScrollbar. GtkRange's change-value
// carries every move a person makes; it is reported and stopped, so the bar
// moves only when the program sets it, as the design's bars do.
#include <algorithm>
#include <cmath>

#include "platform/gui/gtk-internal.h"
#include "platform/gui/gtk-scroll-bars.h"

namespace xel::gtk {

namespace {

const char* const kVerticalBarKey = "xel-vertical-bar";
const char* const kHorizontalBarKey = "xel-horizontal-bar";

GtkRange* bar_of(WidgetId id, bool vertical) {
    Widget* w = widget_record(id);
    if (!w) return nullptr;
    if (w->kind == Kind::kScroller) return GTK_RANGE(w->inner);
    if (w->kind == Kind::kArea) {
        GtkScrolledWindow* sw = GTK_SCROLLED_WINDOW(w->outer);
        return GTK_RANGE(vertical ? gtk_scrolled_window_get_vscrollbar(sw)
                                  : gtk_scrolled_window_get_hscrollbar(sw));
    }
    if (w->kind != Kind::kBase) return nullptr;
    auto* bar = static_cast<GtkWidget*>(
        g_object_get_data(G_OBJECT(w->outer), vertical ? kVerticalBarKey : kHorizontalBarKey));
    return bar ? GTK_RANGE(bar) : nullptr;
}

int32_t request_of(GtkScrollType scroll) {
    switch (scroll) {
    case GTK_SCROLL_STEP_BACKWARD:
    case GTK_SCROLL_STEP_UP:
    case GTK_SCROLL_STEP_LEFT:
        return kScrollLineBack;
    case GTK_SCROLL_STEP_FORWARD:
    case GTK_SCROLL_STEP_DOWN:
    case GTK_SCROLL_STEP_RIGHT:
        return kScrollLineForward;
    case GTK_SCROLL_PAGE_BACKWARD:
    case GTK_SCROLL_PAGE_UP:
    case GTK_SCROLL_PAGE_LEFT:
        return kScrollPageBack;
    case GTK_SCROLL_PAGE_FORWARD:
    case GTK_SCROLL_PAGE_DOWN:
    case GTK_SCROLL_PAGE_RIGHT:
        return kScrollPageForward;
    case GTK_SCROLL_JUMP:
        return kScrollTrack;
    case GTK_SCROLL_START:
        return kScrollToStart;
    case GTK_SCROLL_END:
        return kScrollToEnd;
    default:
        return -1;
    }
}

bool is_vertical(GtkRange* range) {
    return gtk_orientable_get_orientation(GTK_ORIENTABLE(range)) == GTK_ORIENTATION_VERTICAL;
}

void report(GtkRange* range, WidgetId id, int32_t request, double track) {
    Widget* rec = widget_record(id);
    if (!rec || rec->suppress > 0) return;
    Input in{};
    in.kind = InputKind::kScrollBar;
    in.widget = id;
    in.item = request;
    in.track = track;
    in.vertical = is_vertical(range);
    bool stop = false;
    deliver(in, &stop);
}

gboolean on_change_value(GtkRange* range, GtkScrollType scroll, gdouble value, gpointer data) {
    int32_t request = request_of(scroll);
    if (request < 0) return TRUE;
    GtkAdjustment* a = gtk_range_get_adjustment(range);
    double track = request == kScrollTrack ? value : gtk_adjustment_get_value(a);
    track = std::clamp(track, gtk_adjustment_get_lower(a),
                       std::max(gtk_adjustment_get_lower(a),
                                gtk_adjustment_get_upper(a) - gtk_adjustment_get_page_size(a)));
    report(range, static_cast<WidgetId>(GPOINTER_TO_UINT(data)), request, track);
    return TRUE;
}

gboolean on_bar_event(GtkWidget* bar, GdkEvent* ev, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* rec = widget_record(id);
    if (!rec) return FALSE;
    if (ev->type == GDK_BUTTON_RELEASE) {
        GtkAdjustment* a = gtk_range_get_adjustment(GTK_RANGE(bar));
        report(GTK_RANGE(bar), id, kScrollEnd, gtk_adjustment_get_value(a));
        return FALSE;
    }
    // The wheel over a face's own bar is the face's wheel.
    if (ev->type == GDK_SCROLL && rec->kind == Kind::kBase) {
        int x = 0, y = 0;
        gtk_widget_translate_coordinates(bar, rec->inner, static_cast<int>(ev->scroll.x),
                                         static_cast<int>(ev->scroll.y), &x, &y);
        Input in{};
        if (!wheel_of(ev, &in.wheel)) return TRUE;
        in.kind = InputKind::kScroll;
        in.widget = id;
        in.x = to_device_units(rec->outer, x);
        in.y = to_device_units(rec->outer, y);
        in.state = state_of(ev->scroll.state);
        bool stop = false;
        deliver(in, &stop);
        return TRUE;
    }
    return FALSE;
}

void connect_bar(GtkWidget* bar, WidgetId id) {
    gpointer data = GUINT_TO_POINTER(id);
    gtk_widget_add_events(bar, GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
    g_signal_connect(bar, "change-value", G_CALLBACK(on_change_value), data);
    g_signal_connect(bar, "event", G_CALLBACK(on_bar_event), data);
}

} // namespace

GtkWidget* with_scroll_bars(GtkWidget* area) {
    GtkWidget* grid = gtk_grid_new();
    gtk_widget_set_hexpand(area, TRUE);
    gtk_widget_set_vexpand(area, TRUE);
    gtk_grid_attach(GTK_GRID(grid), area, 0, 0, 1, 1);
    // The design's default range, 0 to 100, until the program sets one.
    GtkWidget* v = gtk_scrollbar_new(GTK_ORIENTATION_VERTICAL,
                                     gtk_adjustment_new(0.0, 0.0, 101.0, 1.0, 10.0, 0.0));
    GtkWidget* h = gtk_scrollbar_new(GTK_ORIENTATION_HORIZONTAL,
                                     gtk_adjustment_new(0.0, 0.0, 101.0, 1.0, 10.0, 0.0));
    gtk_grid_attach(GTK_GRID(grid), v, 1, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), h, 0, 1, 1, 1);
    g_object_set_data(G_OBJECT(grid), kVerticalBarKey, v);
    g_object_set_data(G_OBJECT(grid), kHorizontalBarKey, h);
    return grid;
}

void connect_scroll_bars(WidgetId id, Widget& w) {
    if (w.kind == Kind::kScroller) {
        connect_bar(w.inner, id);
        return;
    }
    for (const char* key : {kVerticalBarKey, kHorizontalBarKey})
        if (auto* bar = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(w.outer), key)))
            connect_bar(bar, id);
}

void bar_set_range(WidgetId id, bool vertical, int min, int max, int page) {
    GtkRange* bar = bar_of(id, vertical);
    if (!bar) return;
    if (max < min) max = min;
    page = std::clamp(page, 0, max - min + 1);
    GtkAdjustment* a = gtk_range_get_adjustment(bar);
    double value = std::clamp(gtk_adjustment_get_value(a), static_cast<double>(min),
                              static_cast<double>(max - std::max(page - 1, 0)));
    gtk_adjustment_configure(a, value, min, max + 1, 1.0, std::max(page, 1), page);
    // A bar that is not needed stays, disabled.
    gtk_widget_set_sensitive(GTK_WIDGET(bar), page <= max - min);
}

void bar_set_position(WidgetId id, bool vertical, int position) {
    GtkRange* bar = bar_of(id, vertical);
    if (!bar) return;
    GtkAdjustment* a = gtk_range_get_adjustment(bar);
    int min = static_cast<int>(gtk_adjustment_get_lower(a));
    int last = static_cast<int>(gtk_adjustment_get_upper(a) - gtk_adjustment_get_page_size(a));
    gtk_adjustment_set_value(a, std::clamp(position, min, std::max(min, last)));
}

void bar_show(WidgetId id, bool vertical, bool shown) {
    GtkRange* bar = bar_of(id, vertical);
    if (!bar) return;
    if (shown)
        gtk_widget_show(GTK_WIDGET(bar));
    else
        gtk_widget_hide(GTK_WIDGET(bar));
}

bool bar_state(WidgetId id, bool vertical, BarState* out) {
    GtkRange* bar = bar_of(id, vertical);
    if (!bar) return false;
    GtkAdjustment* a = gtk_range_get_adjustment(bar);
    out->min = static_cast<int>(gtk_adjustment_get_lower(a));
    out->max = static_cast<int>(gtk_adjustment_get_upper(a)) - 1;
    out->page = static_cast<int>(gtk_adjustment_get_page_size(a));
    out->position = static_cast<int>(std::lround(gtk_adjustment_get_value(a)));
    out->shown =
        gtk_widget_get_visible(GTK_WIDGET(bar)) && gtk_widget_get_child_visible(GTK_WIDGET(bar));
    out->enabled = gtk_widget_get_sensitive(GTK_WIDGET(bar));
    return true;
}

bool bar_points(WidgetId id, bool vertical, BarPoints* out) {
    GtkRange* bar = bar_of(id, vertical);
    Widget* w = widget_record(id);
    if (!bar || !w || !gtk_widget_get_realized(GTK_WIDGET(bar))) return false;
    int start = 0, end = 0;
    gtk_range_get_slider_range(bar, &start, &end);
    GtkAllocation a;
    gtk_widget_get_allocation(GTK_WIDGET(bar), &a);
    bool v = is_vertical(bar);
    int across = (v ? a.width : a.height) / 2;
    auto at = [&](int along, int* x, int* y) {
        gtk_widget_translate_coordinates(GTK_WIDGET(bar), w->outer, v ? across : along,
                                         v ? along : across, x, y);
        *x = static_cast<int>(to_device_units(w->outer, *x));
        *y = static_cast<int>(to_device_units(w->outer, *y));
    };
    at((start + end) / 2, &out->slider_x, &out->slider_y);
    at(start / 2, &out->before_x, &out->before_y);
    at((end + (v ? a.height : a.width)) / 2, &out->after_x, &out->after_y);
    return true;
}

void area_set_lines(WidgetId id, bool wrap, bool horizontal_bar) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kArea) return;
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(w->inner), wrap ? GTK_WRAP_WORD_CHAR : GTK_WRAP_NONE);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(w->outer),
                                   horizontal_bar ? GTK_POLICY_AUTOMATIC : GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
}

double scroller_page(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kScroller) return 0.0;
    return gtk_adjustment_get_page_size(gtk_range_get_adjustment(GTK_RANGE(w->inner)));
}

} // namespace xel::gtk
