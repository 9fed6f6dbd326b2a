// Sorted indexes of the frames and the lookups the collector makes through
// them: which node frame, series frame or big block holds an address.
#include <algorithm>

#include "runtime/memory/collector-internal.h"

namespace xel::gc {

namespace {

// The last entry of a sorted index at or below the address, or 0.
Offset floor_of(const std::vector<Offset>& index, Offset address) {
    auto it = std::upper_bound(index.begin(), index.end(), address);
    return it == index.begin() ? 0 : *(it - 1);
}

Offset node_slots_start(Offset frame) {
    return frame + sizeof(NodeFrame);
}

} // namespace

void index_frames() {
    g_state.node_frames.clear();
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next)
        g_state.node_frames.push_back(o);
    std::sort(g_state.node_frames.begin(), g_state.node_frames.end());
    // Series frames are kept in address order already.
    g_state.series_frames.clear();
    for (Offset o = g_memory.first_series_frame; o; o = at<SeriesFrame>(o)->next)
        g_state.series_frames.push_back(o);
    g_state.big_blocks.clear();
    for (Offset o = g_memory.first_big; o; o = at<BigBlock>(o)->next)
        g_state.big_blocks.push_back(o);
    std::sort(g_state.big_blocks.begin(), g_state.big_blocks.end());
}

Offset node_frame_of(Offset address) {
    Offset f = floor_of(g_state.node_frames, address);
    if (!f || address < node_slots_start(f)) return 0;
    return address - node_slots_start(f) < 4 * at<NodeFrame>(f)->capacity ? f : 0;
}

Offset series_frame_of(Offset address) {
    Offset f = floor_of(g_state.series_frames, address);
    if (!f) return 0;
    const auto* frame = at<SeriesFrame>(f);
    return address >= f + sizeof(SeriesFrame) && address < frame->free ? f : 0;
}

Offset big_block_of(Offset address) {
    Offset b = floor_of(g_state.big_blocks, address);
    if (!b) return 0;
    return address - b < sizeof(BigBlock) + at<BigBlock>(b)->size ? b : 0;
}

SeriesBuf* live_buffer(Offset node) {
    if (node & 3) return nullptr;
    Offset f = node_frame_of(node);
    if (!f) return nullptr;
    Offset buf = *at<Offset>(node);
    // A free slot links to another slot of its frame (or holds 0).
    if (!buf || buf == kVacatedSlot ||
        (buf >= f && buf < node_slots_start(f) + 4 * at<NodeFrame>(f)->capacity))
        return nullptr;
    auto* b = at<SeriesBuf>(buf);
    return b->node == node && (b->flags & kFlagInUse) ? b : nullptr;
}

} // namespace xel::gc
