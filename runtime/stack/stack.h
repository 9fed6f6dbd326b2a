// The argument stack of value cells and the call-frame stack. Every call
// passes its arguments on the first and records itself on the second; the
// first cell of the current frame (stack_arguments) is the call's result slot.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/datatypes/context/context-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/invariant.h"
#include "runtime/memory/series-memory.h"

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

inline uint8_t stack_top_type() {
    return type_of(stack_top());
}

// stack_revert: when the last cell is an error! it becomes the result; then
// only the result slot stays (try, attempt and compiled catch points).
void stack_revert();

// Frame position helpers.
inline uint32_t frame_position(const CallFrame* f) {
    return static_cast<uint32_t>(f - g_frames_base);
}
inline Cell* frame_saved_base(const CallFrame* f) {
    return at<Cell>(f->saved_base);
}
// The frame base that was current while f was the top frame.
Cell* frame_own_base(const CallFrame* f);

// Frame header values of the pushers.
constexpr uint32_t kHeaderFunction = 0x01000000;
constexpr uint32_t kHeaderNative = 0x02000000;
constexpr uint32_t kHeaderTry = 0x04000000;
constexpr uint32_t kHeaderTryAll = 0x05000000;
constexpr uint32_t kHeaderCatch = 0x06000000;
constexpr uint32_t kHeaderEval = 0x87000000;
constexpr uint32_t kHeaderLoop = 0x08000000;
constexpr uint32_t kHeaderInterpNative = 0x82000000;
constexpr uint32_t kHeaderInterpFunc = 0x81000000;
constexpr uint32_t kHeaderCompiledFunc = 0x12000000;

// Frame pushes: word is the word cell through which the call is made (its
// symbol and context are recorded); each sets the frame base to the current
// top and returns it. A full frame stack raises internal stack-overflow.
// Pushed on every call and block evaluation, so kept inline; a full frame
// stack is stack_overflow's case. stack_mark_header takes the header with the
// name's symbol already in it (a name fixed at start-up, worked out once).
inline Cell* stack_mark_frame(uint32_t header, Offset word_ctx, Offset func_ctx,
                              Offset saved_values) {
    if (g_frames_top >= g_frames_end) [[unlikely]]
        stack_overflow();
    XEL_ASSERT(g_stack_args <= g_stack_top);
    CallFrame* f = g_frames_top++;
    f->header = header;
    f->saved_base = offset_of(g_stack_args);
    f->word_ctx = word_ctx;
    f->func_ctx = func_ctx;
    f->saved_values = saved_values;
    g_stack_args = g_stack_top;
    return g_stack_args;
}
inline Cell* stack_mark_header(uint32_t header, Offset word_ctx) {
    return stack_mark_frame(header, word_ctx, 0, 0);
}
inline uint32_t frame_name_header(const Cell* word, uint32_t header) {
    return (word ? word_symbol(word) << 8 : 0) | header;
}
inline Cell* stack_mark(const Cell* word, uint32_t header) {
    return stack_mark_header(frame_name_header(word, header), word ? word_context(word) : 0);
}
// A kind-1 frame, written once with its header (interpreted or not), the
// function context and its current values reference.
inline Cell* stack_mark_func_as(const Cell* word, Offset func_ctx, uint32_t header) {
    return stack_mark_frame(frame_name_header(word, header), word ? word_context(word) : 0,
                            func_ctx, func_ctx ? context_values_ref(func_ctx) : 0);
}
// Kind 1; records the function context and its current values reference
// (its context cell is the first of its buffer).
inline Cell* stack_mark_func(const Cell* word, Offset func_ctx) {
    return stack_mark_func_as(word, func_ctx, kHeaderFunction);
}
// Points the function context's values at the current frame base (the
// arguments the caller pushed), then pushes an exit-target native frame.
Cell* stack_mark_compiled_func(const Cell* word, Offset func_ctx);
inline Cell* stack_mark_native(const Cell* word) {
    return stack_mark(word, kHeaderNative);
}
inline Cell* stack_mark_try(const Cell* word) {
    return stack_mark(word, kHeaderTry);
}
inline Cell* stack_mark_try_all(const Cell* word) {
    return stack_mark(word, kHeaderTryAll);
}
inline Cell* stack_mark_catch(const Cell* word) {
    return stack_mark(word, kHeaderCatch);
}
inline Cell* stack_mark_eval(const Cell* word) {
    return stack_mark(word, kHeaderEval);
}
inline Cell* stack_mark_loop(const Cell* word) {
    return stack_mark(word, kHeaderLoop);
}
inline Cell* stack_mark_interp_native(const Cell* word) {
    return stack_mark(word, kHeaderInterpNative);
}
// Kind 1, interpreted; like stack_mark_func when a context is given.
inline Cell* stack_mark_interp_func(const Cell* word, Offset func_ctx) {
    return stack_mark_func_as(word, func_ctx, kHeaderInterpFunc);
}

