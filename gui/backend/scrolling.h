// Scroll bars as the face tree sees them (backend only): a scrollable face's
// own bars follow its scroller! objects and report scroll events; a scroller
// face moves by its steps and page and reads back into data and selected.
#pragma once
#include <cstdint>

#include "platform/gui/gtk-gui.h"
#include "runtime/cell.h"

namespace xel::gui {

// platform/update-scroller: the field of the scroller! at index changed.
void update_scroller(const Cell* scroller, int32_t index);
// A bar moved by a person: scroll events, or a scroller face's change.
int scroll_bar_input(const gtk::Input& in);
// A new scroller face: its page from selected, data 0.0.
void scroller_face_init(gtk::WidgetId id, const Cell* face);
// data := the position, selected := the page, both fractions of the range.
void scroller_read_back(gtk::WidgetId id, const Cell* face);
// A position number: integer, float or percent clamped to 0..1, else -1.
double unit_value(const Cell* value);

} // namespace xel::gui
