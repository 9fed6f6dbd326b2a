// The word helpers: making words, reading and writing their values.
#include "runtime/datatypes/word/word.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/error-fire.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

[[noreturn]] void fire_with(int id, const Cell* word) {
    Cell arg = *word;
    error_fire(kCatScript, id, &arg);
}

void mark_changed(Offset ctx, uint32_t i) {
    if (context_kind(ctx) == kContextObject) context_word_at(ctx, i)->header |= kWordChanged;
}

} // namespace

Cell* word_append_to_root(const Cell* cell) {
    Cell copy = *cell;
    Cell* c = root_alloc_tail_cell();
    *c = copy;
    return c;
}

Cell* word_load_in(Cell* block, const char* name) {
    return word_make_in(block, symbol_make(name));
}

void word_make_at(Cell* cell, uint32_t symbol) {
    int32_t index = context_index_or_add(g_global_context, symbol);
    word_set_cell(cell, T_WORD, g_global_context, symbol, index);
}

Cell* word_make_in(Cell* block, uint32_t symbol) {
    int32_t index = context_index_or_add(g_global_context, symbol);
    Cell* c = block_alloc_tail_cell(block);
    word_set_cell(c, T_WORD, g_global_context, symbol, index);
    return c;
}

Cell* word_push_symbol(uint32_t symbol) {
    int32_t index = context_index_or_add(g_global_context, symbol);
    Cell* c = stack_push_cell();
    word_set_cell(c, T_WORD, g_global_context, symbol, index);
    return c;
}

Cell* word_box_symbol(uint32_t symbol) {
    int32_t index = context_index_or_add(g_global_context, symbol);
    Cell* c = stack_arguments();
    word_set_cell(c, T_WORD, g_global_context, symbol, index);
    return c;
}

Cell* word_push(const Cell* word) {
    return stack_push(word);
}

Cell* word_from_context(Offset ctx, uint32_t i) {
    return context_word_at(ctx, i);
}

Cell* word_push_from_context(Offset ctx, uint32_t i) {
    return stack_push(context_word_at(ctx, i));
}

Cell* word_find_in_context(const Cell* word, Offset ctx) {
    uint32_t symbol = word_symbol(word);
    int32_t index = context_find_word(ctx, symbol, false);
    if (index >= 0) return context_word_at(ctx, static_cast<uint32_t>(index));
    return context_add_global(symbol);
}

Cell* refinement_load(const char* name) {
    uint32_t symbol = symbol_make(name);
    Cell* c = root_alloc_tail_cell();
    word_set_cell(c, T_REFINEMENT, 0, symbol, -1);
    return c;
}

Cell* word_value_cell_at(Offset ctx, uint32_t i) {
    return context_value_at(ctx, i);
}

Cell* word_push_value_at(Offset ctx, uint32_t i) {
    if (!context_has_values(ctx)) fire_with(err::script::kNotDefined, context_word_at(ctx, i));
    Cell value = *context_value_at(ctx, i);
    return stack_push(&value);
}

Cell* word_push_value(const Cell* word) {
    Cell value = *context_get(word);
    return stack_push(&value);
}

Cell* word_push_value_checked(const Cell* word) {
    Cell value = *context_get(word);
    if (type_of(&value) == T_UNSET) fire_with(err::script::kNoValue, word);
    return stack_push(&value);
}

Cell* word_get_checked(const Cell* word) {
    Cell* value = context_get(word);
    if (type_of(value) == T_UNSET) fire_with(err::script::kNoValue, word);
    return value;
}

void word_set_checked(Cell* word) {
    const Cell* value = stack_top();
    if (type_of(value) == T_UNSET) fire_with(err::script::kNeedValue, word);
    context_set(word, value);
}

void word_set_checked_reset(Cell* word) {
    word_set_checked(word);
    stack_reset();
}

Cell* word_box_checked(Cell* cell) {
    const Cell* result = stack_arguments();
    if (type_of(result) == T_UNSET) fire_with(err::script::kNeedValue, cell);
    return cell_copy(result, cell);
}

Cell* word_set_from_args() {
    Cell* args = stack_arguments();
    Cell word = args[0];
    Cell value = args[1];
    if (type_of(&value) == T_UNSET) fire_with(err::script::kNeedValue, &word);
    context_set(&word, &value);
    return stack_set_last(&value);
}

Cell* word_symbol_record(const Cell* word) {
    return symbol_get(word_symbol(word));
}

Cell* word_push_spelling(const Cell* word) {
    Offset node = symbol_string_node(symbol_cell(word_symbol(word)));
    Cell s{T_STRING, 0, node, 0};
    return stack_push(&s);
}

bool word_any_type(const Cell* word) {
    return symbol_resolve(word_symbol(word)) == symbol_resolve(g_sym_any_type_type);
}

void object_set_slot_push_old(Offset ctx, uint32_t i) {
    Cell value = *stack_top();
    stack_push(context_value_at(ctx, i));
    *context_value_at(ctx, i) = value;
    mark_changed(ctx, i);
}

void object_set_slot_keep(Offset ctx, uint32_t i) {
    *context_value_at(ctx, i) = *stack_top();
    mark_changed(ctx, i);
}

void object_set_slot_from_result(Offset ctx, uint32_t i) {
    *context_value_at(ctx, i) = *stack_arguments();
    mark_changed(ctx, i);
}

Cell* word_load_in_as(Cell* block, const char* name, uint8_t type) {
    Cell* c = word_load_in(block, name);
    cell_set_type(c, type);
    return c;
}

Cell* word_load_as(const char* name, uint8_t type) {
    Cell* word = word_load(name);
    // Outside boot recording the result is the global word entry itself,
    // which must keep its type: the retyped copy goes on the stack.
    Cell* c = g_boot_recording ? word : stack_push(word);
    cell_set_type(c, type);
    return c;
}

Cell* word_push_as(const Cell* word, uint8_t type) {
    Cell* c = stack_push(word);
    cell_set_type(c, type);
    return c;
}

Cell* word_push_from_context_as(Offset ctx, uint32_t i, uint8_t type) {
    Cell* c = stack_push(context_word_at(ctx, i));
    cell_set_type(c, type);
    return c;
}

Cell* word_kin_set_from_args() {
    Cell* args = stack_arguments();
    Cell word = args[0];
    Cell value = args[1];
    context_set(&word, &value);
    return stack_set_last(&value);
}

Cell* word_kin_get_from_args() {
    Cell word = *stack_arguments();
    Cell value = *context_get(&word);
    return stack_set_last(&value);
}

Cell* get_word_push_value(const Cell* word) {
    return word_push_value(word);
}

} // namespace xel
