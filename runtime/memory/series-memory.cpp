#include "runtime/memory/series-memory-internal.h"

#include <cstring>

#include "platform/os/virtual-memory.h"
#include "runtime/core/runtime-record.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/constants.h"
#include "runtime/error-fire.h"
#include "runtime/memory/collector-hook.h"

namespace xel {

uint32_t g_buffer_moves = 0;

MemoryRecord g_memory{};

namespace {

// Sizes beyond this cannot be a buffer in the arena; they are refused as
// exhaustion before any arithmetic can wrap.
constexpr uint64_t kMaxBufferBytes = 0xF0000000u;

[[noreturn]] void no_memory() {
    error_fire(kCatInternal, err::internal::kNoMemory);
}

SeriesBuf* place_in_frame(SeriesFrame* frame, uint32_t need) {
    auto* buf = at<SeriesBuf>(frame->free);
    frame->free += need;
    return buf;
}

bool fits(const SeriesFrame* f, uint32_t need) {
    return static_cast<uint64_t>(f->free) + need < f->end;
}

// The data size of a buffer for so many bytes: whole 16-byte lines, and one
// for an empty buffer, so doubling it can grow.
uint32_t data_size_for(uint32_t bytes) {
    return bytes ? align_up(bytes, 16) : 16;
}

} // namespace

void memory_init() {
    arena_init();
    g_memory = MemoryRecord{};
    g_memory.initial_frame_size = kFrameSizeInitial;
    g_memory.next_frame_size = kFrameSizeInitial;
    g_memory.max_frame_size = kFrameSizeMax;
}

void memory_first_frames() {
    new_node_frame(kNodeFrameCapacity);
    new_series_frame();
}

// The OS block for size bytes, or 0 when the system refuses it.
Offset try_os_alloc(uint32_t size, bool executable) {
    uint64_t want = (static_cast<uint64_t>(size) + 4 + kPageSize - 1) & ~uint64_t{kPageSize - 1};
    if (want > kMaxBufferBytes) no_memory();
    auto total = static_cast<uint32_t>(want);
    Offset block = 0;
    if (catch_at(kCatchMemory, [&] { block = os_virtual_alloc(total, executable); })) {
        g_runtime.pending_throw = 0;
        return 0;
    }
    g_memory.os_bytes += total;
    *at<uint32_t>(block) = total;
    return block + 4;
}

Offset os_alloc(uint32_t size, bool executable) {
    Offset o = try_os_alloc(size, executable);
    if (!o) no_memory();
    return o;
}

void os_free(Offset address) {
    Offset block = address - 4;
    g_memory.os_bytes -= *at<uint32_t>(block);
    if (catch_at(kCatchMemory, [&] { os_virtual_free(block); })) {
        g_runtime.pending_throw = 0;
        error_fire(kCatInternal, err::internal::kWrongMem);
    }
}

bool collection_due() {
    uint32_t live = g_memory.live_after_collection;
    return live < kLiveHeapForBudget || g_memory.grown_since_collection >= live / 2;
}

void note_collection_done() {
    uint32_t live = 0;
    for (Offset o = g_memory.first_series_frame; o; o = at<SeriesFrame>(o)->next)
        live += at<SeriesFrame>(o)->free - o - sizeof(SeriesFrame);
    g_memory.live_after_collection = live;
    g_memory.grown_since_collection = 0;
}

SeriesFrame* new_series_frame() {
    SeriesFrame* f = try_new_series_frame();
    if (!f) no_memory();
    return f;
}

SeriesFrame* try_new_series_frame() {
    uint32_t data = g_memory.next_frame_size;
    Offset o = try_os_alloc(data + sizeof(SeriesFrame), false);
    if (!o) return nullptr;
    g_memory.grown_since_collection += data;
    if (data < g_memory.max_frame_size) g_memory.next_frame_size = data * 2;
    auto* f = at<SeriesFrame>(o);
    f->size = data + sizeof(SeriesFrame);
    f->free = o + sizeof(SeriesFrame);
    f->end = o + f->size;
    f->next = f->prev = 0;

    // Kept in ascending address order: compaction slides within frames and
    // the collector finds a frame by binary search.
    if (!g_memory.first_series_frame) {
        g_memory.first_series_frame = g_memory.last_series_frame = o;
        g_memory.current_series_frame = o;
        return f;
    }
    Offset next = g_memory.first_series_frame;
    while (next && next < o)
        next = at<SeriesFrame>(next)->next;
    if (next) {
        auto* n = at<SeriesFrame>(next);
        f->next = next;
        f->prev = n->prev;
        if (n->prev)
            at<SeriesFrame>(n->prev)->next = o;
        else
            g_memory.first_series_frame = o;
        n->prev = o;
    } else {
        f->prev = g_memory.last_series_frame;
        at<SeriesFrame>(g_memory.last_series_frame)->next = o;
        g_memory.last_series_frame = o;
    }
    return f;
}

SeriesFrame* find_series_frame(uint32_t need) {
    for (Offset o = g_memory.first_series_frame; o; o = at<SeriesFrame>(o)->next) {
        auto* f = at<SeriesFrame>(o);
        if (fits(f, need) && f->end - f->free >= kFrameMinRoom) return f;
    }
    return nullptr;
}

void release_series_frame(SeriesFrame* f) {
    Offset o = offset_of(f);
    if (f->prev)
        at<SeriesFrame>(f->prev)->next = f->next;
    else
        g_memory.first_series_frame = f->next;
    if (f->next)
        at<SeriesFrame>(f->next)->prev = f->prev;
    else
        g_memory.last_series_frame = f->prev;
    if (g_memory.current_series_frame == o)
        g_memory.current_series_frame = g_memory.last_series_frame;
    os_free(o);
}

SeriesBuf* alloc_buffer(uint32_t count, uint32_t unit, int32_t head_offset) {
    uint64_t bytes = static_cast<uint64_t>(count) * unit;
    if (bytes > kMaxBufferBytes) no_memory();
    uint32_t size = data_size_for(static_cast<uint32_t>(bytes));
    uint32_t need = size + kBufferOverhead;

    collect_for_torture();
    SeriesBuf* buf;
    uint32_t big = 0;
    if (need >= g_memory.max_frame_size) {
        collect_if_enabled();
        Offset o = os_alloc(need + sizeof(BigBlock), false);
        auto* block = at<BigBlock>(o);
        block->next = block->prev = 0;
        block->size = need;
        if (!g_memory.first_big) {
            g_memory.first_big = o;
        } else {
            Offset last = g_memory.first_big;
            while (at<BigBlock>(last)->next)
                last = at<BigBlock>(last)->next;
            at<BigBlock>(last)->next = o;
        }
        buf = at<SeriesBuf>(o + sizeof(BigBlock));
        big = kFlagBig;
    } else {
        auto* cur = at<SeriesFrame>(g_memory.current_series_frame);
        if (!g_memory.current_series_frame || !fits(cur, need)) {
            // A new frame only once a collection could not make room: frames
            // each left with a little room must not grow memory without end.
            cur = find_series_frame(need);
            bool collected = false;
            if (!cur && collection_due()) {
                collect_if_enabled();
                collected = true;
                cur = find_series_frame(need);
            }
            if (!cur) {
                if (need >= g_memory.next_frame_size)
                    g_memory.next_frame_size = g_memory.max_frame_size;
                cur = try_new_series_frame();
                // Past the growth budget's skip, a refused frame still gets
                // the collection that might make room.
                if (!cur && !collected) {
                    collect_if_enabled();
                    cur = find_series_frame(need);
                }
                if (!cur) cur = new_series_frame();
            }
            g_memory.current_series_frame = offset_of(cur);
        }
        buf = place_in_frame(cur, need);
    }

    buf->size = size;
    buf->flags = unit | kFlagInUse | kFlagAllocated | big;
    buf->node = 0;
    buf->head = buf->data();
    if (head_offset < 0) {
        buf->head += size / 2;
        buf->flags |= kFlagHeadSpace;
    } else {
        buf->head += static_cast<uint32_t>(head_offset);
    }
    buf->tail = buf->head;
    return buf;
}

Offset alloc_series(uint32_t count, uint32_t unit, int32_t head_offset) {
    SeriesBuf* buf = alloc_buffer(count, unit, head_offset);
    Offset node = take_node();
    *at<Offset>(node) = offset_of(buf);
    buf->node = node;
    return node;
}

Offset alloc_cells(uint32_t n) {
    return alloc_series(n, 16, 0);
}

Offset alloc_unset_cells(uint32_t n) {
    Offset node = alloc_cells(n);
    SeriesBuf* buf = buffer_of(node);
    auto* c = at<Cell>(buf->data());
    for (uint32_t i = 0; i < buf->size / 16; i++)
        set_unset(&c[i]);
    return node;
}

Offset alloc_bytes(uint32_t n) {
    return alloc_series(n, 1, 0);
}

Offset alloc_units(uint32_t n, uint32_t unit) {
    return alloc_series(n, unit, 0);
}

Offset alloc_bytes_filled(uint32_t n, uint8_t byte) {
    Offset node = alloc_bytes(n);
    SeriesBuf* buf = buffer_of(node);
    std::memset(at(buf->data()), byte, buf->size);
    return node;
}

Offset alloc_fixed(uint32_t count, uint32_t unit, int32_t head_offset) {
    // Fixed buffers must still be reachable by a 32-bit node, so they are
    // whole blocks of the arena rather than C heap; they are never moved.
    uint64_t bytes = static_cast<uint64_t>(count) * unit;
    if (bytes > kMaxBufferBytes) no_memory();
    uint32_t size = bytes ? align_up(static_cast<uint32_t>(bytes), 16) : 16;
    auto* buf = at<SeriesBuf>(os_alloc(size + sizeof(SeriesBuf), false));
    buf->flags = unit | kFlagInUse | kFlagAllocated | kFlagFixed;
    buf->size = size;
    buf->head = buf->data() + (head_offset < 0 ? size / 2 : static_cast<uint32_t>(head_offset));
    if (head_offset < 0) buf->flags |= kFlagHeadSpace;
    buf->tail = buf->head;
    Offset node = take_node();
    *at<Offset>(node) = offset_of(buf);
    buf->node = node;
    return node;
}

void series_or_flags(Offset node, uint32_t bits) {
    buffer_of(node)->flags |= bits;
}

namespace {

// Moves the series to a larger buffer; *moved_old receives where the old
// buffer stands afterwards (a collection during the allocation may move it).
SeriesBuf* expand(SeriesBuf* old, int64_t new_size, SeriesBuf** moved_old) {
    if (new_size == 0) new_size = int64_t{old->size} * 2;
    if (new_size <= 0 || static_cast<uint64_t>(new_size) > kMaxBufferBytes) no_memory();
    Offset node = old->node;
    uint32_t unit = old->unit();
    SeriesBuf* buf = alloc_buffer(static_cast<uint32_t>(new_size) / unit, unit, 0);
    // The allocation may have collected and moved the old buffer.
    old = buffer_of(node);
    *at<Offset>(node) = offset_of(buf);
    g_buffer_moves++;
    // Location flags describe where the new buffer lives, not the old one.
    buf->flags = (old->flags & ~(kFlagBig | kFlagHeadSpace | kFlagFixed)) | (buf->flags & kFlagBig);
    buf->node = node;
    buf->tail = buf->head + (old->tail - old->head);
    old->node = 0;
    old->flags &= ~kFlagInUse;
    *moved_old = old;
    return buf;
}

} // namespace

SeriesBuf* expand_series(SeriesBuf* old, int64_t new_size) {
    SeriesBuf* moved;
    return expand(old, new_size, &moved);
}

namespace {

// The last buffer of the current frame, its head at its data, takes the room
// after it when the frame has it: no copy, and no dead copy left for the
// collector, so a series growing at a frame's end (a string built by appends)
// neither copies itself nor fills frames that must then be collected. Null
// when the buffer cannot grow where it stands.
SeriesBuf* grow_in_place(SeriesBuf* buf, int64_t new_size) {
    if (new_size == 0) new_size = int64_t{buf->size} * 2;
    if (new_size <= buf->size || static_cast<uint64_t>(new_size) > kMaxBufferBytes) return nullptr;
    if (buf->flags & (kFlagBig | kFlagFixed | kFlagHeadSpace) || buf->head != buf->data())
        return nullptr;
    if (!g_memory.current_series_frame) return nullptr;
    auto* frame = at<SeriesFrame>(g_memory.current_series_frame);
    if (offset_of(buf) + kBufferOverhead + buf->size != frame->free) return nullptr;
    uint32_t unit = buf->unit();
    uint32_t size = data_size_for(static_cast<uint32_t>(new_size) / unit * unit);
    if (size <= buf->size || !fits(frame, size - buf->size)) return nullptr;
    frame->free += size - buf->size;
    buf->size = size;
    return buf;
}

} // namespace

SeriesBuf* expand_series_copy(SeriesBuf* buf, int64_t new_size) {
    if (SeriesBuf* grown = grow_in_place(buf, new_size)) return grown;
    SeriesBuf* old;
    SeriesBuf* fresh = expand(buf, new_size, &old);
    uint32_t bytes = old->size;
    uint32_t to_end = old->data_end() - old->head;
    if (bytes > to_end) bytes = to_end;
    if (bytes > fresh->size) bytes = fresh->size;
    std::memcpy(at(fresh->head), at(old->head), bytes);
    return fresh;
}

SeriesBuf* expand_series_filled(SeriesBuf* buf, int64_t new_size, uint8_t byte) {
    uint32_t old_size = buf->size;
    SeriesBuf* fresh = expand_series_copy(buf, new_size);
    if (fresh->size > old_size)
        std::memset(at(fresh->head + old_size), byte, fresh->data_end() - (fresh->head + old_size));
    return fresh;
}

Offset copy_series(SeriesBuf* old) {
    Offset old_node = old->node;
    uint32_t size = old->size;
    Offset node = alloc_bytes(size);
    old = buffer_of(old_node);
    SeriesBuf* buf = buffer_of(node);
    buf->flags = (old->flags & ~(kFlagBig | kFlagHeadSpace | kFlagFixed | kFlagMark)) |
                 (buf->flags & kFlagBig);
    buf->tail = buf->head + (old->tail - old->head);
    uint32_t bytes = size;
    uint32_t to_end = old->data_end() - old->head;
    if (bytes > to_end) bytes = to_end;
    if (bytes) std::memcpy(at(buf->head), at(old->head), bytes);
    return node;
}

NodeFrame* new_node_frame(uint32_t capacity) {
    Offset o = os_alloc(sizeof(NodeFrame) + 4 * capacity, false);
    auto* f = at<NodeFrame>(o);
    *f = NodeFrame{0, 0, capacity, 0, 0, g_collection_count, 0, 0, 0};
    if (!g_memory.first_node_frame) {
        g_memory.first_node_frame = g_memory.current_node_frame = o;
    } else {
        f->prev = g_memory.last_node_frame;
        at<NodeFrame>(g_memory.last_node_frame)->next = o;
    }
    g_memory.last_node_frame = o;
    // Threaded in ascending address order.
    auto* slots = at<Offset>(f->node_at(0));
    for (uint32_t i = 0; i + 1 < capacity; i++)
        slots[i] = f->node_at(i + 1);
    if (capacity) {
        slots[capacity - 1] = 0;
        f->free_head = f->node_at(0);
    }
    return f;
}

void release_node_frame(NodeFrame* f) {
    Offset o = offset_of(f);
    if (f->prev)
        at<NodeFrame>(f->prev)->next = f->next;
    else
        g_memory.first_node_frame = f->next;
    if (f->next)
        at<NodeFrame>(f->next)->prev = f->prev;
    else
        g_memory.last_node_frame = f->prev;
    if (g_memory.current_node_frame == o) g_memory.current_node_frame = g_memory.last_node_frame;
    os_free(o);
}

Offset pop_free_node(NodeFrame* f) {
    Offset node = f->free_head;
    f->free_head = *at<Offset>(node);
    *at<Offset>(node) = 0;
    f->used++;
    return node;
}

NodeFrame* first_node_frame_with_room() {
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next) {
        auto* f = at<NodeFrame>(o);
        if (f->free_head && !f->release) return f;
    }
    return nullptr;
}

