// The word types: word!, set-word!, lit-word!, get-word!, refinement! (and
// issue!, whose row is its own) share one cell layout:
//   header: type id 15 to 20, flags above the low byte;
//   word 1: the node of the context the word is bound to, or 0;
//   word 2: the symbol id;
//   word 3: the index of the word in that context, or -1.
// These helpers are how the interpreter and compiled code read and write
// word values. Cell* results into series are valid until the next allocation.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kNoIndex = 0xFFFFFFFF;

inline uint32_t word_symbol(const Cell* w) {
    return w->data2;
}
inline Offset word_context(const Cell* w) {
    return w->data1;
}
inline int32_t word_index(const Cell* w) {
    return static_cast<int32_t>(w->data3);
}
inline bool is_any_word_type(uint8_t type) {
    return type >= T_WORD && type <= T_ISSUE;
}
inline void word_set_cell(Cell* c, uint8_t type, Offset ctx, uint32_t symbol, int32_t index) {
    *c = Cell{type, ctx, symbol, static_cast<uint32_t>(index)};
}

// Words made from names and symbols, bound to the global context.
// word_load is in runtime/symbols/symbols.h.
Cell* word_load_in(Cell* block, const char* name);
void word_make_at(Cell* cell, uint32_t symbol);
Cell* word_make_in(Cell* block, uint32_t symbol);
Cell* word_push_symbol(uint32_t symbol);
Cell* word_box_symbol(uint32_t symbol);
Cell* word_push(const Cell* word);
// Word entry i of a context node, and a pushed copy of it.
Cell* word_from_context(Offset ctx, uint32_t i);
Cell* word_push_from_context(Offset ctx, uint32_t i);
// The entry of a word's symbol in ctx (exact), or its global word.
Cell* word_find_in_context(const Cell* word, Offset ctx);
// An unbound refinement! for a name, in a new cell at the root block's tail.
Cell* refinement_load(const char* name);

// Values.
Cell* word_value_cell_at(Offset ctx, uint32_t i);
Cell* word_push_value_at(Offset ctx, uint32_t i);
Cell* word_push_value(const Cell* word);
Cell* word_push_value_checked(const Cell* word);
// The word's value; unset! raises script no-value naming the word.
Cell* word_get_checked(const Cell* word);
// Sets the word to the argument stack's top value (with notification);
// unset! raises script need-value naming the word.
void word_set_checked(Cell* word);
void word_set_checked_reset(Cell* word);
Cell* word_box_checked(Cell* cell);
Cell* word_set_from_args();

// The symbol! cell of a word's symbol, its string buffer made.
Cell* word_symbol_record(const Cell* word);
// Pushes a string! over the symbol's shared string buffer.
Cell* word_push_spelling(const Cell* word);
bool word_any_type(const Cell* word);
Cell* word_append_to_root(const Cell* cell);

// Object slot writes from the argument stack.
void object_set_slot_push_old(Offset ctx, uint32_t i);
void object_set_slot_keep(Offset ctx, uint32_t i);
void object_set_slot_from_result(Offset ctx, uint32_t i);

// The kin helpers: the word! helper, then the cell retyped.
Cell* word_load_in_as(Cell* block, const char* name, uint8_t type);
Cell* word_load_as(const char* name, uint8_t type);
Cell* word_push_as(const Cell* word, uint8_t type);
Cell* word_push_from_context_as(Offset ctx, uint32_t i, uint8_t type);
// context_set of the frame's first argument to its second (the result), no
// unset check; and the value of the first argument as the result.
Cell* word_kin_set_from_args();
Cell* word_kin_get_from_args();
Cell* get_word_push_value(const Cell* word);

// Actions of the word types.
Cell* word_make(Cell* proto, Cell* spec, int type);
int word_form(Cell* value, Cell* buffer, Cell* arg, int part);
int word_compare(Cell* value1, Cell* value2, int op);

} // namespace xel
