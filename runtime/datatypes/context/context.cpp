#include "runtime/datatypes/context/context.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/memory/collector.h"
#include "runtime/printing/cycles.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

Offset g_global_context = 0;
GlobalValues g_global_values{0, 0, nullptr, nullptr};
void (*g_object_fire_on_change)(Cell* owner, Cell* word, Cell* old_value,
                                Cell* new_value) = nullptr;

namespace {

Cell* words_cells(Offset table) {
    return at<Cell>(buffer_of(hash_record(table)->block)->head);
}

// Appends one value cell to a context's values block.
void append_value(Offset ctx, const Cell* value) {
    Cell copy = *value;
    Cell* c = series_alloc_tail_cell(buffer_of(context_cell(ctx)->data2));
    *c = copy;
}

bool values_on_stack(Offset ctx) {
    return (context_cell(ctx)->header & kContextStackValues) != 0;
}

} // namespace

void context_init_global() {
    g_global_context = context_make(kGlobalContextSize, kContextGlobal, 0, false, false);
    collector_add_root_callback([] {
        collector_mark_context(&g_global_context);
        // Nodes and buffers may move now.
        g_global_values.ctx = 0;
    });
}

void context_fill_global_values(Offset ctx) {
    const SeriesBuf* buf = buffer_of(context_cell(ctx)->data2);
    g_global_values = {ctx, g_buffer_moves, buf, at<Cell>(buf->head)};
}

Offset context_make(uint32_t n, uint32_t kind, Offset words_block, bool stack_values,
                    bool maker_flag) {
    if (n == 0) n = 1;
    Offset ctx = alloc_cells(2);
    buffer_of(ctx)->tail += 2 * sizeof(Cell);
    Cell words{T_BLOCK, 0, words_block, 0};
    Offset table = hash_make(n, words_block ? &words : nullptr, kHashWords, 1);
    Offset values = 0;
    if (!stack_values) {
        values = alloc_cells(n);
        uint32_t existing = buffer_of(hash_record(table)->block)->used() / sizeof(Cell);
        SeriesBuf* vb = buffer_of(values);
        for (uint32_t i = 0; i < existing; i++)
            set_unset(series_alloc_tail_cell(vb));
    }
    uint32_t header = T_CONTEXT | (kind << kContextKindShift) |
                      (stack_values ? kContextStackValues : 0) |
                      (maker_flag ? kContextMakerFlag : 0);
    Cell* c = context_cell(ctx);
    c[0] = Cell{header, table, values, 0};
    set_unset(&c[1]);
    return ctx;
}

Offset context_make_from_words(const Cell* spec, uint32_t kind, bool stack_values) {
    Cell block = *spec;
    uint32_t total = block_buffer_length(&block);
    uint32_t count = 0;
    for (uint32_t i = block.data1; i < total; i++) {
        uint8_t t = type_of(block_cell_at(&block, i));
        if (t == T_WORD || t == T_GET_WORD || t == T_LIT_WORD || t == T_REFINEMENT) count++;
    }
    Offset ctx = context_make(count, kind, 0, stack_values, false);
    for (uint32_t i = block.data1; i < total; i++) {
        const Cell* c = block_cell_at(&block, i);
        uint8_t t = type_of(c);
        if (t != T_WORD && t != T_GET_WORD && t != T_LIT_WORD && t != T_REFINEMENT) continue;
        uint32_t symbol = word_symbol(c);
        if (context_find_word(ctx, symbol, true) >= 0) continue;
        int32_t out;
        context_find_or_add(ctx, symbol, &out);
        if (!stack_values) append_value(ctx, &g_unset_cell);
    }
    return ctx;
}

int32_t context_find_or_add_word(Offset table, uint32_t symbol, bool caseless, Offset ctx,
                                 int32_t* out) {
    if (ctx) hash_grow_if_full(table);
    HashTable* t = hash_record(table);
    uint32_t key = symbol_resolve(symbol);
    const Cell* cells = words_cells(table);
    uint32_t slot;
    int32_t found = hash_probe(
        t, hash_mix(key),
        [&](int32_t i) {
            uint32_t s = cells[i].data2;
            return caseless ? (s == symbol || symbol_resolve(s) == key) : s == symbol;
        },
        &slot);
    if (found >= 0) {
        int32_t index = hash_keys(t)[found];
        if (out) *out = index;
        return index;
    }
    if (!ctx) return -1;
    SeriesBuf* words = buffer_of(t->block);
    auto n = static_cast<int32_t>(words->used() / sizeof(Cell));
    Cell* entry = series_alloc_tail_cell(words);
    word_set_cell(entry, T_WORD, ctx, symbol, n);
    hash_claim(hash_record(table), slot, n);
    if (out) *out = n;
    return -1;
}

