// Path access shared by the small value types whose fields are coordinates
// (pair!, point2D!, point3D!) or bytes (tuple!): selector checks and the
// write-back of a changed value to where the path read it from.
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

// A value changed by a path set goes back where the path read it: the head
// word's variable, or the slot of the container before it (gparent at key
// p_item), whose own path setting reports the change to its owner.
void path_store_back(const Cell* changed, Cell* path, const Cell* gparent, const Cell* p_item,
                     int index, bool case_);

} // namespace xel
