#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

int append_literal(Cell* buffer, const char* text, int length, int part) {
    string_concatenate_literal(buffer, text);
    return part - length;
}

// The context's words, each bound to the context at its own index.
Cell bound_words(Offset ctx) {
    uint32_t n = context_word_count(ctx);
    Cell list;
    block_make_at(&list, static_cast<int>(n));
    for (uint32_t i = 0; i < n; i++) {
        Cell w = *context_word_at(ctx, i);
        word_set_cell(&w, T_WORD, ctx, word_symbol(&w), static_cast<int32_t>(i));
        block_append_copy(&list, &w);
    }
    return list;
}

} // namespace

Cell* function_reflect(Cell* value, Cell* field) {
    Cell fn = *value;
    uint32_t sym = is_any_word_type(type_of(field)) ? symbol_resolve(word_symbol(field)) : 0;
    Cell* out = stack_arguments();
    if (sym == symbol_resolve(g_sym_spec)) {
        function_spec_block(&fn, out);
    } else if (sym == symbol_resolve(g_sym_body)) {
        *out = function_record(&fn)[kRecordBody];
    } else if (sym == symbol_resolve(g_sym_words)) {
        Cell list = bound_words(function_context(&fn));
        out = stack_arguments();
        *out = list;
    } else {
        error_fire(kCatInternal, err::internal::kNotDone);
    }
    return out;
}

int function_form(Cell*, Cell* buffer, Cell*, int part) {
    return append_literal(buffer, "?function?", 10, part);
}

int routine_form(Cell*, Cell* buffer, Cell*, int part) {
    return append_literal(buffer, "?routine?", 9, part);
}

int function_mold(Cell* value, Cell* buffer, bool, bool all, bool flat, Cell* arg, int part,
                  int indent) {
    Cell fn = *value;
    Cell spec;
    function_spec_block(&fn, &spec);
    Cell body = function_record(&fn)[kRecordBody];
    part = append_literal(buffer, "func ", 5, part);
    part = actions_mold_typed(&spec, buffer, false, all, flat, arg, part, indent);
    if (type_of(&body) == T_BLOCK)
        return actions_mold_typed(&body, buffer, false, all, flat, arg, part, indent);
    return append_literal(buffer, " none", 5, part);
}

int routine_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                 int indent) {
    Cell fn = *value;
    Cell spec;
    function_spec_block(&fn, &spec);
    Cell body = function_record(&fn)[kRecordBody];
    part = append_literal(buffer, "routine ", 8, part);
    part = actions_mold_typed(&spec, buffer, only, all, flat, arg, part, indent);
    if (type_of(&body) != T_BLOCK) part = append_literal(buffer, " ", 1, part);
    return actions_mold_typed(&body, buffer, only, all, flat, arg, part, indent);
}

int function_compare_identity(const Cell* value1, const Cell* value2, uint32_t key1, uint32_t key2,
                              int op) {
    if (type_of(value2) != type_of(value1)) return -2;
    switch (op) {
    case kCmpEqual:
    case kCmpNotEqual:
    case kCmpStrictEqual:
    case kCmpSort:
    case kCmpCaseSort:
    case kCmpSame:
    case kCmpFind:
        return key1 < key2 ? -1 : (key1 > key2 ? 1 : 0);
    default:
        return -2;
    }
}

// Functions are equal only when they share their record.
int function_compare(Cell* value1, Cell* value2, int op) {
    return function_compare_identity(value1, value2, value1->data3, value2->data3, op);
}

void function_row(ActionList& row) {
    row.set<A_MAKE>(function_make)
        .set<A_REFLECT>(function_reflect)
        .set<A_FORM>(function_form)
        .set<A_MOLD>(function_mold)
        .set<A_COMPARE>(function_compare);
}

void routine_row(ActionList& row) {
    row.inherit(A_REFLECT)
        .set<A_FORM>(routine_form)
        .set<A_MOLD>(routine_mold)
        .set<A_COMPARE>(function_compare);
}

void function_mark_owner(Offset record) {
    uint32_t count = 0;
    Cell* cells = collector_record_cells(record, &count);
    if (!cells || count < kFunctionRecordCells) return;
    Cell* owner = cells + kRecordOwner;
    if (type_of(owner) == T_INTEGER && owner->data2) collector_mark_context(&owner->data2);
}

void routine_mark_cell(Cell* c) {
    collector_mark_context(&c->data1);
    collector_mark_block_node(&c->data2);
    collector_mark_block_node(&c->data3);
}

void function_mark_cell(Cell* c) {
    routine_mark_cell(c);
    function_mark_owner(c->data3);
}

} // namespace xel
