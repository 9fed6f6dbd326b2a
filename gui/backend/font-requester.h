// The font requester over GTK's font chooser, for the platform routine
// request-font.
#pragma once
#include <pango/pango.h>

#include "runtime/cell.h"

namespace xel::draw {

// Runs the chooser starting from the selected font! object (a monospaced
// default without one; only monospaced families with mono). On a choice the
// result font's name, size (points) and style (bold, italic or [bold italic];
// untouched when neither) are set and the answer is true; cancelling, or no
// display, answers false.
bool font_request(Cell* result, const Cell* selected, bool mono);

// What a choice sets in the result font.
void font_fill_from_description(Cell* font, const PangoFontDescription* description);

} // namespace xel::draw
