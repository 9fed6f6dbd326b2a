// The inside of series memory: node frames, series frames, big blocks and
// the record that links them. Only runtime/memory/ (and tests of it) use
// these; the rest of the run-time sees series-memory.h.
#pragma once
#include <cstdint>

#include "runtime/memory/series-memory.h"

namespace xel {

struct NodeFrame {
    Offset next;
    Offset prev;
    uint32_t capacity;
    Offset free_head;
    uint32_t used;
    uint32_t stamp;
    uint32_t prev_used;
    uint32_t history;
    uint32_t release;
    Offset node_at(uint32_t i) const { return offset_of(this) + sizeof(NodeFrame) + 4 * i; }
};
static_assert(sizeof(NodeFrame) == 36);

struct SeriesFrame {
    Offset next;
    Offset prev;
    uint32_t size; // header included
    Offset free;
    Offset end;
};
static_assert(sizeof(SeriesFrame) == 20);

struct BigBlock {
    Offset next;
    Offset prev;
    uint32_t size; // as asked for: buffer need
};
static_assert(sizeof(BigBlock) == 12);

struct MemoryRecord {
    uint32_t os_bytes;
    Offset first_node_frame;
    Offset last_node_frame;
    Offset current_node_frame;
    Offset first_series_frame;
    Offset current_series_frame;
    Offset last_series_frame;
    uint32_t initial_frame_size;
    uint32_t next_frame_size;
    uint32_t max_frame_size;
    Offset first_big;
    // Bytes in use in series frames after the last collection, and frame bytes
    // made since: a heap that is mostly live grows by half of itself before it
    // is marked again, so building a large live structure is not quadratic.
    uint32_t live_after_collection;
    uint32_t grown_since_collection;
};

extern MemoryRecord g_memory;

constexpr uint32_t kNodeFrameCapacity = 10000;
constexpr uint32_t kFrameSizeInitial = 1 << 20;
constexpr uint32_t kFrameSizeMax = 2 << 20;
constexpr uint32_t kBufferOverhead = 24; // header and 4 bytes of slack in a frame
constexpr uint32_t kFrameMinRoom = 0xCCCC;
// Below this much live data every full frame collects first, as the design
// sets out; above it the growth budget above applies.
constexpr uint32_t kLiveHeapForBudget = 8u << 20;

// Whether filling the frames should collect before a new frame is made.
bool collection_due();
// Records what a collection left, for the growth budget.
void note_collection_done();

SeriesBuf* alloc_buffer(uint32_t count, uint32_t unit, int32_t head_offset);
void give_back_node(NodeFrame* frame, Offset node);
// Takes the first free node of a frame that has one (its slot reads 0).
Offset pop_free_node(NodeFrame* frame);
// The first node frame, in address order, with a free node and not flagged
// for release; null when none.
NodeFrame* first_node_frame_with_room();
NodeFrame* new_node_frame(uint32_t capacity);
void release_node_frame(NodeFrame* frame);
void sweep_node_frames();

SeriesFrame* new_series_frame();
// As new_series_frame, or null when the system refuses the memory.
SeriesFrame* try_new_series_frame();
// The first frame where a buffer of need bytes fits and that keeps at least
// kFrameMinRoom free before it, or null.
SeriesFrame* find_series_frame(uint32_t need);
void release_series_frame(SeriesFrame* frame);
// Frees every big block whose buffer the collector left unmarked, telling
// dead_node the node of each such buffer in use; survivors lose their mark.
void sweep_big_blocks(void (*dead_node)(Offset node));
void free_big_block(SeriesBuf* buf);

Offset os_alloc(uint32_t size, bool executable);
void os_free(Offset block);

} // namespace xel
