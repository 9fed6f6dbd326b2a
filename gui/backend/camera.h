// Camera faces: the video capture devices listed in the face's data, the
// chosen device's live picture in the face, single frames as image! values.
#pragma once
#include <cstdint>

#include "platform/gui/gtk-gui.h"
#include "runtime/cell.h"

namespace xel::gui {

// make-view of a camera face: lists the devices and, when selected names
// one, starts it. Without a device prints "No video capture hardware".
void camera_init(gtk::WidgetId id, const Cell* face);
// The changed facets of a camera face: size refits the picture, selected
// stops (none) or starts a device (1-based; cannot-open when there is no
// such device), an image set to none takes a snapshot.
void camera_update(gtk::WidgetId id, const Cell* face, uint32_t changed_bits);
// A fresh frame into out as an image!, waiting about three seconds for one;
// none without one.
void camera_snapshot(gtk::WidgetId id, Cell* out);

// Where a frame of the aspect (width / height) lies in a window.
struct FitRect {
    int x, y, width, height;
};
FitRect camera_fit(double aspect, int width, int height);

} // namespace xel::gui
