// The argument stack of value cells and the call-frame stack. Every call
// passes its arguments on the first and records itself on the second; the
// first cell of the current frame (stack_arguments) is the call's result slot.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kArgStackCells = 20000;
constexpr uint32_t kCallStackCells = 15000; // room for 12,000 frames
constexpr uint32_t kCallFrameCapacity = 12000;

// Five words; every address is an arena offset.
struct CallFrame {
    uint32_t header;   // symbol << 8 | kind << 24 | flags
    Offset saved_base; // the caller's frame base (a cell of the argument stack)
    Offset word_ctx;   // context node of the called word
    Offset func_ctx;   // the called function's own context node, or 0
    Offset saved_values;
};
static_assert(sizeof(CallFrame) == 20);

enum FrameKind : uint32_t {
    kFrameFunction = 1,
    kFrameNative = 2,
    kFrameTry = 4,
    kFrameTryAll = 5,
    kFrameCatch = 6,
    kFrameEval = 7,
    kFrameLoop = 8,
};
constexpr uint32_t kFrameExitTarget = 1u << 28;
constexpr uint32_t kFrameInterpreted = 1u << 31;

inline uint32_t frame_kind(const CallFrame* f) {
    return (f->header >> 24) & 15;
}
inline uint32_t frame_symbol(const CallFrame* f) {
    return (f->header >> 8) & 0xFFFF;
}

extern Cell* g_stack_base;
extern Cell* g_stack_end;
extern Cell* g_stack_args; // the current frame base
extern Cell* g_stack_top;  // one past the last cell in use
extern CallFrame* g_frames_base;
extern CallFrame* g_frames_end;
extern CallFrame* g_frames_top;

// Points the stacks at their buffers (cell arrays in the arena) and empties them.
void stack_init(Cell* cells, uint32_t cell_count, CallFrame* frames, uint32_t frame_count);

// Moves the top back five cells, empties the cycle stack, raises internal stack-overflow.
[[noreturn]] void stack_overflow();

inline Cell* stack_arguments() {
    return g_stack_args;
}

inline Cell* stack_push_cell() {
    Cell* c = g_stack_top++;
    if (g_stack_top >= g_stack_end) [[unlikely]]
        stack_overflow();
    return c;
}
inline Cell* stack_push(const Cell* value) {
    Cell* c = stack_push_cell();
    *c = *value;
    return c;
}
inline void stack_pop(uint32_t n) {
    g_stack_top =
        (static_cast<uint32_t>(g_stack_top - g_stack_base) < n) ? g_stack_base : g_stack_top - n;
}
inline Cell* stack_top() {
    return g_stack_top > g_stack_base ? g_stack_top - 1 : g_stack_base;
}
inline void stack_reset() {
    g_stack_top = g_stack_args;
}
inline void stack_keep() {
    g_stack_top = g_stack_args + 1;
}
inline Cell* stack_set_last(const Cell* value) {
    *g_stack_args = *value;
    return g_stack_args;
}
inline Cell* stack_set_last_keep(const Cell* value) {
    *g_stack_args = *value;
    g_stack_top = g_stack_args + 1;
    return g_stack_args;
}

} // namespace xel