Offset take_node() {
    auto* f = at<NodeFrame>(g_memory.current_node_frame);
    if (!g_memory.current_node_frame || !f->free_head) {
        f = first_node_frame_with_room();
        if (!f) f = new_node_frame(kNodeFrameCapacity);
        g_memory.current_node_frame = offset_of(f);
    }
    return pop_free_node(f);
}

void give_back_node(NodeFrame* f, Offset node) {
    *at<Offset>(node) = f->free_head;
    f->free_head = node;
    f->used--;
}

void sweep_node_frames() {
    bool current_chosen = false;
    Offset o = g_memory.first_node_frame;
    while (o) {
        auto* f = at<NodeFrame>(o);
        Offset next = f->next;
        if (f->used == 0 || f->release) {
            release_node_frame(f);
        } else {
            if (!current_chosen && f->used < f->capacity) {
                g_memory.current_node_frame = o;
                current_chosen = true;
            }
            f->history = (f->history << 1) | (f->used == f->prev_used ? 1u : 0u);
            f->prev_used = f->used;
        }
        o = next;
    }
}

void free_big_block(SeriesBuf* buf) {
    Offset block = offset_of(buf) - sizeof(BigBlock);
    Offset prev = 0;
    for (Offset o = g_memory.first_big; o; prev = o, o = at<BigBlock>(o)->next) {
        if (o != block) continue;
        if (prev)
            at<BigBlock>(prev)->next = at<BigBlock>(o)->next;
        else
            g_memory.first_big = at<BigBlock>(o)->next;
        os_free(o);
        return;
    }
}

