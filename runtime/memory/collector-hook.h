// What series memory needs of the collector: whether it may run, the
// collection counter that stamps node frames, and the entry that runs it.
#pragma once
#include <cstdint>

namespace xel {

extern bool g_collector_enabled;
extern uint32_t g_collection_count;
// The collection itself; installed by the collector when it is set up.
extern void (*g_collect)();

inline void collect_if_enabled() {
    if (g_collector_enabled && g_collect) g_collect();
}

// Set by the collector's torture mode: every period-th allocation that may
// collect (every one when the period is 1) collects first. The count starts
// at the phase, so runs with other phases collect at other allocations.
extern bool g_collector_torture;
extern uint32_t g_torture_period;
extern uint32_t g_torture_count;
inline void collect_for_torture() {
    if (!g_collector_torture || ++g_torture_count < g_torture_period) return;
    g_torture_count = 0;
    collect_if_enabled();
}

} // namespace xel
