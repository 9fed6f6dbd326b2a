// The cycle stack: the series (or object contexts) that mold, form, deep
// ownership and other recursive walks currently have open, so a series met
// again inside itself is shown as a placeholder or skipped instead of
// recursing forever. Its depth bounds how deeply such walks may nest.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/hashing/ptrmap.h"

namespace xel {

constexpr uint32_t kCycleStackEntries = 1000;

// Empties the stack (run-time init).
void cycles_init();

// Stores the node and advances the cursor; reaching the limit empties the
// stack and raises internal too-deep, so at most 999 series are open at once.
void cycles_push(Offset node);
// Moves the cursor back one entry, never below the base.
void cycles_pop();
// Moves the cursor back n entries, never below the base.
void cycles_pop_n(uint32_t n);
// Empties the stack; stack_overflow calls it before raising its error.
void cycles_reset();
// True when the node is open in a walk.
bool cycles_find(Offset node);
// Number of entries open now.
uint32_t cycles_depth();
// Rewrites every entry that node compaction moved, through the collector's
// node relocation map.
void cycles_relocate(const PtrMap* map);

// The node a value is tracked by: its context for object!, error! and port!,
// its series node for every other series-backed value.
Offset cycles_node_of(const Cell* value);

// When the value's series is open in a walk: appends its placeholder ("[...]",
// "(...)", "#[...]", "make object! [...]", or "..." for paths and for form) to
// the string buffer, lowers *part by its length and returns true.
bool cycles_detect(const Cell* value, Cell* buffer, int* part, bool mold);

} // namespace xel