SeriesBuf* context_words(Offset ctx) {
    return buffer_of(hash_record(context_table(ctx))->block);
}

Offset context_words_node(Offset ctx) {
    return hash_record(context_table(ctx))->block;
}

Cell* context_word_at(Offset ctx, uint32_t i) {
    return at<Cell>(context_words(ctx)->head) + i;
}

uint32_t context_word_count(Offset ctx) {
    return context_words(ctx)->used() / sizeof(Cell);
}

Cell* context_value_at(Offset ctx, uint32_t i) {
    const Cell* c = context_cell(ctx);
    if (c->header & kContextStackValues) return at<Cell>(c->data2) + i;
    return at<Cell>(buffer_of(c->data2)->head) + i;
}

bool context_has_values(Offset ctx) {
    return context_cell(ctx)->data2 != 0;
}

int32_t context_find_word(Offset ctx, uint32_t symbol, bool caseless) {
    return context_find_or_add_word(context_table(ctx), symbol, caseless, 0, nullptr);
}

int32_t context_find_or_add(Offset ctx, uint32_t symbol, int32_t* out) {
    return context_find_or_add_word(context_table(ctx), symbol, false, ctx, out);
}

int32_t context_index_or_add(Offset ctx, uint32_t symbol) {
    int32_t out;
    int32_t index = context_find_or_add_word(context_table(ctx), symbol, true, ctx, &out);
    if (index >= 0) return index;
    if (!values_on_stack(ctx) && context_has_values(ctx)) append_value(ctx, &g_unset_cell);
    return out;
}

void context_add_if_missing(Offset ctx, uint32_t symbol, const Cell* value) {
    Cell copy = *value;
    int32_t out;
    if (context_find_or_add_word(context_table(ctx), symbol, true, ctx, &out) >= 0) return;
    if (!values_on_stack(ctx) && context_has_values(ctx)) append_value(ctx, &copy);
}

void context_get_or_add_value(Offset ctx, uint32_t symbol, Cell* out) {
    int32_t index = context_index_or_add(ctx, symbol);
    *out = *context_value_at(ctx, static_cast<uint32_t>(index));
}

bool context_add_set_words(Offset ctx, const Cell* block) {
    Cell b = *block;
    uint32_t before = context_word_count(ctx);
    uint32_t total = block_buffer_length(&b);
    for (uint32_t i = b.data1; i < total; i++) {
        const Cell* c = block_cell_at(&b, i);
        if (type_of(c) == T_SET_WORD) context_index_or_add(ctx, word_symbol(c));
    }
    return context_word_count(ctx) > before;
}

Cell* context_make_global_word(uint32_t symbol, bool caseless, bool variant) {
    Offset ctx = g_global_context;
    int32_t out;
    int32_t index = context_find_or_add_word(context_table(ctx), symbol, caseless, ctx, &out);
    if (index < 0) {
        append_value(ctx, &g_unset_cell);
        return context_word_at(ctx, static_cast<uint32_t>(out));
    }
    Cell* entry = context_word_at(ctx, static_cast<uint32_t>(index));
    if (caseless && variant && word_symbol(entry) != symbol) {
        Cell copy = *entry;
        copy.data2 = symbol;
        Cell* c = root_alloc_tail_cell();
        *c = copy;
        return c;
    }
    return entry;
}

Cell* context_add_global(uint32_t symbol) {
    Cell* word = context_make_global_word(symbol, false, false);
    return g_boot_recording ? word_append_to_root(word) : word;
}

Cell* context_get_symbol_value(Offset ctx, uint32_t symbol) {
    if (values_on_stack(ctx)) ctx = g_global_context;
    int32_t index = context_find_word(ctx, symbol, true);
    if (index < 0 || !context_has_values(ctx)) return &g_unset_cell;
    return context_value_at(ctx, static_cast<uint32_t>(index));
}

