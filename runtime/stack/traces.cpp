// Naming calls from the frames: where an error happened, call traces, and
// the collector's marking of the frames.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/memory/collector.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// Frames called through <body>, <anon> or no word are never named.
bool anonymous(const CallFrame* f) {
    uint32_t sym = frame_symbol(f);
    return sym == 0 || sym == word_symbol(g_word_body_marker) ||
           sym == word_symbol(g_word_anon_marker);
}

// The frame's word as ctx holds it, else the global word.
Cell* frame_word(const CallFrame* f, Offset ctx) {
    Cell probe{T_WORD, 0, frame_symbol(f), kNoIndex};
    return word_find_in_context(&probe, ctx ? ctx : g_global_context);
}

// The value of the frame's symbol in its word context (the global context for
// contexts whose values live on the stack), or nullptr when it has none.
const Cell* frame_value(const CallFrame* f) {
    Offset ctx = f->word_ctx;
    if (!ctx || (context_cell(ctx)->header & kContextStackValues)) ctx = g_global_context;
    if (!context_has_values(ctx)) return nullptr;
    int32_t i = context_find_word(ctx, frame_symbol(f), true);
    return i < 0 ? nullptr : context_value_at(ctx, static_cast<uint32_t>(i));
}

bool named_in_trace(const CallFrame* f, int depth) {
    if (anonymous(f)) return false;
    if (depth > 1) return true;
    const Cell* v = frame_value(f);
    return v && type_of(v) == T_FUNCTION;
}

CallFrame* frame_at(uint32_t position) {
    CallFrame* end = g_frames_base + position;
    return end < g_frames_top ? end : g_frames_top;
}

} // namespace

Cell* stack_get_call() {
    CallFrame* f = g_throw_origin ? g_throw_origin : g_frames_top - 1;
    g_throw_origin = nullptr;
    while (f >= g_frames_base && anonymous(f))
        f--;
    if (f < g_frames_base) return const_cast<Cell*>(g_word_not_found_marker);
    return frame_word(f, f->word_ctx);
}

void stack_error_set_where(Cell* error) {
    Cell* stack = error_field(error, kErrFieldStack);
    if (type_of(stack) == T_BLOCK) return;
    set_integer(stack, static_cast<int32_t>(frame_position(g_frames_top)));
}

void stack_trace_where(int depth, Cell* block, uint32_t end) {
    CallFrame* last = frame_at(end);
    for (CallFrame* f = g_frames_base; f < last; f++)
        if (named_in_trace(f, depth)) word_make_in(block, frame_symbol(f));
}

int stack_trace_print(int depth, Cell* string, uint32_t end, int budget) {
    CallFrame* last = frame_at(end);
    for (CallFrame* f = g_frames_base; f < last && budget > 0; f++) {
        if (!named_in_trace(f, depth)) continue;
        Cell word{T_WORD, 0, frame_symbol(f), kNoIndex};
        budget = word_form(&word, string, nullptr, budget);
        string_concatenate_literal(string, " ");
        budget--;
    }
    return budget;
}

void stack_trace(Cell* block) {
    for (CallFrame* f = g_frames_top - 1; f > g_frames_base; f--) {
        if (anonymous(f)) continue;
        Cell word = *frame_word(f, f->func_ctx);
        block_append_copy(block, &word);
        Cell index;
        set_integer(&index, static_cast<int32_t>(frame_saved_base(f) - g_stack_base));
        block_append_copy(block, &index);
    }
}

void stack_relocate_frames() {
    for (CallFrame* f = g_frames_base; f < g_frames_top; f++) {
        f->word_ctx = collector_relocated(f->word_ctx);
        f->func_ctx = collector_relocated(f->func_ctx);
        f->saved_values = collector_relocated(f->saved_values);
    }
}

void stack_mark_frames(void (*mark_context)(Offset ctx), void (*mark_block)(Offset node)) {
    for (CallFrame* f = g_frames_base; f < g_frames_top; f++) {
        if (f->word_ctx) {
            if (frame_symbol(f) == g_sym_self)
                mark_block(f->word_ctx);
            else
                mark_context(f->word_ctx);
        }
        if (f->func_ctx) {
            mark_context(f->func_ctx);
            if (f->saved_values && !(context_cell(f->func_ctx)->header & kContextStackValues))
                mark_block(f->saved_values);
        }
    }
}

} // namespace xel
