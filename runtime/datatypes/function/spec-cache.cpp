#include "runtime/datatypes/function/spec-cache.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

uint32_t canonical(const Cell* word) {
    return symbol_resolve(word_symbol(word));
}

// The typeset of the argument at spec index i, from the type block after it.
void append_argument(Cell* cache, const Cell* spec, uint32_t i, uint32_t cls) {
    Cell* entry;
    if (i + 1 < block_buffer_length(spec) && type_of(block_cell_at(spec, i + 1)) == T_BLOCK) {
        Cell types = *block_cell_at(spec, i + 1);
        entry = typeset_from_block(cache, &types);
    } else {
        entry = typeset_make_default_in(cache);
    }
    entry->header |= cls << kArgClassShift;
}

// Whether a set leaves out a type a value can have, unset! aside (ids not
// registered and the internal slice are no value's).
bool leaves_out_types(const Cell* ts) {
    for (int id = 1; id <= g_highest_type; id++) {
        if (id == T_UNSET || id == T_SLICE || !g_type_names[id].name) continue;
        if (!typeset_has(ts, static_cast<uint8_t>(id))) return true;
    }
    return false;
}

// The frame cells after the leading arguments at e: the tail fields, or
// kShapeLongTail when they do not fit.
uint32_t tail_of(const Cell* e, const Cell* end) {
    uint32_t cells = 0, falses = 0;
    auto add = [&](bool is_false) {
        if (is_false && cells < kShapeMaxTail) falses |= 1u << cells;
        cells++;
    };
    for (; e < end; e++) {
        if (type_of(e) == T_INTEGER) {
            // The locals: the first cell false, the others none.
            for (int32_t i = 0; i < integer_get(e); i++)
                add(i == 0);
        } else if (type_of(e) != T_TYPESET) {
            add(true);
        } else if (argument_class(e) != kArgReturn) {
            add(false);
        }
    }
    if (cells > kShapeMaxTail) return kShapeLongTail;
    return cells << kShapeTailShift | falses << kShapeFalseShift;
}

uint32_t shape_of(const Cell* cache, bool function_kind) {
    const Cell* begin = block_rs_head(cache);
    const Cell* end = block_rs_tail(cache);
    const Cell* e = begin;
    uint32_t shape = kShapeKnown;
    for (; e < end && type_of(e) == T_TYPESET && argument_class(e) == kArgEvaluated; e++) {
        int i = static_cast<int>(e - begin);
        if (i == kShapeMaxLeading) return shape;
        if (leaves_out_types(e)) shape |= 1u << (kShapeTypedShift + i);
    }
    if (e < end && type_of(e) == T_TYPESET) return shape;
    shape |= kShapeLean | static_cast<uint32_t>(e - begin);
    if (function_kind) shape |= tail_of(e, end);
    return shape;
}

} // namespace

Offset interp_cache_spec(const Cell* fn) {
    Cell value = *fn;
    const Cell& kept = function_record(&value)[kRecordCache];
    if (type_of(&kept) == T_BLOCK) return kept.data2;

    uint8_t kind = code_kind(&value);
    bool function_kind = kind == T_FUNCTION || kind == T_ROUTINE;
    Cell spec;
    function_spec_block(&value, &spec);
    uint32_t n = block_buffer_length(&spec);
    Cell cache;
    block_make_at(&cache, static_cast<int>(n) + 1);
    int32_t refinements = 0;
    for (uint32_t i = 0; i < n; i++) {
        Cell c = *block_cell_at(&spec, i);
        switch (type_of(&c)) {
        case T_WORD:
            append_argument(&cache, &spec, i, kArgEvaluated);
            break;
        case T_GET_WORD:
            append_argument(&cache, &spec, i, kArgLiteral);
            break;
        case T_LIT_WORD:
            append_argument(&cache, &spec, i, kArgSoftQuoted);
            break;
        case T_SET_WORD:
            if (canonical(&c) != symbol_resolve(g_sym_return))
                error_fire(kCatScript, err::script::kBadFuncDef, &c);
            append_argument(&cache, &spec, i, kArgReturn);
            break;
        case T_REFINEMENT:
            // /local and the words after it are locals, counted below.
            if (canonical(&c) == canonical(g_ref_local)) {
                i = n;
                break;
            }
            refinements++;
            cell_clear_new_line(&c);
            if (!function_kind) c.data3 = static_cast<uint32_t>(refinements);
            block_append_copy(&cache, &c);
            break;
        default:
            break;
        }
    }
    Cell count;
    if (function_kind) {
        int32_t locals = function_count_locals(spec.data2, 0, false);
        if (locals > 0) {
            set_integer(&count, locals);
            block_append_copy(&cache, &count);
        }
    } else if (refinements > 0) {
        set_integer(&count, refinements);
        block_append_copy(&cache, &count);
    }
    cache.data3 = shape_of(&cache, kind == T_FUNCTION);
    function_record(&value)[kRecordCache] = cache;
    return cache.data2;
}

uint32_t interp_cache_shape(const Cell* fn) {
    interp_cache_spec(fn);
    Cell* kept = &function_record(fn)[kRecordCache];
    // A list kept from before shapes were worked out.
    if (!spec_cache_shape(kept)) kept->data3 = shape_of(kept, code_kind(fn) == T_FUNCTION);
    return spec_cache_shape(kept);
}

} // namespace xel
