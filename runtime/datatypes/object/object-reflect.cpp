// Reflection of objects: words, values, body, class, changed words, owner
// and events.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// Word i of the context as a plain word! bound to it (the entry's own flags dropped).
Cell field_word(Offset ctx, uint32_t i, uint8_t type) {
    Cell w = *context_word_at(ctx, i);
    w.header = type;
    return w;
}

// A new block of the words (all, or only those marked changed).
Cell words_block(Offset ctx, bool changed_only) {
    uint32_t n = context_word_count(ctx);
    Cell block;
    block_make_at(&block, static_cast<int>(n));
    for (uint32_t i = 0; i < n; i++) {
        if (changed_only && !(context_word_at(ctx, i)->header & kWordChanged)) continue;
        Cell w = field_word(ctx, i, T_WORD);
        block_append_copy(&block, &w);
    }
    return block;
}

Cell values_block(Offset ctx) {
    uint32_t n = context_word_count(ctx);
    Cell block;
    block_make_at(&block, static_cast<int>(n));
    for (uint32_t i = 0; i < n; i++) {
        Cell v = *context_value_at(ctx, i);
        block_append_copy(&block, &v);
    }
    return block;
}

} // namespace

Cell object_body_block(const Cell* object) {
    Offset ctx = object_context(object);
    uint32_t n = context_word_count(ctx);
    Cell block;
    block_make_at(&block, static_cast<int>(2 * n));
    for (uint32_t i = 0; i < n; i++) {
        Cell w = field_word(ctx, i, T_SET_WORD);
        w.header |= kNewLineFlag;
        block_append_copy(&block, &w);
        Cell v = *context_value_at(ctx, i);
        cell_clear_new_line(&v);
        if (type_of(&v) == T_WORD) cell_set_type(&v, T_LIT_WORD);
        if (type_of(&v) == T_PATH) cell_set_type(&v, T_LIT_PATH);
        block_append_copy(&block, &v);
    }
    return block;
}

Cell* object_reflect(Cell* value, Cell* field) {
    Cell obj = *value;
    Cell f = *field;
    Offset ctx = object_context(&obj);
    uint32_t s = is_any_word_type(type_of(&f)) ? symbol_resolve(word_symbol(&f)) : 0;
    Cell result;
    if (s == symbol_resolve(word_symbol(g_word_changed))) {
        result = words_block(ctx, true);
    } else if (s == symbol_resolve(g_sym_class)) {
        set_integer(&result, static_cast<int32_t>(object_class_id(&obj)));
    } else if (s == symbol_resolve(g_sym_words)) {
        result = words_block(ctx, false);
    } else if (s == symbol_resolve(g_sym_values)) {
        result = values_block(ctx);
    } else if (s == symbol_resolve(g_sym_body)) {
        result = object_body_block(&obj);
    } else if (s == symbol_resolve(g_sym_owner)) {
        set_logic(&result, (context_cell(ctx)->header & kContextOwnsSeries) != 0);
    } else if (s == symbol_resolve(g_sym_events_q)) {
        set_logic(&result, object_events(&obj) != 0);
    } else {
        error_fire(kCatInternal, err::internal::kNotDone);
    }
    return stack_set_last(&result);
}

} // namespace xel
