// Input: GTK's events and signals become Input records for the backend's
// handler; input the program makes is put through GTK's own dispatch; the
// loop and the timers.
#include <cstring>

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

InputHandler g_handler = nullptr;
PaintHandler g_paint = nullptr;

} // namespace

uint32_t state_of(guint s) {
    uint32_t out = 0;
    if (s & GDK_SHIFT_MASK) out |= kStateShift;
    if (s & GDK_CONTROL_MASK) out |= kStateCtrl;
    if (s & GDK_MOD1_MASK) out |= kStateAlt;
    if (s & (GDK_SUPER_MASK | GDK_META_MASK)) out |= kStateCommand;
    if (s & GDK_BUTTON1_MASK) out |= kStateButton1;
    if (s & GDK_BUTTON2_MASK) out |= kStateButton2;
    if (s & GDK_BUTTON3_MASK) out |= kStateButton3;
    if (s & (GDK_BUTTON4_MASK | GDK_BUTTON5_MASK)) out |= kStateButton4;
    return out;
}

bool wheel_of(const GdkEvent* ev, double* wheel) {
    double dx = 0, dy = 0;
    if (ev->scroll.direction == GDK_SCROLL_UP)
        dy = -1;
    else if (ev->scroll.direction == GDK_SCROLL_DOWN)
        dy = 1;
    else if (ev->scroll.direction == GDK_SCROLL_SMOOTH)
        gdk_event_get_scroll_deltas(ev, &dx, &dy);
    else
        return false;
    *wheel = -dy;
    return true;
}

