// Path access shared by the small value types whose fields are coordinates
// (pair!, point2D!, point3D!): the selector checks.
#pragma once
#include "runtime/cell.h"

namespace xel {

// The 0-based coordinate among n (x, y, z) that a path selector names by word
// or 1-based index. An index out of range or a selector of another type raises
// script invalid-path (path, selector); another word raises script cannot-use
// (word, value).
int coordinate_of_path(const Cell* selector, const Cell* value, const Cell* path, int n);

// The 0-based coordinate among n that pick's index (or its word, boxed)
// names; anything else raises script out-of-range (the index).
int coordinate_of_pick(int index, const Cell* boxed, int n);

} // namespace xel
