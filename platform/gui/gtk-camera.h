// The video view of a camera widget: a drawing area the widget owns, placed
// inside it, that shows the last frame given to it scaled to its own size.
#pragma once
#include <cstdint>

#include "platform/gui/gtk-gui.h"

namespace xel::gtk {

// Called once when the camera widget goes, however it goes.
using CameraGone = void (*)(WidgetId camera);

void video_view_attach(WidgetId camera, CameraGone gone);
void video_view_place(WidgetId camera, int x, int y, int width, int height);
void video_view_show(WidgetId camera, bool visible);
// Copies a frame of B, G, R, A bytes, top row first, and shows it.
void video_view_frame(WidgetId camera, const uint8_t* bgra, int width, int height);

// Runs fn(id) on the main loop soon; safe to call from any thread.
void post_to_loop(void (*fn)(uint32_t), uint32_t id);

} // namespace xel::gtk
