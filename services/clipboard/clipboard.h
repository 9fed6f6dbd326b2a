// The clipboard of read-clipboard and write-clipboard: the display's CLIPBOARD
// when there is a display, else one held in this process. Text, lists of
// files and images (as PNG).
#pragma once
#include "runtime/cell.h"

namespace xel {

// Pushes the content: none when empty, else a string!, a block of file! or
// an image!.
Cell* clipboard_read();
// A string!, a block of file! (another element raises script invalid-arg),
// an image! or none (empties it); true when it was written.
bool clipboard_write(const Cell* value);

} // namespace xel
