#include "runtime/stack/stack.h"

#include "runtime/error-fire.h"
#include "runtime/memory/collector.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/exits.h"

namespace xel {

Cell* g_stack_base = nullptr;
Cell* g_stack_end = nullptr;
Cell* g_stack_args = nullptr;
Cell* g_stack_top = nullptr;
CallFrame* g_frames_base = nullptr;
CallFrame* g_frames_end = nullptr;
CallFrame* g_frames_top = nullptr;
uint32_t g_pending_exit = 0;

namespace {

// The argument stack's cells, what the call frames name, the frameless error.
void mark_roots() {
    collector_mark_cells(g_stack_base, g_stack_top);
    stack_mark_frames([](Offset ctx) { collector_mark_context(&ctx); },
                      [](Offset node) { collector_mark_block_node(&node); });
    collector_mark_cells(&g_frameless_error, &g_frameless_error + 1);
}

} // namespace

void stack_init(Cell* cells, uint32_t cell_count, CallFrame* frames, uint32_t frame_count) {
    g_stack_base = g_stack_args = g_stack_top = cells;
    g_stack_end = cells + cell_count;
    g_frames_base = g_frames_top = frames;
    g_frames_end = frames + frame_count;
    g_pending_exit = 0;
    g_throw_origin = nullptr;
    collector_add_root_callback(mark_roots);
}

void stack_overflow() {
    g_stack_top -= 5;
    if (g_stack_top < g_stack_base) g_stack_top = g_stack_base;
    cycles_reset();
    error_fire(kCatInternal, err::internal::kStackOverflow);
}

} // namespace xel
