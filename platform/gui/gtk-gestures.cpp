// Touch gestures of a window: GTK's zoom, rotate, pan and long-press
// gestures, watched in the capture phase so that the window sees every touch
// whatever widget lies under it, become Input records of kind kGesture for
// the window's child under the gesture (or the window itself). Each gesture
// is bracketed by a begin and an end. A two-finger gesture that ends quickly
// without a change of scale is a two-finger tap, or a press-and-tap when a
// first touch was held down (long press) when it began.
#include <cmath>

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

// A zoom or rotation starts once the touches moved this much: a tap does not.
constexpr double kTapScaleSlack = 0.05;
constexpr double kTapAngleSlack = 0.05; // radians

struct Touches {
    WidgetId window = 0;
    double distance = 0; // between the two touches when they began
    gint64 began = 0;    // microseconds
    bool zoomed = false;
    bool rotated = false;
    GdkEventSequence* held = nullptr; // the touch of the last long press
    bool press_tap = false;           // a long press was down when the second touch came
    double held_x = 0, held_y = 0;
    double tap_x = 0, tap_y = 0; // the second touch
};

const char* const kTouchesKey = "xel-touches";

Touches* touches_of(GtkGesture* g) {
    GtkWidget* w = gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(g));
    return static_cast<Touches*>(g_object_get_data(G_OBJECT(w), kTouchesKey));
}

// The window's visible child face under a point of its client area, the
// topmost first; the window itself when there is none.
WidgetId child_at(WidgetId window, int x, int y) {
    Widget* top = widget_record(window);
    WidgetId found = window;
    if (!top || !GTK_IS_CONTAINER(top->inner)) return found;
    GList* children = gtk_container_get_children(GTK_CONTAINER(top->inner));
    // Children are listed in the order they were put in: the last is on top.
    for (GList* l = children; l; l = l->next) {
        auto* child = static_cast<GtkWidget*>(l->data);
        if (!gtk_widget_get_visible(child)) continue;
        GtkAllocation a;
        gtk_widget_get_allocation(child, &a);
        WidgetId id = id_of(child);
        if (id && id != window && x >= a.x && y >= a.y && x < a.x + a.width && y < a.y + a.height)
            found = id;
    }
    g_list_free(children);
    return found;
}

int scale_factor(WidgetId window) {
    Widget* w = widget_record(window);
    return w ? gtk_widget_get_scale_factor(w->outer) : 1;
}

// Reports a step at a point of the window widget (its own coordinates).
void report(Touches* t, Gesture step, double x, double y, int64_t amount) {
    Widget* w = widget_record(t->window);
    if (!w) return;
    Input in{};
    in.kind = InputKind::kGesture;
    in.item = static_cast<int32_t>(step);
    in.amount = amount;
    in.widget = t->window;
    if (step != Gesture::kBegin && step != Gesture::kEnd) {
        int cx = 0, cy = 0;
        gtk_widget_translate_coordinates(w->outer, w->inner, static_cast<int>(x),
                                         static_cast<int>(y), &cx, &cy);
        in.widget = child_at(t->window, cx, cy);
        int rx = 0, ry = 0;
        if (GdkWindow* gw = gtk_widget_get_window(w->outer))
            gdk_window_get_root_coords(gw, static_cast<int>(x), static_cast<int>(y), &rx, &ry);
        int f = scale_factor(t->window);
        in.x = rx * f;
        in.y = ry * f;
    }
    bool stop = false;
    deliver(in, &stop);
}

bool center(GtkGesture* g, double* x, double* y) {
    return gtk_gesture_get_bounding_box_center(g, x, y);
}

double spread(GtkGesture* g) {
    GdkRectangle r;
    if (!gtk_gesture_get_bounding_box(g, &r)) return 0;
    return std::hypot(static_cast<double>(r.width), static_cast<double>(r.height));
}

void zoom_begin(GtkGesture* g, GdkEventSequence*, gpointer) {
    Touches* t = touches_of(g);
    t->distance = spread(g) * scale_factor(t->window);
    t->zoomed = false;
    t->began = g_get_monotonic_time();
    // The held touch's own gesture ends as the second touch comes: whether
    // it is still down is asked of the two-finger gesture.
    t->press_tap = t->held && gtk_gesture_handles_sequence(g, t->held);
    GList* touches = gtk_gesture_get_sequences(g);
    for (GList* l = touches; l; l = l->next)
        if (l->data != t->held)
            gtk_gesture_get_point(g, static_cast<GdkEventSequence*>(l->data), &t->tap_x, &t->tap_y);
    g_list_free(touches);
    report(t, Gesture::kBegin, 0, 0, 0);
}

void zoom_changed(GtkGestureZoom* g, gdouble scale, gpointer) {
    Touches* t = touches_of(GTK_GESTURE(g));
    if (std::fabs(scale - 1.0) > kTapScaleSlack) t->zoomed = true;
    if (!t->zoomed) return;
    double x = 0, y = 0;
    center(GTK_GESTURE(g), &x, &y);
    report(t, Gesture::kZoom, x, y, std::llround(t->distance * scale));
}

