// Start-up of the run-time and the handler of the outermost catch point.
#pragma once
#include <cstdint>

namespace xel {

// Brings the run-time up and runs the program's top level.
void startup();

// Takes every throw that nothing else caught: the quit marker ends the
// process silently with status 0, any other code is run-time error 95.
[[noreturn]] void top_level_handler(uint32_t code);

} // namespace xel
