// context!: a binding environment, the words of a scope and their values.
// A context is a node whose buffer holds two cells:
//   1. the context cell: header type 14 with the kind in bits 11-12, flag
//      kContextStackValues, flag kContextMakerFlag; word 1 the word table (a
//      word-kind hash table over the words block); word 2 the values block
//      node, or under kContextStackValues the arena address of the first value
//      cell on the argument stack, or 0 when the context has no values;
//   2. the self cell: the value owning the context (unset! at creation).
// The words block holds one word! entry per word (context, symbol, index),
// so the n-th word and the n-th value correspond.
//
// Buffers move on allocation: Cell* results are valid until the next call
// that may allocate.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/datatypes/context/context-cell.h"
#include "runtime/invariant.h"
#include "runtime/memory/series-memory.h"

namespace xel {

enum ContextKind : uint32_t {
    kContextGlobal = 0,
    kContextFunction = 1,
    kContextObject = 2,
};
constexpr uint32_t kContextKindShift = 11;
constexpr uint32_t kContextKindMask = 3u << kContextKindShift;
constexpr uint32_t kContextStackValues = 0x400000;
constexpr uint32_t kContextMakerFlag = 0x1000000;
// Header flag of a word entry of an object context whose value was set.
constexpr uint32_t kWordChanged = 0x2000;

constexpr uint32_t kGlobalContextSize = 4000;

// The global context's node (0 until made).
extern Offset g_global_context;
// Makes the global context (run-time init).
void context_init_global();

// Called by context_set when an object with event handlers owns the context:
// the old value has been pushed and the new value copied in. Installed by object!.
extern void (*g_object_fire_on_change)(Cell* owner, Cell* word, Cell* old_value, Cell* new_value);

inline Cell* context_self(Offset ctx) {
    return context_cell(ctx) + 1;
}
inline uint32_t context_kind(Offset ctx) {
    return (context_cell(ctx)->header & kContextKindMask) >> kContextKindShift;
}
// The word table of a context cell (or of a copy of one, as native specs keep).
inline Offset context_cell_table(const Cell* cell) {
    return cell->data1;
}
inline Offset context_table(Offset ctx) {
    return context_cell_table(context_cell(ctx));
}

// A new context for n words (0 gives 1), over a given words block node (0: a
// new one), of a kind; stack_values: its values will live on the argument
// stack; maker_flag sets kContextMakerFlag.
Offset context_make(uint32_t n, uint32_t kind, Offset words_block, bool stack_values,
                    bool maker_flag);
// A context with one word per word!, get-word!, lit-word! and refinement! of a
// spec block (set-words excepted), each canonical symbol once.
Offset context_make_from_words(const Cell* spec, uint32_t kind, bool stack_values);

// Word table lookups (kind 2 tables). Finds the word of a symbol: exact
// symbol, or under caseless any case variant. With ctx not 0 a missing word
// is added (bound to ctx) and -1 returned with its index in *out.
int32_t context_find_or_add_word(Offset table, uint32_t symbol, bool caseless, Offset ctx,
                                 int32_t* out);

// The words.
SeriesBuf* context_words(Offset ctx);
Offset context_words_node(Offset ctx);
Cell* context_word_at(Offset ctx, uint32_t i);
uint32_t context_word_count(Offset ctx);
// The value cell of word i (no checks; the context has values).
Cell* context_value_at(Offset ctx, uint32_t i);
// Whether the context holds values (on the stack or in a block).
bool context_has_values(Offset ctx);

int32_t context_find_word(Offset ctx, uint32_t symbol, bool caseless);
// Exact lookup; when absent adds a word entry (no value) and returns -1 with
// the new index in *out.
int32_t context_find_or_add(Offset ctx, uint32_t symbol, int32_t* out);
// Caseless lookup; when absent adds the word with an unset! value (unless the
// values live on the stack). Returns the index.
int32_t context_index_or_add(Offset ctx, uint32_t symbol);
// Caseless: adds the symbol with a copy of value when absent.
void context_add_if_missing(Offset ctx, uint32_t symbol, const Cell* value);
// Caseless: copies the symbol's value into out, adding it (unset!) when absent.
void context_get_or_add_value(Offset ctx, uint32_t symbol, Cell* out);
// Adds every set-word! of a block from its position; true when the context grew.
bool context_add_set_words(Offset ctx, const Cell* block);

// The global word entry of a symbol, added with an unset! value when absent.
// With caseless and variant set, a slot held by another case variant gives a
// copy of its entry carrying the requested symbol, made in the root block.
Cell* context_make_global_word(uint32_t symbol, bool caseless, bool variant);
// Exact global word; under boot recording a copy in the root block.
Cell* context_add_global(uint32_t symbol);
// The value cell of a symbol the caller knows is present (caseless); contexts
// whose values live on the stack are looked up in the global context.
Cell* context_get_symbol_value(Offset ctx, uint32_t symbol);
// Copies a global symbol's value (exact) into out, adding the word when absent.
void context_copy_global_value(uint32_t symbol, Cell* out);
Cell* context_global_value_cell(uint32_t symbol);

// The value cell of a bound word (its own context). Unbound: the context's
// self for the word self, else script no-value; a context without values:
// script not-in-context.
Cell* context_get(const Cell* word);
// Where the global context's values are, kept so a global word's value is
// its index added to the first value cell rather than a chain through the
// context's node, cell and values node. It holds while no buffer moved
// (g_buffer_moves) and no collection ran (which clears it); the slow path
// fills it again.
struct GlobalValues {
    Offset ctx; // 0: not filled
    uint32_t moves;
    const SeriesBuf* buf; // read only by the sanitizer build's check of cells
    Cell* cells;
};
extern GlobalValues g_global_values;
// Fills g_global_values (ctx is the global context).
void context_fill_global_values(Offset ctx);
inline Cell* global_value_at(int32_t index) {
    // A values block only grows at its tail: its head moves with the buffer.
    XEL_ASSERT(g_global_values.cells == at<Cell>(g_global_values.buf->head));
    return g_global_values.cells + index;
}
inline bool global_values_hold(Offset ctx) {
    return ctx == g_global_values.ctx && g_global_values.moves == g_buffer_moves;
}

// The value cell of a bound word of a context that holds values, or nullptr
// where context_get would look further or raise.
inline Cell* context_peek_fast(const Cell* word) {
    Offset ctx = word->data1;
    auto index = static_cast<int32_t>(word->data3);
    if (!ctx || index < 0) return nullptr;
    if (global_values_hold(ctx)) [[likely]]
        return global_value_at(index);
    const Cell* c = context_cell(ctx);
    if (!c->data2) return nullptr;
    if (c->header & kContextStackValues) return at<Cell>(c->data2) + index;
    if (ctx == g_global_context) {
        context_fill_global_values(ctx);
        return global_value_at(index);
    }
    return at<Cell>(buffer_of(c->data2)->head) + index;
}
// context_get with the common case inline: a bound word of a context that
// holds values. The interpreter reads every word through it.
inline Cell* context_get_fast(const Cell* word) {
    if (Cell* v = context_peek_fast(word)) [[likely]]
        return v;
    return context_get(word);
}
Cell* context_get_in(const Cell* word, Offset ctx);
// Sets a word's value in ctx (a word without index takes or adds its slot);
// a context without values raises script not-defined. In object contexts the
// entry is marked changed and, with notify, the owner's on-change* runs.
void context_set_in(Cell* word, const Cell* value, Offset ctx, bool notify);
// context_set_in in the word's own context, with notification.
void context_set(Cell* word, const Cell* value);
// context_set's common case inline: a bound word of a function's or the
// global context, or of a context whose values are on the stack. Answers
// false, changing nothing, where context_set must run.
inline bool context_set_fast(const Cell* word, const Cell* value) {
    Offset ctx = word->data1;
    auto index = static_cast<int32_t>(word->data3);
    if (!ctx || index < 0) return false;
    Cell* slot;
    if (global_values_hold(ctx)) [[likely]] {
        slot = global_value_at(0);
    } else {
        const Cell* c = context_cell(ctx);
        if (!c->data2) return false;
        if (c->header & kContextStackValues)
            slot = at<Cell>(c->data2);
        else if ((c->header & kContextKindMask) >> kContextKindShift != kContextObject)
            slot = at<Cell>(buffer_of(c->data2)->head);
        else
            return false;
    }
    slot[index] = *value;
    return true;
}

// Binds a word to ctx when it holds its symbol or a case variant: returns
// the index, or -1 leaving the word as it was.
int32_t context_bind_word(Offset ctx, Cell* word);
// Binds every word of a block (nested block kinds too, cycles skipped) from
// its position. With self, a word! self is bound to ctx with index -1 so it
// reads the owner. Issues are not bound. Returns the block.
Cell* context_bind_block(Cell* block, Offset ctx, bool self);

// Gives an object value a new context of the same size and flags with the
// same words, rebound to it (values copied).
void context_clone(Cell* object);

} // namespace xel
