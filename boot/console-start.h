// The last act of the program's top level: the console takes over.
#pragma once

namespace xel {

// Starts the GUI console when the environment has one, else the text
// console over standard input and output. Returns when the console's launch
// returns (a script ran and the console does not stay).
void console_start();

} // namespace xel
