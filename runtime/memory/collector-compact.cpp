// Compaction of the series frames and the return of dead nodes. Live buffers
// slide down their frame, or into the previous frame while it has room; a
// pinned buffer stays where it is and the space before it becomes one dead
// buffer, so every frame can still be walked buffer by buffer.
#include <algorithm>
#include <cstring>

#include "runtime/memory/collector-internal.h"

namespace xel::gc {

namespace {

// Turns [from, to) into one dead buffer. Any run of dead buffers is at least
// one empty buffer long (16 bytes of data plus the overhead), so it fits.
void fill_gap(Offset from, Offset to) {
    if (to <= from) return;
    auto* b = at<SeriesBuf>(from);
    b->flags = 0;
    b->node = 0;
    b->size = to - from - kBufferOverhead;
    b->head = b->tail = b->data();
}

void move_buffer(Offset from, Offset to, uint32_t extent) {
    std::memmove(at(to), at(from), extent);
    auto* b = at<SeriesBuf>(to);
    uint32_t distance = from - to;
    b->head -= distance;
    b->tail -= distance;
    if (b->node) *at<Offset>(b->node) = to;
}

void queue_dead(Offset buffer) {
    const auto* b = at<SeriesBuf>(buffer);
    if ((b->flags & kFlagInUse) && b->node && *at<Offset>(b->node) == buffer)
        g_state.freed.push_back(b->node);
}

struct Compaction {
    std::vector<Offset>::const_iterator pin = g_state.pinned.begin();
    Offset previous = 0; // the last frame kept so far

    bool take_pin(Offset buffer) {
        if (pin == g_state.pinned.end() || *pin != buffer) return false;
        ++pin;
        return true;
    }

    // Returns the new free pointer of the frame.
    Offset compact_frame(Offset f) {
        auto* frame = at<SeriesFrame>(f);
        SeriesFrame* into = nullptr;
        if (previous &&
            at<SeriesFrame>(previous)->end - at<SeriesFrame>(previous)->free > kFrameMinRoom)
            into = at<SeriesFrame>(previous);
        Offset dest = f + sizeof(SeriesFrame);
        Offset b = dest;
        while (b < frame->free) {
            auto* buf = at<SeriesBuf>(b);
            uint32_t extent = buf->size + kBufferOverhead;
            if (take_pin(b)) {
                fill_gap(dest, b);
                buf->flags &= ~kFlagMark;
                into = nullptr;
                dest = b + extent;
            } else if (buf->flags & kFlagMark) {
                buf->flags &= ~kFlagMark;
                Offset to;
                if (into && static_cast<uint64_t>(into->free) + extent < into->end) {
                    to = into->free;
                    into->free += extent;
                } else {
                    into = nullptr;
                    to = dest;
                    dest += extent;
                }
                if (to != b) move_buffer(b, to, extent);
            } else {
                queue_dead(b);
            }
            b += extent;
        }
        return dest;
    }
};

} // namespace

void compact_series_frames() {
    Compaction c;
    for (Offset f : g_state.series_frames) {
        auto* frame = at<SeriesFrame>(f);
        Offset old_free = frame->free;
        Offset free = c.compact_frame(f);
        if (free == f + sizeof(SeriesFrame) && f != g_memory.last_series_frame) {
            release_series_frame(frame);
            continue;
        }
        // Space above the free pointer is kept zeroed: new buffers start
        // without stale cells that a scan could misread.
        std::memset(at(free), 0, old_free - free);
        frame->free = free;
        c.previous = f;
    }
}

void release_nodes() {
    std::sort(g_state.freed.begin(), g_state.freed.end());
    g_state.freed.erase(std::unique(g_state.freed.begin(), g_state.freed.end()),
                        g_state.freed.end());
    for (Offset node : g_state.freed)
        if (Offset f = node_frame_of(node)) give_back_node(at<NodeFrame>(f), node);
    g_state.freed.clear();
    for (Offset node : g_state.quarantined)
        if (Offset f = node_frame_of(node)) give_back_node(at<NodeFrame>(f), node);
    for (Offset node : g_state.vacated)
        *at<Offset>(node) = kVacatedSlot;
    g_state.quarantined = std::move(g_state.vacated);
    g_state.vacated.clear();
}

} // namespace xel::gc
