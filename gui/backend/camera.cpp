// Camera faces over the video capture layer. Frames reach the main thread
// through two lock-free hand-overs: one the language's snapshots arm, one
// the video view re-arms after each frame it shows. Only the capture thread
// and the hand-overs' state words are shared; records are the main thread's.
#include "gui/backend/camera.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "gui/backend/face-access.h"
#include "platform/gui/gtk-camera.h"
#include "platform/os/frame-handover.h"
#include "platform/os/video-capture.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

struct Camera {
    std::vector<os::VideoDevice> devices;
    std::unique_ptr<os::VideoCapture> capture;
    std::unique_ptr<os::FrameHandover> grab;    // frames for the language
    std::unique_ptr<os::FrameHandover> preview; // frames for the video view
    bool running = false;
};

std::unordered_map<gtk::WidgetId, std::unique_ptr<Camera>> g_cameras;
// Width / height of the frames of the last device started.
double g_frame_aspect = 0;

void diagnose(const char* text) {
    printhooks_call_text_hooks(text, static_cast<uint32_t>(std::strlen(text)), 1);
}

Camera* camera_of(gtk::WidgetId id) {
    auto it = g_cameras.find(id);
    return it == g_cameras.end() ? nullptr : it->second.get();
}

void image_from_frame(const uint8_t* bgra, int width, int height, Cell* out) {
    Offset record =
        bitmap_from_memory(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 0, bgra);
    image_init_cell(out, record);
}

// Frame-ready on the main thread: the first frame becomes the face's image
// when it has none; later ones wait for a snapshot.
void grab_ready(uint32_t id) {
    Camera* c = camera_of(id);
    if (!c || !c->grab) return;
    try {
        os::handover_take_ready(c->grab.get(), [&](const uint8_t* data, int w, int h) {
            Cell face = widget_face(id);
            Cell image = facet(&face, kFacetImage);
            if (type_of(&image) != T_NONE) return;
            Cell made;
            image_from_frame(data, w, h, &made);
            set_facet(&face, kFacetImage, &made);
        });
    } catch (const Throw&) {
        // An image that memory cannot hold is not made; the run goes on.
        c->grab->state.store(os::kFrameHeld);
    }
}

void preview_ready(uint32_t id) {
    Camera* c = camera_of(id);
    if (!c || !c->preview) return;
    if (os::handover_take_ready(c->preview.get(), [&](const uint8_t* data, int w, int h) {
            gtk::video_view_frame(id, data, w, h);
        }))
        os::handover_arm(c->preview.get());
}

void post_grab(void* target) {
    gtk::post_to_loop(grab_ready, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target)));
}

void post_preview(void* target) {
    gtk::post_to_loop(preview_ready, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target)));
}

void tear_down(Camera* c) {
    if (c->capture) c->capture->stop();
    c->capture.reset();
    c->grab.reset();
    c->preview.reset();
    c->running = false;
}

void face_size(const Cell* face, int* width, int* height) {
    Cell s = facet(face, kFacetSize);
    double w = 0, h = 0;
    if (type_of(&s) == T_PAIR) {
        w = pair_x(&s);
        h = pair_y(&s);
    } else if (type_of(&s) == T_POINT2D) {
        w = point_coordinate(&s, 0);
        h = point_coordinate(&s, 1);
    }
    *width = to_device_px(w);
    *height = to_device_px(h);
}

void refit(gtk::WidgetId id, const Cell* face) {
    int w, h;
    face_size(face, &w, &h);
    FitRect r = camera_fit(g_frame_aspect, w, h);
    gtk::video_view_place(id, r.x, r.y, r.width, r.height);
}

// Opens device index (0-based) and readies its hand-overs; false, with the
// diagnostic printed, when it cannot stream.
bool select_device(gtk::WidgetId id, const Cell* face, int index) {
    Camera* c = camera_of(id);
    int count = c ? static_cast<int>(c->devices.size()) : 0;
    if (index < 0 || index >= count) {
        Cell n;
        set_integer(&n, index + 1);
        error_fire(kCatAccess, err::access::kCannotOpen, &n);
    }
    tear_down(c);
    std::string why;
    c->capture = os::video_system().open(c->devices[static_cast<size_t>(index)], &why);
    if (!c->capture) {
        diagnose("This device cannot preview!");
        return false;
    }
    int w = c->capture->width(), h = c->capture->height();
    void* target = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
    c->grab = std::make_unique<os::FrameHandover>(w, h, post_grab, target);
    c->preview = std::make_unique<os::FrameHandover>(w, h, post_preview, target);
    g_frame_aspect = static_cast<double>(w) / h;
    refit(id, face);
    gtk::video_view_show(id, true);
    return true;
}

