// Field access: paths, select, put and modify.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

bool is_field_word(uint8_t t) {
    return t == T_WORD || t == T_SET_WORD || t == T_GET_WORD || t == T_LIT_WORD;
}

// The index of the element's word in the object, or -1. A found word is
// bound to the object in the element cell itself, so the next evaluation of
// the same path cell skips the lookup. That cell is the path's (when there
// is one), whose buffer a block may share (as): its plan is dropped.
int32_t field_index(Offset ctx, Cell* element, const Cell* path) {
    if (word_context(element) == ctx && word_index(element) >= 0) return word_index(element);
    int32_t i = context_find_word(ctx, word_symbol(element), true);
    if (i >= 0) {
        if (path && is_block_kind(type_of(path))) plan_note_write(block_buffer(path));
        element->data1 = ctx;
        element->data3 = static_cast<uint32_t>(i);
    }
    return i;
}

uint32_t canonical(const Cell* word) {
    return symbol_resolve(word_symbol(word));
}

} // namespace

Cell* object_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                       Cell* p_item, int index, bool case_, bool get, bool tail, bool notify) {
    (void)gparent, (void)p_item, (void)index, (void)case_, (void)notify;
    Cell obj = *parent;
    Cell elem = *element;
    Cell where = path ? *path : elem;
    if (!is_field_word(type_of(&elem)))
        error_fire(kCatScript, err::script::kInvalidPath, &where, &elem);
    Offset ctx = object_context(&obj);
    int32_t i = field_index(ctx, element, path);
    if (value) {
        if (i < 0) error_fire(kCatScript, err::script::kInvalidPath, &where, &elem);
        Cell v = *value;
        Cell word = *context_word_at(ctx, static_cast<uint32_t>(i));
        word.header = T_WORD;
        context_set_in(&word, &v, ctx, true);
        return stack_set_last(&v);
    }
    Cell v = i < 0 ? g_unset_cell : *context_value_at(ctx, static_cast<uint32_t>(i));
    if (i < 0 || type_of(&v) == T_UNSET) {
        if (!tail) error_fire(kCatScript, err::script::kUnsetPath, &where, &elem);
        if (!get) error_fire(kCatScript, err::script::kInvalidPath, &where, &elem);
    }
    return stack_set_last(&v);
}

Cell* object_select(Cell* series, Cell* value, const FindOptions&) {
    Cell obj = *series;
    Cell key = *value;
    if (!is_field_word(type_of(&key))) {
        Cell datatype = datatype_cell(type_of(&key));
        error_fire(kCatScript, err::script::kInvalidType, &datatype);
    }
    return stack_set_last(object_select_word(&obj, &key));
}

Cell* object_put(Cell* series, Cell* key, Cell* value, bool case_) {
    Cell obj = *series;
    Cell k = *key;
    Cell v = *value;
    if (type_of(&k) != T_WORD) {
        Cell datatype = datatype_cell(type_of(&k));
        error_fire(kCatScript, err::script::kInvalidKeyType, &datatype);
    }
    object_eval_path(&obj, &k, &v, nullptr, nullptr, nullptr, 0, case_, false, true, false);
    return stack_set_last(&v);
}

Cell* object_modify(Cell* target, Cell* field, Cell* value, bool case_) {
    (void)case_;
    Cell obj = *target;
    Cell f = *field;
    Cell v = *value;
    Offset ctx = object_context(&obj);
    uint32_t s = is_field_word(type_of(&f)) ? canonical(&f) : 0;
    if (s == canonical(g_word_changed)) {
        if (type_of(&v) != T_NONE) error_fire(kCatScript, err::script::kInvalidArg, &v);
        object_clear_changed(ctx);
    } else if (s == symbol_resolve(g_sym_owner)) {
        ownership_set_owner_flagged(&obj, &obj, &f);
    } else if (s == symbol_resolve(g_sym_owned)) {
        if (type_of(&v) == T_NONE) {
            // An owning object is skipped by the deep walk: the flag goes first.
            context_cell(ctx)->header &= ~kContextOwnsSeries;
            ownership_unbind(&obj);
        } else {
            Cell pair = v;
            if (type_of(&pair) != T_BLOCK || block_length_at(&pair) < 2 ||
                !is_field_word(type_of(block_rs_head(&pair) + 1)))
                error_fire(kCatScript, err::script::kInvalidArg, &v);
            Cell owned = block_rs_head(&pair)[0];
            Cell word = block_rs_head(&pair)[1];
            ownership_set_owner(&owned, &obj, &word);
        }
    }
    return stack_set_last(&v);
}

} // namespace xel
