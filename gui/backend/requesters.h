// The file and folder requesters of the platform routines request-file and
// request-dir: arguments as the language passes them, results as file!
// values in the language's notation.
#pragma once
#include "runtime/cell.h"

namespace xel::gui {

// Pushes a file!, with multi a block of file!, or none when cancelled. A
// filter block holding anything but strings and files raises invalid-arg.
void request_file(const Cell* title, const Cell* name, const Cell* filter, bool save, bool multi);

// Pushes the chosen folder (a file! ending in "/"), or none when cancelled.
void request_dir(const Cell* title, const Cell* dir, bool keep);

} // namespace xel::gui
