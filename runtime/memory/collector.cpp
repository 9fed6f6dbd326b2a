// The collection's sequence, its switches and the root callback list.
#include "runtime/memory/collector.h"

#include <atomic>
#include <cstdlib>

#include "runtime/externals/externals.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/collector-internal.h"
#include "runtime/ownership/ownership.h"

namespace xel {

namespace gc {

State g_state;

} // namespace gc

bool g_move_every_node = false;

using namespace gc;

namespace {

// A positive decimal number from the environment, else 0.
uint32_t env_number(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return 0;
    char* end = nullptr;
    unsigned long n = std::strtoul(text, &end, 10);
    return *end || n > 0xFFFFFFFFul ? 0 : static_cast<uint32_t>(n);
}

} // namespace

void collector_reset() {
    g_state.callbacks.clear();
}

void collector_init() {
    g_collection_count = 0;
    g_node_generation = 0;
    g_node_compaction_enabled = true;
    g_collector_torture = false;
    g_torture_period = 1;
    g_torture_count = 0;
    g_move_every_node = false;
    // XEL_GC_TORTURE=N collects at every N-th allocation (1: at each),
    // XEL_GC_TORTURE_PHASE=K shifts which ones, XEL_GC_TORTURE_NODES=1 makes
    // each of those collections move every node it may.
    if (uint32_t period = env_number("XEL_GC_TORTURE")) {
        g_collector_torture = true;
        g_torture_period = period;
        g_torture_count = env_number("XEL_GC_TORTURE_PHASE") % period;
        g_move_every_node = env_number("XEL_GC_TORTURE_NODES") == 1;
    }
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
