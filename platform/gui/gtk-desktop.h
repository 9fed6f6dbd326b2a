// The desktop around the program's windows: changes of the monitors, and
// the theme's dark variant.
#pragma once

namespace xel::gtk {

// changed runs on the main loop whenever monitors come, go or change size.
void watch_screens(void (*changed)());

// Asks for the theme's dark (or light) variant for every window of the
// program: GTK keeps one theme per process.
void set_prefer_dark(bool dark);

} // namespace xel::gtk
