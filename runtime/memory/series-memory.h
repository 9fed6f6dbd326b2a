// Series memory: nodes in node frames, series buffers in series frames and big
// blocks, all inside the arena. Values refer to a buffer only through its node,
// so buffers can move (expansion, compaction) by repointing the node.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/arena.h"

namespace xel {

// Series buffer flags.
enum : uint32_t {
    kUnitMask = 0x1F,
    kFlagOwned = 0x20000,
    // A byte series whose data names nodes (hash records, chain lists): the
    // collector reads the used part of one the machine stack holds.
    kFlagHoldsNodes = 0x40000,
    kFlagFixed = 0x100000,
    kFlagBig = 0x1000000,
    kFlagMark = 0x8000000,
    kFlagHeadSpace = 0x10000000,
    kFlagAllocated = 0x20000000,
    kFlagInUse = 0x80000000,
};

struct SeriesBuf {
    uint32_t flags;
    Offset node;
    uint32_t size; // data capacity in bytes, a multiple of 16
    Offset head;
    Offset tail;

    uint32_t unit() const { return flags & kUnitMask; }
    Offset data() const { return offset_of(this) + sizeof(SeriesBuf); }
    Offset data_end() const { return data() + size; }
    uint32_t used() const { return tail - head; }
};
static_assert(sizeof(SeriesBuf) == 20);

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

// A slot of a native frame that holds a series address, noted by the collector.
struct NativeRef {
    Offset series;
    void* slot;
};

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
    NativeRef* native_refs;
    uint32_t native_fill;
    uint32_t native_capacity;
};

extern MemoryRecord g_memory;

constexpr uint32_t kNodeFrameCapacity = 10000;
constexpr uint32_t kFrameSizeInitial = 1 << 20;
constexpr uint32_t kFrameSizeMax = 2 << 20;
constexpr uint32_t kBufferOverhead = 24; // header and 4 bytes of slack in a frame
constexpr uint32_t kFrameMinRoom = 0xCCCC;

// A live node and its buffer name each other: the collector and compaction
// rely on the back link.
inline SeriesBuf* buffer_of(Offset node) {
    XEL_ASSERT(node != 0);
    SeriesBuf* buf = at<SeriesBuf>(*at<Offset>(node));
    XEL_ASSERT(buf->node == node && buf->head <= buf->tail);
    return buf;
}
inline uint32_t align_up(uint32_t a, uint32_t b) {
    return (a + b - 1) & (0u - b);
}

void memory_init();

SeriesBuf* alloc_buffer(uint32_t count, uint32_t unit, int32_t head_offset);
Offset alloc_series(uint32_t count, uint32_t unit, int32_t head_offset);
Offset alloc_cells(uint32_t n);
Offset alloc_unset_cells(uint32_t n);
Offset alloc_bytes(uint32_t n);
Offset alloc_units(uint32_t n, uint32_t unit);
Offset alloc_bytes_filled(uint32_t n, uint8_t byte);
Offset alloc_fixed(uint32_t count, uint32_t unit, int32_t head_offset);

void series_or_flags(Offset node, uint32_t bits);

SeriesBuf* expand_series(SeriesBuf* buf, int64_t new_size);
SeriesBuf* expand_series_copy(SeriesBuf* buf, int64_t new_size);
SeriesBuf* expand_series_filled(SeriesBuf* buf, int64_t new_size, uint8_t byte);
Offset copy_series(SeriesBuf* buf);

Offset take_node();
void give_back_node(NodeFrame* frame, Offset node);
NodeFrame* new_node_frame(uint32_t capacity);
void release_node_frame(NodeFrame* frame);
void sweep_node_frames();

SeriesFrame* new_series_frame();
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

void memory_fill(uint8_t* start, uint8_t* end, uint8_t byte);

// Cells at a cell buffer's tail.
Cell* series_alloc_tail_cell(SeriesBuf* buf);
uint8_t* series_reserve_tail(SeriesBuf* buf, uint32_t n);
// Fills count units from the first unit by repeated doubling copies.
uint8_t* memory_repeat_fill(uint8_t* buffer, uint32_t unit, uint32_t count);

} // namespace xel