void context_copy_global_value(uint32_t symbol, Cell* out) {
    Cell* word = context_make_global_word(symbol, false, false);
    *out = *context_value_at(g_global_context, static_cast<uint32_t>(word_index(word)));
}

Cell* context_global_value_cell(uint32_t symbol) {
    return context_get_symbol_value(g_global_context, symbol);
}

Cell* context_get(const Cell* word) {
    return context_get_in(word, word_context(word));
}

Cell* context_get_in(const Cell* word, Offset ctx) {
    int32_t index = word_index(word);
    if (index < 0 || !ctx) {
        if (ctx && index < 0 && word_symbol(word) == g_sym_self) return context_self(ctx);
        error_fire(kCatScript, err::script::kNoValue, word);
    }
    if (!context_has_values(ctx)) error_fire(kCatScript, err::script::kNotInContext, word);
    return context_value_at(ctx, static_cast<uint32_t>(index));
}

void context_set_in(Cell* word, const Cell* value, Offset ctx, bool notify) {
    Cell v = *value;
    if (!ctx) error_fire(kCatScript, err::script::kNotDefined, word);
    int32_t index = word_index(word);
    if (index < 0) {
        index = context_find_word(ctx, word_symbol(word), false);
        if (index < 0) index = context_index_or_add(ctx, word_symbol(word));
        word->data3 = static_cast<uint32_t>(index);
    }
    if (!context_has_values(ctx)) error_fire(kCatScript, err::script::kNotDefined, word);
    auto i = static_cast<uint32_t>(index);
    if (values_on_stack(ctx) || context_kind(ctx) != kContextObject) {
        *context_value_at(ctx, i) = v;
        return;
    }
    context_word_at(ctx, i)->header |= kWordChanged;
    Cell owner = *context_self(ctx);
    if (!notify || type_of(&owner) != T_OBJECT || !owner.data3 || !g_object_fire_on_change) {
        *context_value_at(ctx, i) = v;
        return;
    }
    Cell* saved_top = g_stack_top;
    Cell* old = stack_push(context_value_at(ctx, i));
    Cell* slot = context_value_at(ctx, i);
    *slot = v;
    Cell w = *word;
    g_object_fire_on_change(&owner, &w, old, slot);
    g_stack_top = saved_top;
}

void context_set(Cell* word, const Cell* value) {
    context_set_in(word, value, word_context(word), true);
}

int32_t context_bind_word(Offset ctx, Cell* word) {
    int32_t index = context_find_word(ctx, word_symbol(word), true);
    if (index >= 0) {
        word->data1 = ctx;
        word->data3 = static_cast<uint32_t>(index);
    }
    return index;
}

Cell* context_bind_block(Cell* block, Offset ctx, bool self) {
    Offset node = block->data2;
    if (cycles_find(node)) return block;
    cycles_push(node);
    Cell b = *block;
    plan_note_write(block_buffer(&b));
    uint32_t total = block_buffer_length(&b);
    for (uint32_t i = b.data1; i < total; i++) {
        Cell* c = block_cell_at(&b, i);
        uint8_t type = type_of(c);
        if (is_block_kind(type)) {
            context_bind_block(c, ctx, self);
        } else if (type >= T_WORD && type <= T_REFINEMENT) {
            if (self && type == T_WORD && word_symbol(c) == g_sym_self) {
                c->data1 = ctx;
                c->data3 = kNoIndex;
            } else {
                context_bind_word(ctx, c);
            }
        }
    }
    cycles_pop();
    return block;
}

void context_clone(Cell* object) {
    Offset old_ctx = object->data1;
    Offset table = hash_copy_table(context_table(old_ctx));
    Offset ctx = alloc_cells(2);
    buffer_of(ctx)->tail += 2 * sizeof(Cell);
    Cell old_cell = *context_cell(old_ctx);
    Offset values = old_cell.data2;
    if (values && !(old_cell.header & kContextStackValues)) values = copy_series(buffer_of(values));
    Cell* c = context_cell(ctx);
    c[0] = Cell{old_cell.header, table, values, 0};
    SeriesBuf* words = buffer_of(hash_record(table)->block);
    for (Offset p = words->head; p < words->tail; p += sizeof(Cell))
        at<Cell>(p)->data1 = ctx;
    object->data1 = ctx;
    *context_self(ctx) = *object;
}

} // namespace xel
