// The conservative scan of the machine stack. Every aligned 32-bit word from
// the scanner's own frame up to the stack base (callee-saved registers are
// spilled into the frames first) is taken as a possible arena offset; the
// arena's base is 4 GiB-aligned, so the low half of a pointer into it is its
// offset. A word naming a live node keeps that series; a word inside a series
// buffer keeps and pins the buffer; a word inside a big block keeps it. Byte
// series kept this way that hold nodes of their own (hash records, chain
// lists) are read the same way.
#include <pthread.h>

#if defined(__SANITIZE_ADDRESS__)
#define XEL_ADDRESS_SANITIZER 1
#include <sanitizer/asan_interface.h>
#else
#define XEL_ADDRESS_SANITIZER 0
#endif

#include <algorithm>
#include <unordered_set>

#include "runtime/core/runtime-record.h"
#include "runtime/memory/collector-internal.h"

namespace xel::gc {

namespace {

struct Range {
    Offset low;
    Offset high;
    bool holds(Offset w) const { return w >= low && w < high; }
};

// From the lowest frame to the end of the highest: the first page of the
// arena is never mapped, so small integers below it are skipped too.
Range memory_range() {
    Range r{~Offset{0}, 0};
    auto widen = [&](Offset low, Offset high) {
        r.low = std::min(r.low, low);
        r.high = std::max(r.high, high);
    };
    for (Offset f : g_state.node_frames)
        widen(f, f + sizeof(NodeFrame) + 4 * at<NodeFrame>(f)->capacity);
    for (Offset f : g_state.series_frames)
        widen(f, at<SeriesFrame>(f)->free);
    for (Offset b : g_state.big_blocks)
        widen(b, b + sizeof(BigBlock) + at<BigBlock>(b)->size);
    return r;
}

Range node_range() {
    if (g_state.node_frames.empty()) return Range{0, 0};
    Offset last = g_state.node_frames.back();
    return Range{g_state.node_frames.front(),
                 last + static_cast<Offset>(sizeof(NodeFrame)) + 4 * at<NodeFrame>(last)->capacity};
}

uintptr_t stack_top_of_thread() {
    pthread_attr_t attr;
    uintptr_t top = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* low = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attr, &low, &size) == 0)
            top = reinterpret_cast<uintptr_t>(low) + size;
        pthread_attr_destroy(&attr);
    }
    return top;
}

// Under the address sanitizer, whether a stack word lies in a redzone of a
// live frame (or in a local out of scope). The program never writes there, nor
// the sanitizer all of it, so it holds what an earlier call left: a frame
// where one of the same function sat before keeps that however deep the calls
// between went, and a stale word naming a node would keep a dead series.
bool in_redzone([[maybe_unused]] uintptr_t p) {
#if XEL_ADDRESS_SANITIZER
    return __asan_region_is_poisoned(reinterpret_cast<void*>(p), 4) != nullptr;
#else
    return false;
#endif
}

// Reads the stack as words (with no_sanitize_address: redzones lie among
// them), skipping the sanitizer's redzones, which hold no value of the program.
[[gnu::noinline, gnu::no_sanitize_address]] void read_words(uintptr_t low, uintptr_t high,
                                                            Range range, std::vector<Offset>& out) {
    for (uintptr_t p = (low + 3) & ~uintptr_t{3}; p + 4 <= high; p += 4) {
        Offset w = *reinterpret_cast<const volatile uint32_t*>(p);
        if (range.holds(w) && !in_redzone(p)) out.push_back(w);
    }
}

// Runs below every frame it scans, the collector's callers' included. Its
// frame address is on the machine stack even where a sanitizer moves locals
// elsewhere.
[[gnu::noinline]] void read_stack_from_here(Range range, std::vector<Offset>& out) {
    auto low = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (!g_runtime.stack_base) g_runtime.stack_base = stack_top_of_thread();
    read_words(low, g_runtime.stack_base, range, out);
}

// Callee-saved registers may hold the only copy of a reference: they are
// spilled into this frame, which the scan covers.
[[gnu::noinline]] void read_stack_and_registers(Range range, std::vector<Offset>& out) {
    __builtin_unwind_init();
    read_stack_from_here(range, out);
}

// Keeps the buffers holding the words (sorted, inside series frames): each
// such buffer is pinned; one in use keeps its node, a buffer that expansion
// left behind keeps the cells it had.
void pin_buffers(const std::vector<Offset>& words) {
    size_t i = 0;
    while (i < words.size()) {
        Offset f = series_frame_of(words[i]);
        const auto* frame = at<SeriesFrame>(f);
        Offset b = f + sizeof(SeriesFrame);
        while (i < words.size() && words[i] < frame->free) {
            auto* buf = at<SeriesBuf>(b);
            Offset end = b + buf->size + kBufferOverhead;
            if (words[i] < end) {
                g_state.pinned.push_back(b);
                if ((buf->flags & kFlagInUse) && buf->node)
                    g_state.stack_nodes.push_back(buf->node);
                else if (buf->unit() == sizeof(Cell))
                    mark_cells_later(buf);
                while (i < words.size() && words[i] < end)
                    i++;
            }
            b = end;
        }
    }
}

void keep_big_block(Offset block) {
    auto* buf = at<SeriesBuf>(block + sizeof(BigBlock));
    if ((buf->flags & kFlagInUse) && buf->node) {
        g_state.stack_nodes.push_back(buf->node);
    } else if (!(buf->flags & kFlagMark)) {
        buf->flags |= kFlagMark;
        if (buf->unit() == sizeof(Cell)) mark_cells_later(buf);
    }
}

// Adds the nodes named in the used part of the byte series among the stack's
// nodes that hold nodes, and in those they name, once each. Other byte series
// (strings, binaries, vectors) hold no references and are never read, so a
// collection costs nothing for their size.
void follow_byte_series() {
    Range nodes = node_range();
    std::unordered_set<Offset> seen(g_state.stack_nodes.begin(), g_state.stack_nodes.end());
    for (size_t k = 0; k < g_state.stack_nodes.size(); k++) {
        const SeriesBuf* b = live_buffer(g_state.stack_nodes[k]);
        if (!b || !(b->flags & kFlagHoldsNodes) || b->unit() == sizeof(Cell)) continue;
        Offset end = std::min(b->tail, b->data_end());
        for (Offset p = std::max(b->head, b->data()); p + 4 <= end; p += 4) {
            Offset w = *at<Offset>(p);
            if (nodes.holds(w) && live_buffer(w) && seen.insert(w).second)
                g_state.stack_nodes.push_back(w);
        }
    }
}

} // namespace

void scan_machine_stack() {
    static std::vector<Offset> words;
    words.clear();
    read_stack_and_registers(memory_range(), words);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());

    std::vector<Offset> inside_buffers;
    for (Offset w : words) {
        if (node_frame_of(w)) {
            if (live_buffer(w)) g_state.stack_nodes.push_back(w);
        } else if (series_frame_of(w)) {
            inside_buffers.push_back(w);
        } else if (Offset block = big_block_of(w)) {
            keep_big_block(block);
        }
    }
    pin_buffers(inside_buffers);
    follow_byte_series();
}

void mark_stack_references() {
    for (Offset node : g_state.stack_nodes) {
        Offset slot = node;
        collector_mark_block_node(&slot);
    }
}

} // namespace xel::gc
