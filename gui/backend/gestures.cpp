// Touch gestures as events: zoom, pan, rotate, two-tap and press-tap for the
// control under the gesture. A zoom's picked is the step's scale against the
// step before (a percent!), none for the first step of a gesture; the other
// gestures pick their argument. The offset is where the gesture is on the
// screen.
#include <cstdint>

#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/percent/percent-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"

namespace xel::gui {

namespace {

// The previous zoom step's argument; -1 when none (reset at each begin and end).
int64_t g_previous_zoom = -1;

uint32_t event_type(gtk::Gesture g) {
    switch (g) {
    case gtk::Gesture::kZoom:
        return kEvZoom;
    case gtk::Gesture::kPan:
        return kEvPan;
    case gtk::Gesture::kRotate:
        return kEvRotate;
    case gtk::Gesture::kTwoTap:
        return kEvTwoTap;
    case gtk::Gesture::kPressTap:
        return kEvPressTap;
    case gtk::Gesture::kBegin:
    case gtk::Gesture::kEnd:
        break;
    }
    return 0;
}

} // namespace

int gesture_input(const gtk::Input& in) {
    auto step = static_cast<gtk::Gesture>(in.item);
    uint32_t type = event_type(step);
    if (type == 0) {
        g_previous_zoom = -1;
        return 1;
    }
    Cell picked;
    if (step == gtk::Gesture::kZoom) {
        if (g_previous_zoom <= 0)
            picked = g_none_cell;
        else
            percent_make_at(&picked, static_cast<double>(in.amount - g_previous_zoom) /
                                             static_cast<double>(g_previous_zoom) +
                                         1.0);
        g_previous_zoom = in.amount;
    } else {
        picked = integer_cell(static_cast<int32_t>(static_cast<uint32_t>(in.amount)));
    }
    Cell offset;
    point2d_make_at(&offset, static_cast<float>(to_logical_px(in.x)),
                    static_cast<float>(to_logical_px(in.y)));
    return make_event(in.widget, type, 0, offset, g_none_cell, picked, g_none_cell);
}

} // namespace xel::gui
