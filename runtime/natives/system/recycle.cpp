#include "runtime/natives/system/recycle.h"

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/memory/collector.h"
#include "runtime/memory/memory-usage.h"
#include "runtime/natives/native-call.h"

namespace xel {

uint32_t natives_recycle(int, const int32_t* refs) {
    Cell* result = stack_arguments();
    bool on = ref_present(refs[0]);
    bool off = ref_present(refs[1]);
    if (on || off) {
        if (on) g_collector_enabled = true;
        if (off) g_collector_enabled = false;
        set_unset(result);
        return 0;
    }
    collector_collect();
    double used = memory_in_use();
    if (used > 2147483647.0)
        float_make_at(result, used);
    else
        set_integer(result, static_cast<int32_t>(used));
    return 0;
}

} // namespace xel
