// break, continue, exit and return: each unwinds to its target frame and
// leaves the exit pending for the C++ callers between (runtime/stack/exits.h).
#include "runtime/natives/control/control.h"
#include "runtime/natives/native-call.h"

namespace xel {

// break [/return value]: the value, when given, is the frame's first cell.
uint32_t natives_break(int, const int32_t* refs) {
    stack_throw_break(ref_present(refs[0]), false);
    return 0;
}

uint32_t natives_continue(int, const int32_t*) {
    stack_throw_break(false, true);
    return 0;
}

uint32_t natives_exit(int, const int32_t*) {
    stack_throw_exit(false, false);
    return 0;
}

uint32_t natives_return(int, const int32_t*) {
    stack_throw_exit(true, false);
    return 0;
}

} // namespace xel
