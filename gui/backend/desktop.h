// The backend's answers to the desktop: the screens rebuilt when monitors
// change, and the dark variant asked for by set-dark-mode.
#pragma once
#include "runtime/cell.h"

namespace xel::gui {

// From the backend's start: system/view/platform/refresh-screens runs on
// every change of the monitors.
void watch_screens();
// Runs system/view/platform/refresh-screens (an error is printed).
void refresh_screens();

// set-dark-mode: a window face asks for the dark or light variant (for the
// whole program, as GTK keeps one theme); other faces follow their window.
void set_dark_mode(const Cell* face, bool dark);

} // namespace xel::gui