namespace {

guint gdk_state_of(uint32_t s) {
    guint out = 0;
    if (s & kStateShift) out |= GDK_SHIFT_MASK;
    if (s & kStateCtrl) out |= GDK_CONTROL_MASK;
    if (s & kStateAlt) out |= GDK_MOD1_MASK;
    if (s & kStateCommand) out |= GDK_SUPER_MASK;
    if (s & kStateButton1) out |= GDK_BUTTON1_MASK;
    if (s & kStateButton2) out |= GDK_BUTTON2_MASK;
    if (s & kStateButton3) out |= GDK_BUTTON3_MASK;
    return out;
}

bool is_left_modifier(guint keyval) {
    switch (keyval) {
    case GDK_KEY_Shift_R:
    case GDK_KEY_Control_R:
    case GDK_KEY_Alt_R:
    case GDK_KEY_ISO_Level3_Shift:
    case GDK_KEY_Super_R:
        return false;
    default:
        return true;
    }
}

// Pointer position relative to a widget's own allocation: from the event's
// GDK window up to its owner's window, then to the owner's and the target's
// widget coordinates.
void widget_point(GtkWidget* target, GdkWindow* window, double ex, double ey, double* x,
                  double* y) {
    GtkWidget* owner = nullptr;
    gdk_window_get_user_data(window, reinterpret_cast<gpointer*>(&owner));
    *x = ex;
    *y = ey;
    if (!owner) return;
    GdkWindow* own = gtk_widget_get_window(owner);
    double wx = ex, wy = ey;
    for (GdkWindow* w = window; w && w != own; w = gdk_window_get_parent(w))
        gdk_window_coords_to_parent(w, wx, wy, &wx, &wy);
    if (!gtk_widget_get_has_window(owner)) {
        GtkAllocation a;
        gtk_widget_get_allocation(owner, &a);
        wx -= a.x;
        wy -= a.y;
    }
    int tx = 0, ty = 0;
    gtk_widget_translate_coordinates(owner, target, 0, 0, &tx, &ty);
    *x = wx + tx;
    *y = wy + ty;
}

gboolean on_event(GtkWidget* w, GdkEvent* ev, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* rec = widget_record(id);
    if (!rec) return FALSE;
    Input in{};
    in.widget = id;
    GdkEventType t = ev->type;
    bool key = t == GDK_KEY_PRESS || t == GDK_KEY_RELEASE;
    if (key) {
        // Keys reach the window first; the focused widget's face takes them.
        if (rec->kind != Kind::kWindow || w != rec->outer) return FALSE;
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(rec->outer));
        WidgetId fid = focus ? id_of(focus) : 0;
        if (fid) in.widget = fid;
        in.kind = t == GDK_KEY_PRESS ? InputKind::kKeyPress : InputKind::kKeyRelease;
        in.keyval = ev->key.keyval;
        in.unicode = gdk_keyval_to_unicode(ev->key.keyval);
        in.state = state_of(ev->key.state);
        in.left_side = is_left_modifier(ev->key.keyval);
        gdouble rx = 0, ry = 0;
        GdkDevice* pointer = nullptr;
        if (GdkDisplay* d = gdk_display_get_default())
            pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(d));
        if (pointer && gtk_widget_get_window(rec->outer)) {
            gdk_window_get_device_position_double(gtk_widget_get_window(rec->outer), pointer, &rx,
                                                  &ry, nullptr);
        }
        in.x = rx;
        in.y = ry;
    } else {
        if (gtk_get_event_widget(ev) != w) return FALSE;
        switch (t) {
        case GDK_BUTTON_PRESS:
        case GDK_2BUTTON_PRESS:
        case GDK_BUTTON_RELEASE:
            in.kind = t == GDK_BUTTON_PRESS    ? InputKind::kButtonPress
                      : t == GDK_2BUTTON_PRESS ? InputKind::kButtonDouble
                                               : InputKind::kButtonRelease;
            in.button = static_cast<int>(ev->button.button);
            in.state = state_of(ev->button.state);
            if (rec->kind == Kind::kBase && in.button == 1 && t != GDK_2BUTTON_PRESS)
                base_press(id, t == GDK_BUTTON_PRESS);
            widget_point(rec->outer, ev->button.window, ev->button.x, ev->button.y, &in.x, &in.y);
            break;
        case GDK_MOTION_NOTIFY:
            in.kind = InputKind::kMotion;
            in.state = state_of(ev->motion.state);
            widget_point(rec->outer, ev->motion.window, ev->motion.x, ev->motion.y, &in.x, &in.y);
            break;
        case GDK_LEAVE_NOTIFY:
            if (ev->crossing.detail == GDK_NOTIFY_INFERIOR) return FALSE;
            in.kind = InputKind::kLeave;
            in.state = state_of(ev->crossing.state);
            widget_point(rec->outer, ev->crossing.window, ev->crossing.x, ev->crossing.y, &in.x,
                         &in.y);
            break;
        case GDK_SCROLL: {
            in.kind = InputKind::kScroll;
            in.state = state_of(ev->scroll.state);
            widget_point(rec->outer, ev->scroll.window, ev->scroll.x, ev->scroll.y, &in.x, &in.y);
            if (!wheel_of(ev, &in.wheel)) return FALSE;
            break;
        }
        default:
            return FALSE;
        }
    }
    // GTK's units to device pixels.
    in.x = to_device_units(rec->outer, in.x);
    in.y = to_device_units(rec->outer, in.y);
    bool stop = false;
    deliver(in, &stop);
    return stop;
}

void signal_input(WidgetId id, InputKind kind) {
    Widget* rec = widget_record(id);
    if (!rec || rec->suppress > 0) return;
    Input in{};
    in.kind = kind;
    in.widget = id;
    bool stop = false;
    deliver(in, &stop);
}

void on_clicked(GtkWidget*, gpointer data) {
    signal_input(static_cast<WidgetId>(GPOINTER_TO_UINT(data)), InputKind::kClicked);
}

void on_toggled(GtkToggleButton* b, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* rec = widget_record(id);
    // A radio that is left reports nothing: the one chosen reports.
    if (rec && rec->kind == Kind::kRadio && !gtk_toggle_button_get_active(b)) return;
    if (rec && rec->suppress == 0 && (rec->tri_state || gtk_toggle_button_get_inconsistent(b))) {
        // GTK only flips the check; a three-state one steps unchecked,
        // indeterminate, checked, then unchecked again.
        int before = gtk_toggle_button_get_inconsistent(b) ? 2
                     : gtk_toggle_button_get_active(b)     ? 0
                                                           : 1;
        int next = !rec->tri_state ? gtk_toggle_button_get_active(b)
                   : before == 0   ? 2
                   : before == 2   ? 1
                                   : 0;
        rec->suppress++;
        gtk_toggle_button_set_inconsistent(b, next == 2);
        gtk_toggle_button_set_active(b, next == 1);
        rec->suppress--;
    }
    signal_input(id, InputKind::kClicked);
}

