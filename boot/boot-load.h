// Builds the environment from the embedded sources: the datatype words, the
// action! and native! values bound to their words, then the top-level code.
#pragma once

namespace xel {

// Binds every datatype word to its datatype! and every action and native to
// its word, from the definition records of boot/actions.xel and
// boot/natives-*.xel ("word: index [spec]"). A native whose code the natives
// table does not hold is left unbound.
void boot_load_definitions();

// Runs the top-level code of the environment scripts in their order.
void boot_run_top_level();

} // namespace xel
