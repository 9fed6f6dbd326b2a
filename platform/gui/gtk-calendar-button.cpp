// Calendars (the chosen day and the background colour) and the images of
// buttons (one shown at rest, the next ones for hover, press and disabled).
#include <memory>

#include "platform/gui/gtk-controls.h"
#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

const char* const kImagesKey = "xel-button-images";
const char* const kCssKey = "xel-calendar-css";

struct ButtonImages {
    std::vector<cairo_surface_t*> surfaces;
    int width = 0, height = 0;
    int shown = -1;
    ~ButtonImages() {
        for (cairo_surface_t* s : surfaces)
            cairo_surface_destroy(s);
    }
};

void free_images(gpointer p) {
    delete static_cast<ButtonImages*>(p);
}

const char* const kNavigatedKey = "xel-calendar-navigated";

// Going to another month moves GTK's selection to the same day there; the
// design keeps the selection on navigation, so that move is no choice.
void on_month_changed(GtkCalendar* c, gpointer) {
    g_object_set_data(G_OBJECT(c), kNavigatedKey, GINT_TO_POINTER(1));
}

void on_day_selected(GtkCalendar* c, gpointer data) {
    auto id = static_cast<WidgetId>(GPOINTER_TO_UINT(data));
    Widget* w = widget_record(id);
    bool navigated = g_object_get_data(G_OBJECT(c), kNavigatedKey) != nullptr;
    g_object_set_data(G_OBJECT(c), kNavigatedKey, nullptr);
    if (!w || w->suppress > 0 || navigated) return;
    Input in{};
    in.kind = InputKind::kDateChanged;
    in.widget = id;
    bool stop = false;
    deliver(in, &stop);
}

// The image for the button's state: hover, pressed and disabled have their
// own when the list is long enough, else the first stands for them.
void show_state_image(GtkWidget* button) {
    auto* imgs = static_cast<ButtonImages*>(g_object_get_data(G_OBJECT(button), kImagesKey));
    if (!imgs || imgs->surfaces.empty()) return;
    GtkStateFlags f = gtk_widget_get_state_flags(button);
    size_t want = (f & GTK_STATE_FLAG_INSENSITIVE) ? 3
                  : (f & GTK_STATE_FLAG_ACTIVE)    ? 2
                  : (f & GTK_STATE_FLAG_PRELIGHT)  ? 1
                                                   : 0;
    if (want >= imgs->surfaces.size()) want = 0;
    if (static_cast<int>(want) == imgs->shown) return;
    imgs->shown = static_cast<int>(want);
    gtk_button_set_image(GTK_BUTTON(button), gtk_image_new_from_surface(imgs->surfaces[want]));
}

void on_state_flags(GtkWidget* button, GtkStateFlags, gpointer) {
    show_state_image(button);
}

cairo_surface_t* scaled(cairo_surface_t* from, int width, int height) {
    cairo_surface_t* to = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(to);
    int fw = cairo_image_surface_get_width(from), fh = cairo_image_surface_get_height(from);
    if (fw > 0 && fh > 0) {
        cairo_scale(cr, static_cast<double>(width) / fw, static_cast<double>(height) / fh);
        cairo_set_source_surface(cr, from, 0, 0);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    return to;
}

} // namespace

void connect_calendar(WidgetId id, Widget& w) {
    g_signal_connect(w.inner, "month-changed", G_CALLBACK(on_month_changed), nullptr);
    g_signal_connect(w.inner, "day-selected", G_CALLBACK(on_day_selected), GUINT_TO_POINTER(id));
}

void calendar_set(WidgetId id, int year, int month, int day) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kCalendar) return;
    w->suppress++;
    GtkCalendar* c = GTK_CALENDAR(w->inner);
    // The day first: a month without the current day would be refused.
    gtk_calendar_select_day(c, 1);
    gtk_calendar_select_month(c, static_cast<guint>(month - 1), static_cast<guint>(year));
    gtk_calendar_select_day(c, static_cast<guint>(day));
    w->suppress--;
}

void calendar_get(WidgetId id, int* year, int* month, int* day) {
    Widget* w = widget_record(id);
    guint y = 1601, m = 0, d = 1;
    if (w && w->kind == Kind::kCalendar) gtk_calendar_get_date(GTK_CALENDAR(w->inner), &y, &m, &d);
    *year = static_cast<int>(y);
    *month = static_cast<int>(m) + 1;
    *day = static_cast<int>(d);
}

void calendar_set_color(WidgetId id, int r, int g, int b, bool reset) {
    Widget* w = widget_record(id);
    if (!w || w->kind != Kind::kCalendar) return;
    GtkStyleContext* style = gtk_widget_get_style_context(w->inner);
    auto* old = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(w->inner), kCssKey));
    if (old) {
        gtk_style_context_remove_provider(style, GTK_STYLE_PROVIDER(old));
        g_object_set_data(G_OBJECT(w->inner), kCssKey, nullptr);
    }
    if (reset) return;
    GtkCssProvider* css = gtk_css_provider_new();
    char rule[96];
    g_snprintf(rule, sizeof rule, "calendar { background-color: rgb(%d,%d,%d); }", r, g, b);
    gtk_css_provider_load_from_data(css, rule, -1, nullptr);
    gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(css),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(w->inner), kCssKey, css, g_object_unref);
}

void button_set_images(WidgetId id, const std::vector<cairo_surface_t*>& images, int width,
                       int height) {
    Widget* w = widget_record(id);
    if (!w || !GTK_IS_BUTTON(w->inner)) return;
    GtkWidget* b = w->inner;
    if (images.empty() || width <= 0 || height <= 0) {
        g_object_set_data(G_OBJECT(b), kImagesKey, nullptr);
        gtk_button_set_image(GTK_BUTTON(b), nullptr);
        return;
    }
    auto imgs = std::make_unique<ButtonImages>();
    imgs->width = width;
    imgs->height = height;
    // The images are in device pixels: GTK shows them at its own units.
    int f = gtk_widget_get_scale_factor(b);
    for (cairo_surface_t* s : images) {
        imgs->surfaces.push_back(scaled(s, width, height));
        cairo_surface_set_device_scale(imgs->surfaces.back(), f, f);
    }
    g_object_set_data_full(G_OBJECT(b), kImagesKey, imgs.release(), free_images);
    gtk_button_set_always_show_image(GTK_BUTTON(b), TRUE);
    if (!g_signal_handler_find(b, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                               reinterpret_cast<gpointer>(on_state_flags), nullptr))
        g_signal_connect(b, "state-flags-changed", G_CALLBACK(on_state_flags), nullptr);
    show_state_image(b);
}

int button_images(WidgetId id, int* width, int* height) {
    Widget* w = widget_record(id);
    *width = *height = 0;
    if (!w || !GTK_IS_BUTTON(w->inner)) return 0;
    auto* imgs = static_cast<ButtonImages*>(g_object_get_data(G_OBJECT(w->inner), kImagesKey));
    if (!imgs) return 0;
    *width = imgs->width;
    *height = imgs->height;
    return static_cast<int>(imgs->surfaces.size());
}

} // namespace xel::gtk
