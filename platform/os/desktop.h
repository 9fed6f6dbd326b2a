// Handing a URL or a file to the desktop, and the process's command line.
#pragma once
#include <string>

namespace xel {

// Opens the target with the desktop's handler (xdg-open), without waiting
// for it; false when it cannot be started.
bool os_open_with_desktop(const std::string& target);

// The process's command line: its arguments joined by blanks, an argument
// holding a blank, a tab, a quote or nothing written between double quotes
// (a quote inside doubled), as a command line is written by hand.
std::string os_command_line();

} // namespace xel