void on_changed(gpointer, gpointer data) {
    signal_input(static_cast<WidgetId>(GPOINTER_TO_UINT(data)), InputKind::kChanged);
}

void on_selected(gpointer, gpointer data) {
    signal_input(static_cast<WidgetId>(GPOINTER_TO_UINT(data)), InputKind::kSelected);
}

gboolean on_focus(GtkWidget*, GdkEventFocus* ev, gpointer data) {
    signal_input(static_cast<WidgetId>(GPOINTER_TO_UINT(data)),
                 ev->in ? InputKind::kFocusIn : InputKind::kFocusOut);
    return FALSE;
}

gboolean on_configure(GtkWidget*, GdkEventConfigure* ev, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* rec = widget_record(id);
    if (!rec) return FALSE;
    Input in{};
    in.kind = InputKind::kConfigure;
    in.widget = id;
    in.x = to_device_units(rec->outer, ev->x);
    in.y = to_device_units(rec->outer, ev->y);
    in.width = static_cast<int>(to_device_units(rec->outer, ev->width));
    in.height = static_cast<int>(to_device_units(rec->outer, ev->height));
    in.moved = rec->last_x != INT32_MIN && (ev->x != rec->last_x || ev->y != rec->last_y);
    in.resized = rec->last_w >= 0 && (ev->width != rec->last_w || ev->height != rec->last_h);
    rec->last_x = ev->x;
    rec->last_y = ev->y;
    rec->last_w = ev->width;
    rec->last_h = ev->height;
    if (in.moved || in.resized) {
        bool stop = false;
        deliver(in, &stop);
    }
    return FALSE;
}

gboolean on_delete(GtkWidget*, GdkEvent*, gpointer data) {
    signal_input(static_cast<WidgetId>(GPOINTER_TO_UINT(data)), InputKind::kClose);
    // The backend decides what closing does: the window is never destroyed here.
    return TRUE;
}

gboolean on_draw(GtkWidget* w, cairo_t* cr, gpointer data) {
    if (g_paint)
        g_paint(static_cast<WidgetId>(GPOINTER_TO_UINT(data)), cr,
                gtk_widget_get_allocated_width(w), gtk_widget_get_allocated_height(w));
    return FALSE;
}

gboolean on_timer(gpointer data) {
    signal_input(static_cast<WidgetId>(GPOINTER_TO_UINT(data)), InputKind::kTimer);
    return G_SOURCE_CONTINUE;
}

constexpr gint kInputMask = GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                            GDK_BUTTON_RELEASE_MASK | GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK |
                            GDK_KEY_RELEASE_MASK | GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK |
                            GDK_FOCUS_CHANGE_MASK;

GdkWindow* g_pointer_window = nullptr;

GdkDevice* device(bool keyboard) {
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    return keyboard ? gdk_seat_get_keyboard(seat) : gdk_seat_get_pointer(seat);
}

// The deepest visible GDK window under a point of a toplevel, with the point
// made relative to it: where the X server would deliver the input.
GdkWindow* window_at(GdkWindow* top, double x, double y, double* wx, double* wy) {
    GdkWindow* at = top;
    for (;;) {
        GdkWindow* next = nullptr;
        GList* children = gdk_window_peek_children(at);
        // Children are listed topmost first.
        for (GList* l = children; l; l = l->next) {
            auto* c = static_cast<GdkWindow*>(l->data);
            if (!gdk_window_is_visible(c)) continue;
            int cx, cy;
            gdk_window_get_position(c, &cx, &cy);
            int cw = gdk_window_get_width(c), ch = gdk_window_get_height(c);
            if (x >= cx && y >= cy && x < cx + cw && y < cy + ch) {
                next = c;
                x -= cx;
                y -= cy;
                break;
            }
        }
        if (!next) break;
        at = next;
    }
    *wx = x;
    *wy = y;
    return at;
}

void put(GdkEvent* ev, bool queued) {
    if (queued)
        gdk_event_put(ev);
    else
        gtk_main_do_event(ev);
    gdk_event_free(ev);
}

