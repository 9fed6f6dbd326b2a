// How much series memory the run-time holds.
#pragma once

namespace xel {

// Bytes in use: 4 per used node, each series frame's bytes from its data
// start to its free pointer, and each big block's size. A double, since the
// sum may pass 2^31. Never collects.
double memory_in_use();

} // namespace xel
