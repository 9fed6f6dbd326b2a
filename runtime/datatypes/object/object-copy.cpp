// Copying objects: the copy action, the copy that make starts from, and the
// functions re-made for a copied object.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// What copy/deep replaces by a copy: the text kinds and the block kinds but
// hash!; binary!, vector!, hash! and image! stay shared.
bool is_deep_copied(uint8_t t) {
    return is_string_kind(t) || (is_block_kind(t) && t != T_HASH);
}

// What copy/types replaces by a copy: values of the given types that have
// contents of their own.
bool is_typed_copied(const Cell* types, uint8_t t) {
    bool wanted = type_of(types) == T_DATATYPE ? t == types->data1 : typeset_has(types, t);
    return wanted && (is_series_kind(t) || t == T_BITSET || t == T_MAP || is_object_kind(t));
}

// A deep copy through the value's own copy action, keeping its header flags;
// a type without copy is kept as it is.
Cell deep_copy_of(const Cell* value) {
    Cell v = *value;
    auto fn = action_of<A_COPY>(type_of(&v));
    if (!fn) return v;
    Cell kept = v;
    Cell copy = *fn(&kept, nullptr, true, nullptr);
    copy.header = v.header;
    return copy;
}

void remake_functions(Offset ctx) {
    uint32_t n = context_word_count(ctx);
    for (uint32_t i = 0; i < n; i++)
        if (type_of(context_value_at(ctx, i)) == T_FUNCTION) object_remake_function(ctx, i);
}

// A new function context with the words of fctx, in order.
Offset copy_function_context(Offset fctx) {
    uint32_t n = context_word_count(fctx);
    Offset copy = context_make(n, kContextFunction, 0, true, false);
    for (uint32_t i = 0; i < n; i++) {
        int32_t out;
        context_find_or_add(copy, word_symbol(context_word_at(fctx, i)), &out);
    }
    return copy;
}

} // namespace

void object_remake_function(Offset object_ctx, uint32_t i) {
    Cell fn = *context_value_at(object_ctx, i);
    Cell* record = function_record(&fn);
    Cell body = record[kRecordBody];
    bool owned = type_of(&record[kRecordOwner]) == T_INTEGER;
    if (type_of(&body) != T_BLOCK) error_fire(kCatScript, err::script::kBadFuncDef, &fn);
    Cell spec;
    function_spec_block(&fn, &spec);
    Offset fctx = copy_function_context(function_context(&fn));
    Cell made = *function_make_compiled(&spec, &body, fctx, 0, owned ? object_ctx : 0, fn.header);
    stack_pop(1);
    Cell copied = function_record(&made)[kRecordBody];
    context_bind_block(&copied, object_ctx, true);
    context_bind_block(&copied, fctx, false);
    made.header = fn.header;
    *context_value_at(object_ctx, i) = made;
}

void object_copy_into(Cell* object, bool deep, const Cell* types) {
    Offset source = object_context(object);
    context_clone(object);
    Offset ctx = object_context(object);
    // The copy owns none of its series until its events are attached.
    context_cell(ctx)->header &= ~kContextOwnsSeries;
    uint32_t n = context_word_count(ctx);
    if (deep && !types) {
        for (uint32_t i = 0; i < n; i++) {
            if (!is_deep_copied(type_of(context_value_at(ctx, i)))) continue;
            Cell copy = deep_copy_of(context_value_at(ctx, i));
            *context_value_at(ctx, i) = copy;
        }
    }
    remake_functions(ctx);
    if (!types) return;
    if (deep) {
        if (cycles_find(source)) {
            cycles_reset();
            error_fire(kCatInternal, err::internal::kNoCycle);
        }
        cycles_push(source);
    }
    // Nested copies carry the types when deep, so an object met again
    // inside itself is caught above instead of copied without end.
    Cell kinds = *types;
    for (uint32_t i = 0; i < n; i++) {
        Cell v = *context_value_at(ctx, i);
        auto fn = action_of<A_COPY>(type_of(&v));
        if (!fn || !is_typed_copied(&kinds, type_of(&v))) continue;
        Cell copy = *fn(&v, nullptr, deep, deep ? &kinds : nullptr);
        copy.header = v.header;
        *context_value_at(ctx, i) = copy;
    }
    if (deep) cycles_pop();
}

void object_copy_values(Offset source, Offset target, bool copy_all) {
    uint32_t n = context_word_count(source);
    if (context_word_count(target) < n) n = context_word_count(target);
    for (uint32_t i = 0; i < n; i++) {
        Cell v = *context_value_at(source, i);
        if (!is_series_kind(type_of(&v))) {
            if (copy_all) *context_value_at(target, i) = v;
            continue;
        }
        Cell copy = deep_copy_of(&v);
        if (is_block_kind(type_of(&copy))) context_bind_block(&copy, target, true);
        *context_value_at(target, i) = copy;
    }
}

void object_make_independent(Offset ctx) {
    for (uint32_t i = 0; i < context_word_count(ctx); i++) {
        if (!is_series_kind(type_of(context_value_at(ctx, i)))) continue;
        Cell copy = deep_copy_of(context_value_at(ctx, i));
        *context_value_at(ctx, i) = copy;
    }
    remake_functions(ctx);
}

Cell* object_copy(Cell* value, Cell* part, bool deep, Cell* types) {
    if (part) error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, part);
    Cell obj = *value;
    Cell kinds;
    if (types) kinds = *types;
    object_copy_into(&obj, deep, types ? &kinds : nullptr);
    object_attach_events(&obj);
    return stack_set_last(&obj);
}

} // namespace xel
