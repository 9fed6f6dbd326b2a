// Path access shared by the value types whose fields a path reads and sets
// (date!, time!, pair!, point!, tuple!): the write-back of a changed value and
// the errors for a selector or pick index that names no field.
#pragma once
#include "runtime/cell.h"

namespace xel {

// A value changed by a path set goes back where the path read it: the head
// word's variable, or the slot of the container before it (gparent at key
// p_item), whose own path setting reports the change to its owner, so its
// on-change handlers see it.
void path_store_back(const Cell* changed, Cell* path, const Cell* gparent, const Cell* p_item,
                     int index, bool case_);

// script invalid-path (the path, or the selector without one; the selector).
[[noreturn]] void path_fire_invalid_selector(const Cell* path, const Cell* selector);

// script out-of-range with what pick was given: the boxed index, else index.
[[noreturn]] void pick_fire_out_of_range(int index, const Cell* boxed);

} // namespace xel
