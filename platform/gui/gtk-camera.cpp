// Camera widgets are panels; their video is a drawing area placed inside,
// which paints the last frame as a cairo surface scaled to its allocation.
#include "platform/gui/gtk-camera.h"

#include <cstring>
#include <unordered_map>

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

struct VideoView {
    GtkWidget* area = nullptr;
    cairo_surface_t* frame = nullptr;
    CameraGone gone = nullptr;
};

std::unordered_map<WidgetId, VideoView>& views() {
    static std::unordered_map<WidgetId, VideoView> map;
    return map;
}

VideoView* view_of(WidgetId id) {
    auto it = views().find(id);
    return it == views().end() ? nullptr : &it->second;
}

gboolean paint_frame(GtkWidget* area, cairo_t* cr, gpointer data) {
    VideoView* v = view_of(GPOINTER_TO_UINT(data));
    if (!v || !v->frame) return FALSE;
    double w = gtk_widget_get_allocated_width(area), h = gtk_widget_get_allocated_height(area);
    double fw = cairo_image_surface_get_width(v->frame);
    double fh = cairo_image_surface_get_height(v->frame);
    cairo_scale(cr, w / fw, h / fh);
    cairo_set_source_surface(cr, v->frame, 0, 0);
    cairo_paint(cr);
    return TRUE;
}

void camera_destroyed(GtkWidget*, gpointer data) {
    WidgetId id = GPOINTER_TO_UINT(data);
    VideoView* v = view_of(id);
    if (!v) return;
    CameraGone gone = v->gone;
    if (v->frame) cairo_surface_destroy(v->frame);
    views().erase(id);
    if (gone) gone(id);
}

struct Posted {
    void (*fn)(uint32_t);
    uint32_t id;
};

gboolean run_posted(gpointer data) {
    auto* p = static_cast<Posted*>(data);
    p->fn(p->id);
    delete p;
    return G_SOURCE_REMOVE;
}

} // namespace

void video_view_attach(WidgetId camera, CameraGone gone) {
    Widget* w = widget_record(camera);
    if (!w || !GTK_IS_FIXED(w->inner) || view_of(camera)) return;
    VideoView v;
    v.area = gtk_drawing_area_new();
    v.gone = gone;
    g_signal_connect(v.area, "draw", G_CALLBACK(paint_frame), GUINT_TO_POINTER(camera));
    g_signal_connect(w->outer, "destroy", G_CALLBACK(camera_destroyed), GUINT_TO_POINTER(camera));
    gtk_fixed_put(GTK_FIXED(w->inner), v.area, 0, 0);
    views()[camera] = v;
}

void video_view_place(WidgetId camera, int x, int y, int width, int height) {
    Widget* w = widget_record(camera);
    VideoView* v = view_of(camera);
    if (!w || !v) return;
    gtk_fixed_move(GTK_FIXED(w->inner), v->area, x, y);
    gtk_widget_set_size_request(v->area, width, height);
}

void video_view_show(WidgetId camera, bool visible) {
    if (VideoView* v = view_of(camera)) gtk_widget_set_visible(v->area, visible);
}

void video_view_frame(WidgetId camera, const uint8_t* bgra, int width, int height) {
    VideoView* v = view_of(camera);
    if (!v) return;
    if (!v->frame || cairo_image_surface_get_width(v->frame) != width ||
        cairo_image_surface_get_height(v->frame) != height) {
        if (v->frame) cairo_surface_destroy(v->frame);
        v->frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    }
    cairo_surface_flush(v->frame);
    uint8_t* dst = cairo_image_surface_get_data(v->frame);
    int stride = cairo_image_surface_get_stride(v->frame);
    for (int row = 0; row < height; row++)
        std::memcpy(dst + static_cast<size_t>(row) * stride,
                    bgra + static_cast<size_t>(row) * width * 4, static_cast<size_t>(width) * 4);
    cairo_surface_mark_dirty(v->frame);
    gtk_widget_queue_draw(v->area);
}

void post_to_loop(void (*fn)(uint32_t), uint32_t id) {
    g_idle_add(run_posted, new Posted{fn, id});
}

} // namespace xel::gtk
