// Making objects: make (from a spec block or object, with or without a
// prototype), construct, and set from a block or object.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// The result starts as a copy of the prototype (its event record kept until
// the end) or as a new empty object.
Cell start_object(const Cell* proto, bool deep) {
    Cell obj;
    if (proto) {
        obj = *proto;
        object_copy_into(&obj, deep, nullptr);
    } else {
        object_make_at(&obj, 4);
    }
    return obj;
}

void set_class(Cell* obj, uint32_t class_id) {
    obj->data2 = class_id;
    *context_self(object_context(obj)) = *obj;
}

// Spec object!: its words are added or set; then every value is made
// independent of the spec and the prototype. Returns whether words were added.
bool make_from_object(Offset ctx, const Cell* spec) {
    Offset source = object_context(spec);
    uint32_t before = context_word_count(ctx);
    for (uint32_t i = 0; i < context_word_count(source); i++) {
        Cell value = *context_value_at(source, i);
        uint32_t symbol = word_symbol(context_word_at(source, i));
        auto index = static_cast<uint32_t>(context_index_or_add(ctx, symbol));
        *context_value_at(ctx, index) = value;
    }
    object_make_independent(ctx);
    return context_word_count(ctx) > before;
}

bool is_word_named(const Cell* c, uint32_t symbol) {
    return type_of(c) == T_WORD && symbol_resolve(word_symbol(c)) == symbol_resolve(symbol);
}

// The value construct gives a word: unless only, the logic and none words
// become their values.
Cell construct_value(const Cell* value, bool only) {
    if (!only) {
        if (is_word_named(value, g_sym_true) || is_word_named(value, g_sym_yes) ||
            is_word_named(value, g_sym_on))
            return g_true_cell;
        if (is_word_named(value, g_sym_false) || is_word_named(value, g_sym_no) ||
            is_word_named(value, g_sym_off))
            return g_false_cell;
        if (is_word_named(value, g_sym_none)) return g_none_cell;
    }
    Cell v = *value;
    cell_clear_new_line(&v);
    return v;
}

bool is_handler_word(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    return s == symbol_resolve(word_symbol(g_word_on_change_star)) ||
           s == symbol_resolve(word_symbol(g_word_on_deep_change_star));
}

// Rule 3 of set: the word is marked changed; with an event record the value
// is stored with on-change* (the handler words only marked), else stored.
void set_field(Cell* obj, uint32_t i, const Cell* value) {
    Offset ctx = object_context(obj);
    Cell v = *value;
    Cell* entry = context_word_at(ctx, i);
    entry->header |= kWordChanged;
    Cell word = *entry;
    word.header = T_WORD;
    if (!object_events(obj)) {
        *context_value_at(ctx, i) = v;
        return;
    }
    if (is_handler_word(&word)) return;
    Cell* saved_top = g_stack_top;
    Cell* old = stack_push(context_value_at(ctx, i));
    *context_value_at(ctx, i) = v;
    object_fire_on_change(obj, &word, old, &v);
    g_stack_top = saved_top;
}

// For set: the source value of word i, or false when the word takes none.
bool source_value(const Cell* source, Offset ctx, uint32_t i, Cell* out) {
    if (type_of(source) == T_BLOCK) {
        uint32_t at = static_cast<uint32_t>(block_index(source)) + i;
        *out = at < block_buffer_length(source) ? *block_cell_at(source, at) : g_none_cell;
        return true;
    }
    const Cell* word = context_word_at(ctx, i);
    int32_t j = context_find_word(object_context(source), word_symbol(word), true);
    if (j < 0) return false;
    *out = *context_value_at(object_context(source), static_cast<uint32_t>(j));
    return true;
}

} // namespace

Cell* object_make(Cell* proto, Cell* spec, int type) {
    (void)type;
    Cell prototype = *proto;
    Cell s = *spec;
    bool has_proto = type_of(&prototype) == T_OBJECT;
    if (type_of(&s) != T_BLOCK && type_of(&s) != T_OBJECT)
        error_fire(kCatSyntax, err::syntax::kMalconstruct, &s);

    // Both kinds of spec copy every series value afterwards: a shallow start.
    Cell obj = start_object(has_proto ? &prototype : nullptr, false);
    Cell* held = stack_push(&obj);
    Offset ctx = object_context(&obj);
    bool added;
    if (type_of(&s) == T_OBJECT) {
        added = make_from_object(ctx, &s);
        set_class(held, added || !has_proto ? object_new_class_id() : object_class_id(&prototype));
    } else {
        added = context_add_set_words(ctx, &s);
        context_bind_block(&s, ctx, true);
        if (has_proto) object_copy_values(object_context(&prototype), ctx, false);
        set_class(held, added || !has_proto ? object_new_class_id() : object_class_id(&prototype));
        if (interp_eval_block(&s, false).exit_pending()) return stack_arguments();
        object_clear_changed(ctx);
        object_clear_value_marks(context_cell(ctx)->data2);
    }
    obj = *held;
    object_attach_events(&obj);
    g_stack_top = held;
    return stack_set_last(&obj);
}

Cell* object_construct(Cell* spec, Cell* proto, bool only) {
    Cell s = *spec;
    Cell prototype;
    if (proto) prototype = *proto;
    Cell obj = start_object(proto ? &prototype : nullptr, true);
    if (!proto) set_class(&obj, object_new_class_id());
    Cell* held = stack_push(&obj);
    Offset ctx = object_context(&obj);
    uint32_t len = block_buffer_length(&s);
    uint32_t i = block_index(&s) < 0 ? 0 : static_cast<uint32_t>(block_index(&s));
    while (i < len) {
        if (type_of(block_cell_at(&s, i)) != T_SET_WORD) {
            i++;
            continue;
        }
        uint32_t run = i;
        while (i < len && type_of(block_cell_at(&s, i)) == T_SET_WORD)
            i++;
        Cell value = i < len ? construct_value(block_cell_at(&s, i), only) : g_none_cell;
        for (uint32_t k = run; k < i; k++) {
            uint32_t symbol = word_symbol(block_cell_at(&s, k));
            auto index = static_cast<uint32_t>(context_index_or_add(ctx, symbol));
            *context_value_at(ctx, index) = value;
        }
    }
    obj = *held;
    object_attach_events(&obj);
    g_stack_top = held;
    return stack_set_last(&obj);
}

void object_set_from(Cell* object, Cell* value, bool any, bool only, bool some) {
    Cell obj = *object;
    Cell source = *value;
    Offset ctx = object_context(&obj);
    uint32_t n = context_word_count(ctx);
    bool each = !only && (type_of(&source) == T_BLOCK || type_of(&source) == T_OBJECT);
    if (!each) {
        for (uint32_t i = 0; i < n; i++)
            set_field(&obj, i, &source);
        return;
    }
    if (!some && !any) {
        for (uint32_t i = 0; i < n; i++) {
            Cell v;
            if (!source_value(&source, ctx, i, &v) || type_of(&v) != T_UNSET) continue;
            Cell word = *context_word_at(ctx, i);
            word.header = T_WORD;
            error_fire(kCatScript, err::script::kNeedValue, &word);
        }
    }
    for (uint32_t i = 0; i < n; i++) {
        Cell v;
        if (!source_value(&source, ctx, i, &v)) continue;
        if (some && type_of(&v) == T_NONE) continue;
        set_field(&obj, i, &v);
    }
}

} // namespace xel