void sweep_big_blocks(void (*dead_node)(Offset node)) {
    Offset prev = 0;
    Offset o = g_memory.first_big;
    while (o) {
        auto* block = at<BigBlock>(o);
        Offset next = block->next;
        auto* buf = at<SeriesBuf>(o + sizeof(BigBlock));
        if (!(buf->flags & kFlagMark)) {
            if ((buf->flags & kFlagInUse) && buf->node) dead_node(buf->node);
            if (prev)
                at<BigBlock>(prev)->next = next;
            else
                g_memory.first_big = next;
            os_free(o);
        } else {
            buf->flags &= ~kFlagMark;
            prev = o;
        }
        o = next;
    }
}

void memory_fill(uint8_t* start, uint8_t* end, uint8_t byte) {
    if (end > start) std::memset(start, byte, end - start);
}

Cell* series_alloc_tail_cell(SeriesBuf* buf) {
    if (buf->tail >= buf->data_end()) buf = expand_series_copy(buf, 0);
    auto* c = at<Cell>(buf->tail);
    c->header = T_UNSET;
    buf->tail += sizeof(Cell);
    return c;
}

uint8_t* series_reserve_tail(SeriesBuf* buf, uint32_t n) {
    if (static_cast<uint64_t>(buf->tail) + n > buf->data_end())
        buf = expand_series_copy(buf, n > buf->size ? int64_t{n} * 2 : int64_t{buf->size} * 2);
    uint8_t* old_tail = at(buf->tail);
    buf->tail += n;
    return old_tail;
}

uint8_t* memory_repeat_fill(uint8_t* buffer, uint32_t unit, uint32_t count) {
    uint64_t total = uint64_t{unit} * count;
    uint64_t filled = count ? unit : 0;
    while (filled && total - filled >= filled) {
        std::memcpy(buffer + filled, buffer, filled);
        filled *= 2;
    }
    if (total > filled) std::memcpy(buffer + filled, buffer, total - filled);
    return buffer + total;
}

} // namespace xel
