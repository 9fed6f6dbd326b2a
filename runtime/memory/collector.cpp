// The collection's sequence, its switches and the root callback list.
#include "runtime/memory/collector.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "runtime/externals/externals.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/collector-internal.h"
#include "runtime/ownership/ownership.h"

namespace xel {

namespace gc {

State g_state;

} // namespace gc

using namespace gc;

void collector_reset() {
    g_state.callbacks.clear();
}

void collector_init() {
    g_collection_count = 0;
    g_node_generation = 0;
    g_node_compaction_enabled = true;
    const char* torture = std::getenv("XEL_GC_TORTURE");
    g_collector_torture = torture && std::strcmp(torture, "1") == 0;
    g_collect = collector_collect;
}

bool collector_active() {
    return g_collector_busy;
}

void collector_add_root_callback(RootCallback callback) {
    g_state.callbacks.push_back(callback);
}

void collector_remove_root_callback(RootCallback callback) {
    for (RootCallback& c : g_state.callbacks) {
        if (c == callback) {
            c = nullptr;
            return;
        }
    }
}

void collector_collect() {
    if (g_collector_busy) return;
    g_collector_busy = true;
    std::atomic_thread_fence(std::memory_order_seq_cst);

    index_frames();
    scan_machine_stack();
    if (g_node_compaction_enabled) compact_nodes();
    relocate_outside_cells();
    // The roots, as their modules registered them. A callback may register
    // or remove others: walk by index.
    for (size_t i = 0; i < g_state.callbacks.size(); i++)
        if (g_state.callbacks[i]) g_state.callbacks[i]();
    mark_stack_references();
    drain_pending();
    // Entries of the ownership table live as long as their series and owner.
    ownership_sweep();
    drain_pending();
    // Resources that no live value marked are released now.
    externals_sweep();

    compact_series_frames();
    sweep_big_blocks([](Offset node) { g_state.freed.push_back(node); });
    release_nodes();
    sweep_node_frames();
    note_collection_done();

    if (g_state.relocation) {
        ptrmap_free(g_state.relocation);
        g_state.relocation = nullptr;
    }
    for (Offset buf : g_state.marked_outside)
        at<SeriesBuf>(buf)->flags &= ~kFlagMark;
    g_state.marked_outside.clear();
    g_state.stack_nodes.clear();
    g_state.pinned.clear();
    g_state.followed.clear();

    g_collection_count++;
    std::atomic_thread_fence(std::memory_order_seq_cst);
    g_collector_busy = false;
}

} // namespace xel
