// The environment at start: the boot data decoded into the root block (its
// definitions bind the datatype words, the actions and the natives), then the
// top level of the environment scripts, run from their root records.
#pragma once

namespace xel {

// Decodes the boot data the program carries, when it carries any.
void boot_load();

// Runs the top-level code of the environment scripts in their order: each
// script's code block, group by group (boot/top-level-order.h).
void boot_run_top_level();

} // namespace xel
