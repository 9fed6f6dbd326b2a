// What the GTK GoogleTest programs share. gui_test_support.cpp holds their
// main: the run-time comes up as the program's does, then GoogleTest runs on
// its thread and the process ends with the tests' status.
#pragma once
#include <string>

#include "platform/gui/gtk-gui.h"

namespace xel_test {

// The molded result of evaluating code, or the error's text.
std::string eval(const std::string& code);

// The widget id of a face's handle (mold/all shows it in hex); 0 without one.
xel::gtk::WidgetId widget_of(const std::string& face);

// Runs GTK's pending events, enough rounds for a shown window to settle.
void pump();

} // namespace xel_test
