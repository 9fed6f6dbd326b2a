// Shared helpers of the collector tests.
//
// The collector scans the machine stack from its own frame up to
// g_runtime.stack_base. A test that calls runtime_init directly sets that
// base itself: the fixture takes the top of SetUp's frame (its frame address
// plus the saved frame pointer and return address). gtest calls the test
// body from the same frame as SetUp, so the body's frame starts there too and
// everything it calls lies below; gtest's own frames, whose heap pointers
// could pass for arena offsets, stay out of the scan. The base never passes
// the top of the thread's stack (pthread_getattr_np).
//
// The scan is conservative: a node or buffer address left in any stack slot
// keeps its series. Tests that expect a series to die make and drop it inside
// noinline helpers, remember it only in globals (never scanned), and wipe the
// dead stack below them before collecting.
#pragma once
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <climits>
#include <string>

#include "runtime/actions/dispatch.h"
#include "runtime/core/runtime-record.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "runtime/memory/series-memory-internal.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel::test {

// The saved frame pointer and the return address above a frame address.
constexpr uintptr_t kStackBaseMargin = 16;

inline uintptr_t this_thread_stack_top() {
    pthread_attr_t attr;
    void* low = nullptr;
    size_t size = 0;
    pthread_getattr_np(pthread_self(), &attr);
    pthread_attr_getstack(&attr, &low, &size);
    pthread_attr_destroy(&attr);
    return reinterpret_cast<uintptr_t>(low) + size;
}

// Overwrites the stack below the caller, where dead frames left addresses;
// uninstrumented, so that no sanitizer redzone inside the area is skipped.
[[gnu::noinline, gnu::no_sanitize_address]] inline void scrub_stack() {
    volatile uint8_t area[256 * 1024];
    for (auto& b : area)
        b = 0;
}

// Inlined, so that the wiped area starts right below the caller's frame and
// covers every frame its earlier callees left.
[[gnu::always_inline]] inline void collect_clean() {
    scrub_stack();
    collector_collect();
}

inline NodeFrame* frame_of_node(Offset node) {
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next) {
        auto* f = at<NodeFrame>(o);
        if (node >= f->node_at(0) && node < f->node_at(f->capacity)) return f;
    }
    return nullptr;
}

// Whether the node is on its frame's free list (or its frame is gone).
inline bool node_is_free(Offset node) {
    NodeFrame* f = frame_of_node(node);
    if (!f) return true;
    for (Offset n = f->free_head; n; n = *at<Offset>(n))
        if (n == node) return true;
    return false;
}

inline uint32_t node_frame_count() {
    uint32_t n = 0;
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next)
        n++;
    return n;
}

// What must hold after any collection: every frame walks buffer by buffer to
// its free pointer, no buffer keeps a mark, and each buffer in use and its
// node name each other. Answers the first fault found, or "".
inline std::string heap_fault() {
    for (Offset f = g_memory.first_series_frame; f; f = at<SeriesFrame>(f)->next) {
        const auto* frame = at<SeriesFrame>(f);
        Offset b = f + sizeof(SeriesFrame);
        while (b < frame->free) {
            const auto* buf = at<SeriesBuf>(b);
            if (buf->flags & kFlagMark) return "marked buffer at " + std::to_string(b);
            if ((buf->flags & kFlagInUse) && buf->node && *at<Offset>(buf->node) != b)
                return "node of buffer " + std::to_string(b) + " names another";
            b += buf->size + kBufferOverhead;
        }
        if (b != frame->free) return "frame " + std::to_string(f) + " walks past its free pointer";
    }
    for (Offset o = g_memory.first_big; o; o = at<BigBlock>(o)->next)
        if (at<SeriesBuf>(o + sizeof(BigBlock))->flags & kFlagMark) return "marked big block";
    return "";
}

class CollectorFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        g_runtime.stack_base =
            std::min(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) + kStackBaseMargin,
                     this_thread_stack_top());
        runtime_init();
        g_boot_recording = false;
        g_collector_torture = false;
        stack_push_cell();
    }
    void TearDown() override { g_collector_enabled = false; }
};

// Evaluates code at the top level and answers the mold of its value; out of
// line, so the caller's frame keeps none of the values it made.
[[gnu::noinline]] inline std::string eval(const std::string& code) {
    Cell* source = string_load(reinterpret_cast<const uint8_t*>(code.data()),
                               static_cast<uint32_t>(code.size()), 0);
    Cell text = *source;
    Cell block;
    lexer_load_string(&block, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    stack_reset();
    if (interp_eval_block(&block, true).exit_pending()) exit_take();
    Cell value = *stack_arguments();
    Cell out;
    string_make_at(&out, 64);
    actions_mold_typed(&value, &out, false, false, false, nullptr, INT_MAX, 0);
    return string_utf8_text(&out);
}

} // namespace xel::test
