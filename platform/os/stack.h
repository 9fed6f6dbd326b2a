// The run-time's machine stack: big enough for the deepest legal recursion
// (12,000 call frames), so that depth is always the language's own error.
#pragma once
#include <cstddef>
#include <cstdint>

namespace xel {

// Bounds of the stack the run-time runs on (0 before run_on_big_stack).
extern uintptr_t g_stack_low;
extern uintptr_t g_stack_high;

constexpr size_t kRuntimeStackSize = size_t{256} << 20;

// Runs fn(arg) on a fresh stack of kRuntimeStackSize bytes, committed lazily,
// and returns its result.
int run_on_big_stack(int (*fn)(void*), void* arg);

} // namespace xel
