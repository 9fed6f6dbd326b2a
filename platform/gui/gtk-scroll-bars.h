// Scroll bars: the two a scrollable base face has of its own at its right
// and bottom edges, outside the area it paints, and the bar of a scroller
// face. A person's move of a bar does not move it: it is reported as a
// request (InputKind::kScrollBar) and the program sets the bar.
#pragma once
#include <cstdint>

#include "platform/gui/gtk-gui.h"

namespace xel::gtk {

// The requests a bar reports, numbered as the design numbers them.
enum ScrollRequest : int32_t {
    kScrollLineBack = 0,
    kScrollLineForward = 1,
    kScrollPageBack = 2,
    kScrollPageForward = 3,
    kScrollTrack = 5,
    kScrollToStart = 6,
    kScrollToEnd = 7,
    kScrollEnd = 8, // the button let go
};

// A face's own bar: positions run from min to max - page + 1 (max counts
// the last unit, as the design's range does).
struct BarState {
    int min = 0, max = 0, page = 0, position = 0;
    bool shown = false, enabled = false;
};

// A range whose page spans it all leaves the bar shown but disabled.
void bar_set_range(WidgetId id, bool vertical, int min, int max, int page);
void bar_set_position(WidgetId id, bool vertical, int position);
void bar_show(WidgetId id, bool vertical, bool shown);
// False when the widget has no such bar.
bool bar_state(WidgetId id, bool vertical, BarState* out);
// Points of a bar in the face's own device pixels, for input aimed at them: the
// slider's middle and the middles of the trough before and after it.
struct BarPoints {
    int slider_x = 0, slider_y = 0, before_x = 0, before_y = 0, after_x = 0, after_y = 0;
};
bool bar_points(WidgetId id, bool vertical, BarPoints* out);

// An area shows each bar only while its text needs it (the horizontal one
// only when it may have one); its lines wrap or not. bar_state reads an
// area's bars too.
void area_set_lines(WidgetId id, bool wrap, bool horizontal_bar);

// A scroller face: its page (0..1) and the position (0..1 - page).
double scroller_page(WidgetId id);

} // namespace xel::gtk
