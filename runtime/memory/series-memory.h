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
    // A block's plan state (runtime/interpreter/interp-plan.h): evaluated
    // once, planned, or both: nothing to plan.
    kFlagPlanSeen = 0x40,
    kFlagPlanned = 0x80,
    kFlagOwned = 0x20000,
    // A byte series whose data names nodes (hash records, chain lists): the
    // collector reads the used part of one the machine stack holds.
    kFlagHoldsNodes = 0x40000,
    kFlagFixed = 0x100000,
    kFlagBig = 0x1000000,
    kFlagLibrary = 0x2000000, // a block of the boot data (see function_make_compiled)
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
// The first node frame and series frame, once the datatypes are registered.
void memory_first_frames();

// Counts the series moved to a larger buffer; a cache of addresses in
// buffers holds while it stands still (and no collection ran).
extern uint32_t g_buffer_moves;

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

void memory_fill(uint8_t* start, uint8_t* end, uint8_t byte);

// Cells at a cell buffer's tail.
Cell* series_alloc_tail_cell(SeriesBuf* buf);
uint8_t* series_reserve_tail(SeriesBuf* buf, uint32_t n);
// Fills count units from the first unit by repeated doubling copies.
uint8_t* memory_repeat_fill(uint8_t* buffer, uint32_t unit, uint32_t count);

} // namespace xel
