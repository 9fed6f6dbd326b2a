// How much memory the run-time holds.
#pragma once

#include "runtime/cell.h"

namespace xel {

// Bytes in use: 4 per used node, each series frame's bytes from its data
// start to its free pointer, and each big block's size. A double, since the
// sum may pass 2^31. Never collects.
double memory_in_use();

// The statistics of the stats native. Level 1 answers memory_in_use. Levels 2
// and 3 append to target, with the collector off meanwhile: a block of node
// frames ([free used total] in nodes each), a block of series frames ([free
// used total] in bytes each), a block of big block sizes, the bytes taken
// from the system (frames, big blocks and heap blocks with their headers) and
// the heap blocks' part of it; they answer 0.
double memory_stats(Cell* target, int level);
// Appends a figure as integer! when it fits, else as float!.
void memory_stats_number(Cell* block, double figure);

} // namespace xel
