// stats: how much memory the run-time holds.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/error-fire.h"
#include "runtime/memory/memory-usage.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"

namespace xel {

void natives_memory_in_use(Cell* result) {
    double used = memory_in_use();
    if (used > 2147483647.0)
        float_make_at(result, used);
    else
        set_integer(result, static_cast<int32_t>(used));
}

// The per-frame listing of /info and /show needs the memory manager's frame
// report, which is not built yet: both are refused rather than answered with
// a made-up listing.
uint32_t natives_stats(int, const int32_t* refs) {
    if (ref_present(refs[0]) || ref_present(refs[1]))
        error_fire(kCatInternal, err::internal::kNotDone);
    natives_memory_in_use(stack_arguments());
    return 0;
}

} // namespace xel
