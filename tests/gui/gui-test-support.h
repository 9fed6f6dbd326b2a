// Helpers of the GUI tests that drive faces from C++: evaluating a text,
// the widget of a face, pumping the loop.
#pragma once
#include <string>

#include "gui/backend/backend.h"
#include "platform/gui/gtk-gui.h"
#include "tests/runner/eval-text.h"

namespace xel_gui_test {

inline std::string eval(const std::string& code) {
    return xel::eval_text(code).text;
}

// The widget of a face shown (the handle! first in its state block).
inline xel::gtk::WidgetId widget_of(const std::string& face) {
    std::string m = eval("mold/all " + face + "/state/1");
    size_t at = m.find("handle! ");
    return at == std::string::npos
               ? 0
               : static_cast<xel::gtk::WidgetId>(std::stoul(m.substr(at + 8, 8), nullptr, 16));
}

inline void pump() {
    for (int i = 0; i < 50; i++)
        xel::gui::do_events(true);
}

} // namespace xel_gui_test
