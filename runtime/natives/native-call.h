// The call convention shared by natives and the stack-level entries of
// actions: arguments are the cells of the current frame in call order
// (mandatory ones first, then each present refinement's, in spec order), the
// result goes to the frame's first cell. The routine receives the type-check
// flag (1 from compiled code, which asks the routine to check its arguments;
// 0 from the interpreter, which has checked them) and one integer per
// refinement of its spec, in spec order: -1 when absent, else the position of
// the refinement's first argument among the call's argument cells (for a
// refinement without arguments, the number of argument cells before it).
// It returns 0, or for try, do and parse a pending exit code it caught on
// behalf of a compiled caller.
#pragma once
#include <cstdint>

#include "runtime/stack/stack.h"

namespace xel {

using NativeFn = uint32_t (*)(int check, const int32_t* refs);

constexpr int32_t kRefAbsent = -1;

// Presence is "not -1": a refinement at position 0 is present.
inline bool ref_present(int32_t ref) {
    return ref >= 0;
}

// Argument k of the current call.
inline Cell* call_arg(int k) {
    return stack_arguments() + k;
}

// The first argument cell of a refinement, or nullptr when it is absent.
inline Cell* ref_arg(int32_t ref) {
    return ref >= 0 ? stack_arguments() + ref : nullptr;
}

} // namespace xel