void crossing(GdkWindow* window, GdkEventType type, double x, double y, bool queued) {
    GdkEvent* ev = gdk_event_new(type);
    ev->crossing.window = GDK_WINDOW(g_object_ref(window));
    ev->crossing.send_event = TRUE;
    ev->crossing.time = GDK_CURRENT_TIME;
    ev->crossing.x = x;
    ev->crossing.y = y;
    ev->crossing.mode = GDK_CROSSING_NORMAL;
    ev->crossing.detail = GDK_NOTIFY_NONLINEAR;
    gdk_event_set_device(ev, device(false));
    put(ev, queued);
}

} // namespace

void set_input_handler(InputHandler handler) {
    g_handler = handler;
}

void set_paint_handler(PaintHandler handler) {
    g_paint = handler;
}

void deliver(const Input& input, bool* stop) {
    *stop = g_handler && g_handler(input) == 0;
}

void connect_input(WidgetId id, Widget& w) {
    gpointer data = GUINT_TO_POINTER(id);
    connect_cursor(id, w);
    gtk_widget_add_events(w.input, kInputMask);
    g_signal_connect(w.input, "event", G_CALLBACK(on_event), data);
    g_signal_connect(w.input, "focus-in-event", G_CALLBACK(on_focus), data);
    g_signal_connect(w.input, "focus-out-event", G_CALLBACK(on_focus), data);
    switch (w.kind) {
    case Kind::kWindow:
        gtk_widget_add_events(w.outer, kInputMask);
        g_signal_connect(w.outer, "event", G_CALLBACK(on_event), data);
        g_signal_connect(w.outer, "configure-event", G_CALLBACK(on_configure), data);
        g_signal_connect(w.outer, "delete-event", G_CALLBACK(on_delete), data);
        g_signal_connect(w.outer, "focus-in-event", G_CALLBACK(on_focus), data);
        g_signal_connect(w.outer, "focus-out-event", G_CALLBACK(on_focus), data);
        g_signal_connect(w.inner, "draw", G_CALLBACK(on_draw), data);
        connect_gestures(id, w);
        connect_density(id, w);
        break;
    case Kind::kPanel:
        g_signal_connect(w.inner, "draw", G_CALLBACK(on_draw), data);
        break;
    case Kind::kButton:
        g_signal_connect(w.inner, "clicked", G_CALLBACK(on_clicked), data);
        break;
    case Kind::kBase:
        g_signal_connect(w.inner, "draw", G_CALLBACK(on_draw), data);
        connect_scroll_bars(id, w);
        break;
    case Kind::kToggle:
    case Kind::kCheck:
    case Kind::kRadio:
        g_signal_connect(w.inner, "toggled", G_CALLBACK(on_toggled), data);
        break;
    case Kind::kField:
        g_signal_connect(w.inner, "changed", G_CALLBACK(on_changed), data);
        break;
    case Kind::kArea:
        g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(w.inner)), "changed",
                         G_CALLBACK(on_changed), data);
        break;
    case Kind::kSlider:
        g_signal_connect(w.inner, "value-changed", G_CALLBACK(on_changed), data);
        break;
    case Kind::kScroller:
        connect_scroll_bars(id, w);
        break;
    case Kind::kTextList:
        g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(w.inner)), "changed",
                         G_CALLBACK(on_selected), data);
        break;
    case Kind::kDropDown:
    case Kind::kDropList:
        g_signal_connect(w.inner, "changed", G_CALLBACK(on_selected), data);
        break;
    case Kind::kTabPanel:
        connect_tab_panel(id, w);
        break;
    case Kind::kCalendar:
        connect_calendar(id, w);
        break;
    default:
        break;
    }
}

void timer_set(WidgetId id, uint32_t period_ms) {
    Widget* w = widget_record(id);
    if (!w) return;
    if (w->timer) g_source_remove(w->timer);
    w->timer = period_ms ? g_timeout_add(period_ms, on_timer, GUINT_TO_POINTER(id)) : 0;
    // An actor may run a nested loop from a tick: the ticks go on inside it.
    if (w->timer)
        g_source_set_can_recurse(g_main_context_find_source_by_id(nullptr, w->timer), TRUE);
}

