#include "runtime/interpreter/interp-spec.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-internal.h"
#include "runtime/words/fixed-words.h"
#include "runtime/words/symbols.h"

namespace xel {

namespace {

// The cell holding a callable's cache: the second cell of a native's or
// action's word-3 block, the second cell of a function's record.
Cell* cache_slot(const Cell* fn) {
    return at<Cell>(buffer_of(fn->data3)->head) + 1;
}

Cell spec_block(const Cell* fn) {
    return Cell{T_BLOCK, 0, fn->data2, 0};
}

} // namespace

void interp_cache_spec(Cell* dest, const Cell* spec, bool numbered) {
    Cell list;
    block_make_at(&list, 8);
    Cell s = *spec;
    uint32_t ordinal = 0;
    int local_cells = 0;
    uint32_t n = block_buffer_length(&s);
    for (uint32_t i = s.data1; i < n; i++) {
        const Cell* v = block_cell_at(&s, i);
        uint8_t t = type_of(v);
        if (local_cells) {
            if (t == T_WORD) local_cells++;
            continue;
        }
        uint32_t cls;
        switch (t) {
        case T_WORD:
            cls = kArgEvaluated;
            break;
        case T_GET_WORD:
            cls = kArgLiteral;
            break;
        case T_LIT_WORD:
            cls = kArgSoftQuoted;
            break;
        case T_SET_WORD:
            if (symbol_resolve(v->data2) != g_sym_return)
                error_fire(kCatScript, err::script::kBadFuncDef, v);
            cls = kArgReturn;
            break;
        case T_REFINEMENT:
            if (symbol_resolve(v->data2) == symbol_resolve(g_word_local->data2)) {
                local_cells = 1;
            } else {
                Cell r = *block_cell_at(&s, i);
                cell_clear_new_line(&r);
                if (numbered)
                    r.data3 = ++ordinal;
                else
                    ordinal++;
                *block_alloc_tail_cell(&list) = r;
            }
            continue;
        default:
            continue;
        }
        const Cell* types = i + 1 < n ? block_cell_at(&s, i + 1) : nullptr;
        Cell* entry;
        if (types && type_of(types) == T_BLOCK) {
            Cell tb = *types;
            entry = typeset_from_block(&list, &tb);
        } else {
            entry = typeset_make_default_in(&list);
        }
        entry->header = (entry->header & ~(3u << 20)) | cls << 20;
    }
    int trailing = numbered ? static_cast<int>(ordinal) : local_cells;
    if (trailing > 0) set_integer(block_alloc_tail_cell(&list), trailing);
    *dest = list;
}

SpecList interp_cached_spec(const Cell* fn) {
    Cell* slot = cache_slot(fn);
    if (type_of(slot) != T_BLOCK) [[unlikely]] {
        Cell list, spec = spec_block(fn);
        uint8_t t = type_of(fn);
        interp_cache_spec(&list, &spec, t == T_NATIVE || t == T_ACTION);
        slot = cache_slot(fn);
        *slot = list;
    }
    Cell* begin = at<Cell>(buffer_of(slot->data2)->head);
    Cell* end = at<Cell>(buffer_of(slot->data2)->tail);
    int trailing = 0;
    if (end > begin && type_of(end - 1) == T_INTEGER) {
        end--;
        trailing = static_cast<int32_t>(end->data2);
    }
    return SpecList{begin, end, trailing};
}

const Cell* spec_arg_word(const Cell* fn, int n) {
    static Cell word;
    Cell spec = spec_block(fn);
    uint8_t ft = type_of(fn);
    if (ft != T_NATIVE && ft != T_ACTION && ft != T_FUNCTION && ft != T_ROUTINE)
        return g_word_anon_marker;
    uint32_t len = block_buffer_length(&spec);
    for (uint32_t i = 0; i < len; i++) {
        const Cell* v = block_cell_at(&spec, i);
        uint8_t t = type_of(v);
        if (t != T_WORD && t != T_GET_WORD && t != T_LIT_WORD && t != T_REFINEMENT) continue;
        if (n-- == 0) {
            word = *v;
            cell_set_type(&word, T_WORD);
            cell_clear_new_line(&word);
            return &word;
        }
    }
    return g_word_anon_marker;
}

} // namespace xel
