#include "runtime/datatypes/function/spec-cache.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
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
    function_record(&value)[kRecordCache] = cache;
    return cache.data2;
}

} // namespace xel
