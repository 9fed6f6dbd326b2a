// Node compaction: a node frame that has stayed sparse for six collections
// while plenty of nodes are free elsewhere is emptied by moving its nodes to
// other frames, and is released after the collection. Marking rewrites every
// slot that names a moved node through the relocation map; frames holding a
// node the machine stack refers to are left alone, since the stack's words
// cannot be rewritten. Under the torture of XEL_GC_TORTURE_NODES every node
// the stack does not hold moves, and its old slot is freed after the
// collection, to be reused by the next series made.
#include <algorithm>
#include <unordered_set>

#include "runtime/hashing/hashtable.h"
#include "runtime/memory/collector-internal.h"

namespace xel::gc {

namespace {

constexpr uint32_t kSteadyHistory = 0x3F; // unchanged over six collections
constexpr uint32_t kSparseUsed = 5000;
constexpr uint32_t kFreeWanted = 10000;
constexpr uint32_t kRelocationRoom = 20000;

uint32_t count_free_nodes() {
    uint32_t free = 0;
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next) {
        const auto* f = at<NodeFrame>(o);
        if (f->free_head && !f->release) free += f->capacity - f->used;
    }
    return free;
}

// Free nodes of the frames that are kept.
struct NodeSource {
    NodeFrame* frame = nullptr;

    Offset take() {
        if (!frame || !frame->free_head || frame->release) {
            frame = first_node_frame_with_room();
            if (!frame) frame = new_node_frame(kNodeFrameCapacity);
        }
        return pop_free_node(frame);
    }
};

// Moves every used node of a frame flagged for release into the kept
// frames. The old slots keep their buffers until the frame goes, so late
// readers still find them.
void empty_frame(NodeFrame* f, NodeSource& source) {
    std::vector<bool> free(f->capacity, false);
    for (Offset n = f->free_head; n; n = *at<Offset>(n))
        free[(n - f->node_at(0)) / 4] = true;
    for (uint32_t i = 0; i < f->capacity; i++) {
        if (free[i]) continue;
        Offset old = f->node_at(i);
        Offset moved = source.take();
        Offset buf = *at<Offset>(old);
        *at<Offset>(moved) = buf;
        if (buf) at<SeriesBuf>(buf)->node = moved;
        ptrmap_put(g_state.relocation, old, moved);
    }
}

// Moves every used node that the machine stack does not hold to a free slot
// taken after all of them were listed, so no node moves twice.
void move_every_node() {
    std::unordered_set<Offset> held(g_state.stack_nodes.begin(), g_state.stack_nodes.end());
    std::vector<Offset> used;
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next) {
        auto* f = at<NodeFrame>(o);
        std::vector<bool> free(f->capacity, false);
        for (Offset n = f->free_head; n; n = *at<Offset>(n))
            free[(n - f->node_at(0)) / 4] = true;
        for (uint32_t i = 0; i < f->capacity; i++)
            if (!free[i] && *at<Offset>(f->node_at(i)) != kVacatedSlot &&
                !held.count(f->node_at(i)))
                used.push_back(f->node_at(i));
    }
    if (used.empty()) return;
    g_state.relocation = ptrmap_make(static_cast<uint32_t>(used.size()));
    NodeSource source;
    for (Offset old : used) {
        Offset moved = source.take();
        Offset buf = *at<Offset>(old);
        *at<Offset>(moved) = buf;
        if (buf) at<SeriesBuf>(buf)->node = moved;
        ptrmap_put(g_state.relocation, old, moved);
    }
    g_state.vacated = std::move(used);
    g_node_generation++;
    index_frames();
}

} // namespace

void compact_nodes() {
    if (g_move_every_node) {
        move_every_node();
        return;
    }
    NodeFrame* room = first_node_frame_with_room();
    if (!room) return;
    Offset current = offset_of(room);
    uint32_t free = count_free_nodes();
    std::vector<Offset> held;
    for (Offset node : g_state.stack_nodes)
        held.push_back(node_frame_of(node));
    std::sort(held.begin(), held.end());

    // Every frame to empty is flagged first, so none of them receives nodes.
    std::vector<NodeFrame*> chosen;
    for (Offset o = g_memory.last_node_frame; o; o = at<NodeFrame>(o)->prev) {
        auto* f = at<NodeFrame>(o);
        if (o == current || f->release || (f->history & kSteadyHistory) != kSteadyHistory) continue;
        if (f->used >= kSparseUsed || free <= kFreeWanted) continue;
        if (std::binary_search(held.begin(), held.end(), o)) continue;
        free -= std::min(free, f->capacity);
        f->release = 1;
        chosen.push_back(f);
    }
    if (chosen.empty()) return;
    g_state.relocation = ptrmap_make(kRelocationRoom);
    NodeSource source;
    for (NodeFrame* f : chosen)
        empty_frame(f, source);
    g_node_generation++;
    // A frame made for the moved nodes must be known to the marking.
    index_frames();
}

} // namespace xel::gc