void window_close(WidgetId id) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kWindow) return;
    GdkEvent* ev = gdk_event_new(GDK_DELETE);
    GdkWindow* win = gtk_widget_get_window(w->outer);
    if (!win) {
        gdk_event_free(ev);
        return;
    }
    ev->any.window = GDK_WINDOW(g_object_ref(win));
    ev->any.send_event = TRUE;
    gdk_event_put(ev);
    gdk_event_free(ev);
}

const char* key_name(uint32_t keyval, bool left_side) {
    switch (keyval) {
    case GDK_KEY_Pause:
        return "pause";
    case GDK_KEY_Caps_Lock:
        return "caps-lock";
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
        return "page-up";
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
        return "page-down";
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
        return "end";
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
        return "home";
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
        return "left";
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
        return "up";
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
        return "right";
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
        return "down";
    case GDK_KEY_Insert:
    case GDK_KEY_KP_Insert:
        return "insert";
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
        return "delete";
    case GDK_KEY_Super_L:
        return "left-command";
    case GDK_KEY_Super_R:
        return "right-command";
    case GDK_KEY_F1:
        return "F1";
    case GDK_KEY_F2:
        return "F2";
    case GDK_KEY_F3:
        return "F3";
    case GDK_KEY_F4:
        return "F4";
    case GDK_KEY_F5:
        return "F5";
    case GDK_KEY_F6:
        return "F6";
    case GDK_KEY_F7:
        return "F7";
    case GDK_KEY_F8:
        return "F8";
    case GDK_KEY_F9:
        return "F9";
    case GDK_KEY_F10:
        return "F10";
    case GDK_KEY_F11:
        return "F11";
    case GDK_KEY_F12:
        return "F12";
    case GDK_KEY_Num_Lock:
        return "num-lock";
    case GDK_KEY_Scroll_Lock:
        return "scroll-lock";
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R:
        return left_side ? "left-shift" : "right-shift";
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
        return left_side ? "left-control" : "right-control";
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R:
    case GDK_KEY_ISO_Level3_Shift:
        return left_side ? "left-alt" : "right-alt";
    default:
        return nullptr;
    }
}

uint32_t keyval_for(uint32_t unicode) {
    switch (unicode) {
    case 8:
        return GDK_KEY_BackSpace;
    case 9:
        return GDK_KEY_Tab;
    case 13:
        return GDK_KEY_Return;
    case 27:
        return GDK_KEY_Escape;
    default:
        return gdk_unicode_to_keyval(unicode);
    }
}

