// The collector's working state, shared by its files. Everything here lives
// on the C++ heap and is rebuilt by every collection.
#pragma once
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "runtime/hashing/ptrmap.h"
#include "runtime/memory/collector.h"
#include "runtime/memory/series-memory-internal.h"

namespace xel::gc {

struct State {
    // Sorted frame indexes (arena offsets of the frame or block headers).
    std::vector<Offset> node_frames;
    std::vector<Offset> series_frames;
    std::vector<Offset> big_blocks;
    // Node compaction's old -> new node map, or null.
    PtrMap* relocation = nullptr;
    // Nodes the machine stack holds, directly or through the byte series it
    // holds; node compaction leaves their frames alone.
    std::vector<Offset> stack_nodes;
    // Buffers the machine stack points into (sorted): never moved.
    std::vector<Offset> pinned;
    // Cell buffers whose cells wait to be marked.
    std::vector<Offset> pending;
    // Records (hash tables, event records) whose fields were followed.
    std::unordered_set<Offset> followed;
    // Marked buffers that compaction does not pass (fixed buffers).
    std::vector<Offset> marked_outside;
    // Nodes of dead series, given back after compaction.
    std::vector<Offset> freed;
    // Old slots of the nodes moved by the torture of node compaction: they
    // hold kVacatedSlot until the next collection gives them back, so a
    // reference that marking did not rewrite faults when it is read.
    std::vector<Offset> vacated;
    std::vector<Offset> quarantined;
    std::vector<RootCallback> callbacks;
};

extern State g_state;

// What a vacated slot holds: an address in the arena's first page, which is
// never mapped.
constexpr Offset kVacatedSlot = 0x10;

// Frame lookups over the sorted indexes. The node frame whose slots hold the
// address, the series frame whose buffers hold it, the big block holding it;
// 0 when none.
Offset node_frame_of(Offset address);
Offset series_frame_of(Offset address);
Offset big_block_of(Offset address);
void index_frames();

// The buffer of a live node, or null when the address is no node in use (0,
// outside every node frame's slots, a free slot, or a slot whose buffer does
// not name it back).
SeriesBuf* live_buffer(Offset node);

// The node a slot stands for after node compaction.
inline Offset relocated(Offset node) {
    if (!g_state.relocation || !node) return node;
    Offset moved = ptrmap_get(g_state.relocation, node);
    return moved ? moved : node;
}

// Marks the cells of every buffer waiting in g_state.pending.
void drain_pending();
// Queues a cell buffer whose cells must be marked.
inline void mark_cells_later(SeriesBuf* buf) {
    g_state.pending.push_back(offset_of(buf));
}

// The phases of a collection, in their order.
void scan_machine_stack();
void compact_nodes();
void relocate_outside_cells();
void mark_stack_references();
void compact_series_frames();
void release_nodes();

} // namespace xel::gc