void run(gtk::WidgetId id, bool on) {
    Camera* c = camera_of(id);
    if (!c || !c->capture || on == c->running) return;
    if (!on) {
        c->capture->stop();
        c->running = false;
        return;
    }
    os::FrameHandover* grab = c->grab.get();
    os::FrameHandover* preview = c->preview.get();
    c->running = c->capture->start([grab, preview](const uint8_t* data, size_t length) {
        os::handover_offer(grab, data, length);
        os::handover_offer(preview, data, length);
    });
    if (!c->running) c->capture->stop();
}

void camera_gone(gtk::WidgetId id) {
    auto it = g_cameras.find(id);
    if (it == g_cameras.end()) return;
    tear_down(it->second.get());
    g_cameras.erase(it);
}

// The face object's field ratio, or nullptr.
Cell* ratio_cell(const Cell* face) {
    if (type_of(face) != T_OBJECT) return nullptr;
    Offset ctx = object_context(face);
    int32_t i = context_find_word(ctx, symbol_resolve(symbol_make("ratio")), true);
    return i < 0 ? nullptr : context_value_at(ctx, static_cast<uint32_t>(i));
}

} // namespace

FitRect camera_fit(double r, int width, int height) {
    double W = width, H = height;
    auto round_half_up = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
    if (H * r >= W) {
        double nh = r >= 1.0 ? W / r : W * r;
        return {0, round_half_up((H - nh) / 2.0), width, round_half_up(nh)};
    }
    double nw = r >= 1.0 ? H * r : H / r;
    return {round_half_up((W - nw) / 2.0), 0, round_half_up(nw), height};
}

void camera_init(gtk::WidgetId id, const Cell* face_in) {
    Cell face = *face_in;
    std::vector<os::VideoDevice> devices = os::video_system().list();
    if (devices.empty()) {
        diagnose("No video capture hardware");
        return;
    }
    Cell data = facet(&face, kFacetData);
    if (type_of(&data) != T_BLOCK) {
        block_make_at(&data, static_cast<int>(devices.size()));
        set_facet(&face, kFacetData, &data);
    }
    for (const os::VideoDevice& d : devices) {
        Cell name = *string_load(reinterpret_cast<const uint8_t*>(d.name.data()),
                                 static_cast<uint32_t>(d.name.size()), 0);
        block_append_copy(&data, &name);
        stack_pop(1);
    }
    auto camera = std::make_unique<Camera>();
    camera->devices = std::move(devices);
    g_cameras[id] = std::move(camera);
    gtk::video_view_attach(id, camera_gone);
    Cell selected = facet(&face, kFacetSelected);
    if (type_of(&selected) != T_INTEGER) return;
    g_frame_aspect = 0;
    if (!select_device(id, &face, integer_get(&selected) - 1)) return;
    if (Cell* ratio = ratio_cell(&face); ratio && type_of(ratio) == T_FLOAT)
        float_make_at(ratio, g_frame_aspect);
    run(id, true);
}

void camera_update(gtk::WidgetId id, const Cell* face_in, uint32_t bits) {
    Cell face = *face_in;
    if (bits & (1u << kFacetSize)) refit(id, &face);
    if (bits & (1u << kFacetSelected)) {
        Cell selected = facet(&face, kFacetSelected);
        if (type_of(&selected) == T_NONE) {
            run(id, false);
        } else if (type_of(&selected) == T_INTEGER) {
            if (select_device(id, &face, integer_get(&selected) - 1)) run(id, true);
        }
    }
    if (bits & (1u << kFacetImage)) {
        Cell image = facet(&face, kFacetImage);
        if (type_of(&image) == T_NONE) {
            Cell shot;
            camera_snapshot(id, &shot);
            set_facet(&face, kFacetImage, &shot);
        }
    }
}

void camera_snapshot(gtk::WidgetId id, Cell* out) {
    *out = g_none_cell;
    Camera* c = camera_of(id);
    if (!c || !c->grab) return;
    os::handover_snapshot(c->grab.get(), [&](const uint8_t* data, int w, int h) {
        image_from_frame(data, w, h, out);
    });
}

} // namespace xel::gui
