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

// Set by the collector's torture mode: every allocation that may collect
// collects first.
extern bool g_collector_torture;
inline void collect_for_torture() {
    if (g_collector_torture) collect_if_enabled();
}

} // namespace xel
