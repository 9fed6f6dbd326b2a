// The screenshot of a face (to image! of a face): a camera's fresh frame, a
// screen's pixels, a base face painted into a new image, any other face's
// widget as it shows.
#pragma once
#include "runtime/cell.h"

namespace xel::gui {

// The image into out, or none when the face has nothing to show (no widget,
// no frame).
void face_to_image(const Cell* face, Cell* out);

// Hands face_to_image to image!'s to; called once at start.
void face_image_init();

} // namespace xel::gui
