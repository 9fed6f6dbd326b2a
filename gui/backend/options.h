// The options facet as make-view and the change of options read it: the
// cursor over a face, the hint and tab stops of edits, and whether a face
// asks to be accelerated (a layered tool window).
#pragma once
#include "platform/gui/gtk-gui.h"
#include "runtime/cell.h"

namespace xel::gui {

// The value of a key of the options facet (a block of key and value pairs
// of even length), none when absent.
Cell option_value(const Cell* face, const char* key);
// The cursor of the options, shown over the face's widget; any other value
// takes the cursor away.
void apply_cursor(gtk::WidgetId id, const Cell* face);
// hint and tabs of a field or area (every edit has a tab stop first).
void apply_edit_options(gtk::WidgetId id, const Cell* face);
// accelerated: true.
bool options_accelerated(const Cell* face);

} // namespace xel::gui
