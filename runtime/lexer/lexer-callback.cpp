// The lexer event callback: a function! called with the event, the input,
// the type, the line and the token, for the events its body selects.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

const char* const kEventWords[] = {"prescan", "scan", "load", "open", "close", "error"};

// The words standing for the token classes that load no value.
const char* const kExitStates[kTokenClassCount] = {
    "eof",    "error",      "block",  "block-end", "paren",      "paren-end",
    "string", "string-end", "map",    "path",      "construct",  "comment",
    "comma",  "string",     "word",   "issue",     "integer",    "refinement",
    "char",   "file",       "binary", "percent",   "float",      "float",
    "tuple",  "date",       "pair",   "point",     "time",       "money",
    "tag",    "url",        "email",  "hex",       "raw-string", "ref",
};

uint32_t event_of_word(const Cell* word) {
    uint32_t canonical = symbol_resolve(word_symbol(word));
    for (uint32_t i = 0; i < 6; i++)
        if (symbol_resolve(symbol_make(kEventWords[i])) == canonical) return 1u << i;
    return 0;
}

int event_index(uint32_t event) {
    int i = 0;
    while (!(event & 1u)) {
        event >>= 1;
        i++;
    }
    return i;
}

bool string_input(const LexerState* s) {
    uint8_t t = type_of(&s->input_value);
    return t != T_BINARY && t != T_NONE;
}

// Offset of p from the input start in the input's units: code points for
// string input (cached, scans read forward), bytes otherwise.
uint32_t unit_offset(LexerState* s, const uint8_t* p) {
    if (!string_input(s)) return static_cast<uint32_t>(p - s->input_start);
    if (p < s->cached_byte_position) {
        s->cached_byte_position = s->input_start;
        s->cached_code_point_offset = 0;
    }
    s->cached_code_point_offset += lexer_count_code_points(s->cached_byte_position, p);
    s->cached_byte_position = p;
    return s->cached_code_point_offset;
}

// The byte address of a unit offset from the input start.
const uint8_t* address_of(const LexerState* s, uint32_t offset) {
    if (!string_input(s)) {
        auto room = static_cast<uint32_t>(s->input_end - s->input_start);
        return s->input_start + (offset < room ? offset : room);
    }
    return lexer_skip_code_points(s->input_start, s->input_end, offset);
}

} // namespace

bool lexer_callback_set(const Cell* callback) {
    return type_of(callback) == T_FUNCTION;
}

// The events named by a block at the head of the callback's body; all of
// them when the body does not start with one.
uint32_t lexer_callback_mask(const Cell* callback) {
    Cell body = function_record(callback)[kRecordBody];
    if (type_of(&body) != T_BLOCK || block_length_at(&body) < 1) return kEventAll;
    Cell filter = *block_rs_head(&body);
    if (type_of(&filter) != T_BLOCK) return kEventAll;
    uint32_t mask = 0;
    for (int i = 0, n = block_length_at(&filter); i < n; i++) {
        const Cell* w = block_rs_head(&filter) + i;
        if (is_any_word_type(type_of(w))) mask |= event_of_word(w);
    }
    return mask;
}

bool lexer_fire_event(LexerState* s, uint32_t event, int type, const Cell* token) {
    if (type_of(&s->callback) == T_NONE || !(s->event_mask & event)) return true;
    Cell callback = s->callback;
    bool at_start = event == kEventOpen || (event == kEventPrescan && type == 0);
    uint32_t base = type_of(&s->input_value) == T_NONE
                        ? 0
                        : static_cast<uint32_t>(series_index(&s->input_value));
    uint32_t start = unit_offset(s, s->token_start);
    uint32_t end = unit_offset(s, s->token_end);
    uint32_t position = base + (at_start ? start : end);

    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    stack_push_cell();
    stack_mark_interp_func(g_word_lexer_callback_marker, function_context(&callback));
    Cell* args = stack_arguments();
    stack_push(word_load(kEventWords[event_index(event)]));
    cell_clear_new_line(args);
    Cell* input = stack_push(&s->input_value);
    if (type_of(input) != T_NONE) series_set_index(input, static_cast<int32_t>(position));
    if (type > 0)
        datatype_push(static_cast<uint8_t>(type));
    else
        stack_push(word_load(kExitStates[s->token_class]));
    cell_clear_new_line(args + 2);
    set_integer(stack_push_cell(), s->line);
    if (token) {
        cell_clear_new_line(stack_push(token));
    } else {
        pair_push(static_cast<int32_t>(base + start + 1), static_cast<int32_t>(base + end + 1));
    }
    SpecList list = interp_cached_spec(&callback);
    for (int i = 0; i < list.trailing; i++)
        stack_push(i == 0 ? &g_false_cell : &g_none_cell);
    if (interp_call_function(&callback).exit_pending()) exit_raise_pending();
    Cell answer = *stack_arguments();
    Cell moved = args[1];
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
    s->input_moved = false;
    if (type_of(&moved) == type_of(&s->input_value) && type_of(&moved) != T_NONE &&
        series_same_buffer(&moved, &s->input_value) &&
        static_cast<uint32_t>(series_index(&moved)) != position) {
        auto moved_index = static_cast<uint32_t>(series_index(&moved));
        uint32_t offset = moved_index > base ? moved_index - base : 0;
        s->position = address_of(s, offset);
        s->input_moved = true;
    }
    return value_truth(&answer);
}

} // namespace xel
