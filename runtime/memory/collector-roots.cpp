// After node compaction: the structures outside the arena that hold nodes
// without being roots (call frames, the cycle stack) follow the relocation
// map. The roots themselves are registered by the modules that keep them.
#include "runtime/memory/collector-internal.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"

namespace xel::gc {

void relocate_outside_cells() {
    if (!g_state.relocation) return;
    cycles_relocate(g_state.relocation);
    stack_relocate_frames();
}

} // namespace xel::gc