inline CallFrame* stack_top_frame() {
    return g_frames_top - 1;
}
// Makes f the top frame (restores a saved position).
inline void stack_set_top_frame(CallFrame* f) {
    g_frames_top = f + 1;
}
// Sets or clears the exit-target bit of the top frame.
inline void stack_set_flag(bool set) {
    CallFrame* f = stack_top_frame();
    if (set)
        f->header |= kFrameExitTarget;
    else
        f->header &= ~kFrameExitTarget;
}
// Sets the interpreted bit of the top frame (apply).
void stack_set_interp_flag();
// Sets the exit-target bit of the second frame from the top and returns it;
// nullptr when that frame already has it.
CallFrame* stack_mark_exit_target();
void stack_clear_exit_target(CallFrame* f);
// True when a frame below from (below the top when nullptr) was pushed by the
// interpreter; with only_next only the next frame is looked at.
bool stack_in_interp(CallFrame* from, bool only_next);

// Frame pops: the frames top moves down one frame and the frame base goes
// back to the popped frame's saved base. "func" variants restore a kind-1
// frame's function context values.
void stack_unwind(); // top = popped frame's base (its values dropped)
// Pops the top frame and answers its base (the call's result cell); the
// top is the caller's to set.
inline Cell* stack_unwind_frame() {
    XEL_ASSERT(g_frames_top > g_frames_base);
    Cell* base = g_stack_args;
    g_stack_args = at<Cell>((--g_frames_top)->saved_base);
    return base;
}
// top = popped frame's base + 1
inline void stack_unwind_keep() {
    g_stack_top = stack_unwind_frame() + 1;
}
void stack_unwind_func();       // as unwind_keep, restoring the context
void stack_unwind_func_reset(); // top = the caller's frame base, restoring
void stack_unwind_reset();      // top = the caller's frame base
// result copied into the caller's result slot
inline void stack_unwind_last() {
    XEL_ASSERT(g_frames_top > g_frames_base);
    Cell* base = g_stack_args;
    g_stack_args = at<Cell>((--g_frames_top)->saved_base);
    *g_stack_args = *base;
    g_stack_top = base + 1;
}
void stack_unwind_func_last(); // as unwind_last, restoring the context

// Pops frames down to the nearest frame of kind (a try/all frame is a barrier
// for every unroll); the found frame stays. With inclusive its own frame base
// is current, else its caller's.
void stack_unroll(uint32_t kind, bool inclusive);
// Unrolls to kind, keeps the innermost result in the found frame's result
// slot, with the top at the found frame's base.
void stack_unroll_last(uint32_t kind);
inline void stack_unroll_loop(bool inclusive) {
    stack_unroll(kFrameLoop, inclusive);
}

// Raisers. stack_throw_error unwinds to the nearest try or try/all frame and
// throws Throw{kThrowError} with the error on the stack top; when frames are
// on the stack but none of them catches, the error is formed on standard
// error and the process ends with -2; with no frame at all it is thrown to
// the C++ catch point around the running code, stored in g_frameless_error.
[[noreturn]] void stack_throw_error(Cell* error);
extern Cell g_frameless_error;
// break (cont false) and continue; return (ret true) and exit; throw. These
// unwind to their target and set the pending exit (exits.h), then return; a
// missing target or a try/all frame on the way raises the throw-category error.
void stack_throw_break(bool has_value, bool cont);
void stack_throw_exit(bool ret, bool include_top);
void stack_throw_throw(uint32_t code);

// The frame recorded by the first stack_throw_throw, read by stack_get_call.
extern CallFrame* g_throw_origin;

// The word of the innermost named call (from the throw origin when one is
// recorded, which it clears), or the word <not-found>. Copy it before the
// next allocation.
Cell* stack_get_call();
// Unless the error's stack field holds a block!, stores there the frames-top
// position as an integer!.
void stack_error_set_where(Cell* error);
// Appends to block a word! for every named call from the frames base up to
// (not including) the frame at position end; a call is named when depth is
// above 1 or its value is a function!.
void stack_trace_where(int depth, Cell* block, uint32_t end);
// The same names formed into a string, each followed by one blank; returns
// the budget left.
int stack_trace_print(int depth, Cell* string, uint32_t end, int budget);
// Appends, from the top frame down to the one above the base, each named
// call's word and its saved frame base as a cell index.
void stack_trace(Cell* block);
// The collector's marking of the frames' contexts.
void stack_mark_frames(void (*mark_context)(Offset ctx), void (*mark_block)(Offset node));
// After node compaction: the nodes the frames hold follow the collector's map.
void stack_relocate_frames();

} // namespace xel