void synthesize(const Input& original, bool queued) {
    Input input = original;
    if (Widget* r = widget_record(input.widget)) {
        input.x = to_gtk_units(r->outer, static_cast<int>(input.x));
        input.y = to_gtk_units(r->outer, static_cast<int>(input.y));
    }
    // A base face holding the mouse takes the pointer input, as the server's
    // grab would give it.
    WidgetId holder = captured();
    bool pointer = input.kind != InputKind::kKeyPress && input.kind != InputKind::kKeyRelease;
    if (pointer && holder && holder != input.widget && widget_record(input.widget)) {
        int hx = 0, hy = 0;
        gtk_widget_translate_coordinates(widget_record(input.widget)->outer,
                                         widget_record(holder)->outer, static_cast<int>(input.x),
                                         static_cast<int>(input.y), &hx, &hy);
        input.widget = holder;
        input.x = hx;
        input.y = hy;
    }
    Widget* rec = widget_record(input.widget);
    if (!rec) return;
    WidgetId top = widget_toplevel(input.widget);
    Widget* topr = widget_record(top);
    if (!topr || !gtk_widget_get_realized(topr->outer)) return;
    GdkWindow* topwin = gtk_widget_get_window(topr->outer);
    // Widgets added since the last frame get their places first, as they
    // would have before a person could point at them.
    gtk_container_check_resize(GTK_CONTAINER(topr->outer));
    switch (input.kind) {
    case InputKind::kKeyPress:
    case InputKind::kKeyRelease: {
        GdkEvent* ev =
            gdk_event_new(input.kind == InputKind::kKeyPress ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
        ev->key.window = GDK_WINDOW(g_object_ref(topwin));
        ev->key.send_event = TRUE;
        ev->key.time = GDK_CURRENT_TIME;
        ev->key.keyval = input.keyval;
        ev->key.state = gdk_state_of(input.state);
        GdkKeymapKey* keys = nullptr;
        gint n = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                              input.keyval, &keys, &n) &&
            n > 0)
            ev->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        g_free(keys);
        char utf8[8] = {};
        if (guint32 u = gdk_keyval_to_unicode(input.keyval)) g_unichar_to_utf8(u, utf8);
        ev->key.string = g_strdup(utf8);
        ev->key.length = static_cast<gint>(std::strlen(utf8));
        gdk_event_set_device(ev, device(true));
        put(ev, queued);
        return;
    }
    default:
        break;
    }
    // Pointer input: from the widget's point to the window the server would pick.
    int tx = 0, ty = 0;
    gtk_widget_translate_coordinates(rec->outer, topr->inner, static_cast<int>(input.x),
                                     static_cast<int>(input.y), &tx, &ty);
    GtkAllocation a;
    gtk_widget_get_allocation(topr->inner, &a);
    double px = tx + a.x, py = ty + a.y;
    double wx, wy;
    GdkWindow* target = window_at(topwin, px, py, &wx, &wy);
    if (holder && holder == input.widget && gtk_widget_get_has_window(rec->input)) {
        target = gtk_widget_get_window(rec->input);
        wx = input.x;
        wy = input.y;
    }
    if (input.kind == InputKind::kLeave) {
        crossing(target, GDK_LEAVE_NOTIFY, wx, wy, queued);
        g_pointer_window = nullptr;
        return;
    }
    if (target != g_pointer_window) {
        if (g_pointer_window && GDK_IS_WINDOW(g_pointer_window))
            crossing(g_pointer_window, GDK_LEAVE_NOTIFY, 0, 0, queued);
        crossing(target, GDK_ENTER_NOTIFY, wx, wy, queued);
        g_pointer_window = target;
    }
    GdkEvent* ev = nullptr;
    guint state = gdk_state_of(input.state);
    switch (input.kind) {
    case InputKind::kButtonPress:
    case InputKind::kButtonDouble:
    case InputKind::kButtonRelease:
        ev = gdk_event_new(input.kind == InputKind::kButtonPress    ? GDK_BUTTON_PRESS
                           : input.kind == InputKind::kButtonDouble ? GDK_2BUTTON_PRESS
                                                                    : GDK_BUTTON_RELEASE);
        ev->button.window = GDK_WINDOW(g_object_ref(target));
        ev->button.send_event = TRUE;
        ev->button.time = GDK_CURRENT_TIME;
        ev->button.x = wx;
        ev->button.y = wy;
        ev->button.button = static_cast<guint>(input.button);
        ev->button.state = state;
        break;
    case InputKind::kMotion:
        ev = gdk_event_new(GDK_MOTION_NOTIFY);
        ev->motion.window = GDK_WINDOW(g_object_ref(target));
        ev->motion.send_event = TRUE;
        ev->motion.time = GDK_CURRENT_TIME;
        ev->motion.x = wx;
        ev->motion.y = wy;
        ev->motion.state = state;
        break;
    case InputKind::kScroll:
        ev = gdk_event_new(GDK_SCROLL);
        ev->scroll.window = GDK_WINDOW(g_object_ref(target));
        ev->scroll.send_event = TRUE;
        ev->scroll.time = GDK_CURRENT_TIME;
        ev->scroll.x = wx;
        ev->scroll.y = wy;
        ev->scroll.state = state;
        ev->scroll.direction = GDK_SCROLL_SMOOTH;
        ev->scroll.delta_y = -input.wheel;
        break;
    default:
        return;
    }
    gdk_event_set_device(ev, device(false));
    gdk_event_set_source_device(ev, device(false));
    put(ev, queued);
}

bool events_pending() {
    return display_open() && gtk_events_pending();
}

bool loop_iteration(bool block) {
    if (!display_open()) return false;
    if (!block && !gtk_events_pending()) return false;
    gtk_main_iteration_do(block);
    return true;
}

void wake_loop() {
    g_main_context_wakeup(nullptr);
}

} // namespace xel::gtk