void zoom_end(GtkGesture* g, GdkEventSequence*, gpointer) {
    Touches* t = touches_of(g);
    gint time = 250;
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &time, nullptr);
    bool quick = g_get_monotonic_time() - t->began <= static_cast<gint64>(time) * 1000;
    if (!t->zoomed && !t->rotated && quick) {
        double x = 0, y = 0;
        center(g, &x, &y);
        if (t->press_tap) {
            int f = scale_factor(t->window);
            // The tap's offset from the held touch: x in the low, y in the
            // high 16 bits.
            auto dx = static_cast<uint16_t>(std::lround((t->tap_x - t->held_x) * f));
            auto dy = static_cast<uint16_t>(std::lround((t->tap_y - t->held_y) * f));
            int64_t packed = dx | (static_cast<int64_t>(dy) << 16);
            report(t, Gesture::kPressTap, t->held_x, t->held_y, packed);
        } else {
            report(t, Gesture::kTwoTap, x, y, std::llround(t->distance));
        }
    }
    report(t, Gesture::kEnd, 0, 0, 0);
}

void rotate_begin(GtkGesture* g, GdkEventSequence*, gpointer) {
    touches_of(g)->rotated = false;
}

void rotate_changed(GtkGestureRotate* g, gdouble, gdouble delta, gpointer) {
    Touches* t = touches_of(GTK_GESTURE(g));
    if (std::fabs(delta) > kTapAngleSlack) t->rotated = true;
    if (!t->rotated) return;
    double x = 0, y = 0;
    center(GTK_GESTURE(g), &x, &y);
    // Counter-clockwise is positive; a turn of -2 pi to 2 pi spans 0 to 65535.
    double angle = -delta;
    auto argument = static_cast<uint16_t>((angle + 2.0 * G_PI) / (4.0 * G_PI) * 65535.0);
    report(t, Gesture::kRotate, x, y, argument);
}

void pan_begin(GtkGesture* g, GdkEventSequence*, gpointer) {
    report(touches_of(g), Gesture::kBegin, 0, 0, 0);
}

void pan_end(GtkGesture* g, GdkEventSequence*, gpointer) {
    report(touches_of(g), Gesture::kEnd, 0, 0, 0);
}

void panned(GtkGesturePan* g, GtkPanDirection, gdouble, gpointer) {
    Touches* t = touches_of(GTK_GESTURE(g));
    double x = 0, y = 0;
    center(GTK_GESTURE(g), &x, &y);
    report(t, Gesture::kPan, x, y, std::llround(spread(GTK_GESTURE(g)) * scale_factor(t->window)));
}

void long_begin(GtkGesture* g, GdkEventSequence*, gpointer) {
    touches_of(g)->held = nullptr;
}

void long_pressed(GtkGestureLongPress* g, gdouble x, gdouble y, gpointer) {
    Touches* t = touches_of(GTK_GESTURE(g));
    t->held = gtk_gesture_single_get_current_sequence(GTK_GESTURE_SINGLE(g));
    t->held_x = x;
    t->held_y = y;
}

// The gesture lives as long as the window widget.
GtkGesture* keep(GtkWidget* widget, GtkGesture* g, const char* key) {
    gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(g), GTK_PHASE_CAPTURE);
    g_object_set_data_full(G_OBJECT(widget), key, g, g_object_unref);
    return g;
}

} // namespace

void connect_gestures(WidgetId id, Widget& w) {
    GtkWidget* top = w.outer;
    auto* t = new Touches;
    t->window = id;
    g_object_set_data_full(G_OBJECT(top), kTouchesKey, t,
                           [](gpointer p) { delete static_cast<Touches*>(p); });
    gtk_widget_add_events(top, GDK_TOUCH_MASK);

    GtkGesture* zoom = keep(top, gtk_gesture_zoom_new(top), "xel-zoom");
    g_signal_connect(zoom, "begin", G_CALLBACK(zoom_begin), nullptr);
    g_signal_connect(zoom, "scale-changed", G_CALLBACK(zoom_changed), nullptr);
    g_signal_connect(zoom, "end", G_CALLBACK(zoom_end), nullptr);

    GtkGesture* rotate = keep(top, gtk_gesture_rotate_new(top), "xel-rotate");
    g_signal_connect(rotate, "begin", G_CALLBACK(rotate_begin), nullptr);
    g_signal_connect(rotate, "angle-changed", G_CALLBACK(rotate_changed), nullptr);

    static const char* const kPanKeys[] = {"xel-pan-h", "xel-pan-v"};
    for (int i = 0; i < 2; i++) {
        GtkGesture* pan = keep(top,
                               gtk_gesture_pan_new(top, i == 0 ? GTK_ORIENTATION_HORIZONTAL
                                                               : GTK_ORIENTATION_VERTICAL),
                               kPanKeys[i]);
        gtk_gesture_single_set_touch_only(GTK_GESTURE_SINGLE(pan), TRUE);
        g_signal_connect(pan, "begin", G_CALLBACK(pan_begin), nullptr);
        g_signal_connect(pan, "pan", G_CALLBACK(panned), nullptr);
        g_signal_connect(pan, "end", G_CALLBACK(pan_end), nullptr);
    }

    GtkGesture* hold = keep(top, gtk_gesture_long_press_new(top), "xel-hold");
    gtk_gesture_single_set_touch_only(GTK_GESTURE_SINGLE(hold), TRUE);
    g_signal_connect(hold, "begin", G_CALLBACK(long_begin), nullptr);
    g_signal_connect(hold, "pressed", G_CALLBACK(long_pressed), nullptr);
}

} // namespace xel::gtk
