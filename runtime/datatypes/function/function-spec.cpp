#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

uint32_t canonical(const Cell* word) {
    return symbol_resolve(word_symbol(word));
}

bool is_argument_word(uint8_t t) {
    return t == T_WORD || t == T_LIT_WORD || t == T_GET_WORD;
}

// word!, set-word!, lit-word!, get-word!, refinement!
bool is_word_kind(uint8_t t) {
    return t >= T_WORD && t <= T_REFINEMENT;
}

bool is_local_refinement(const Cell* c) {
    return type_of(c) == T_REFINEMENT && canonical(c) == canonical(g_ref_local);
}

// The words that name arguments, refinements and locals.
bool is_variable(uint8_t t) {
    return is_argument_word(t) || t == T_REFINEMENT;
}

// The spec walk: the cells from the spec's position, read by index because
// the checks may allocate.
struct SpecWalk {
    Cell spec;
    uint32_t length;

    // The type of cell i, or 0 past the end.
    uint8_t type_at(uint32_t i) const { return i < length ? type_of(block_cell_at(&spec, i)) : 0; }
    Cell cell(uint32_t i) const { return *block_cell_at(&spec, i); }
    [[noreturn]] void refuse() const { error_fire(kCatScript, err::script::kBadFuncDef, &spec); }
};

void check_type_block(const Cell* types) {
    Cell list = *types;
    for (uint32_t i = static_cast<uint32_t>(block_index(&list)); i < block_buffer_length(&list);
         i++) {
        Cell written = *block_cell_at(&list, i);
        uint8_t t = type_of(&written);
        if (t == T_WORD) t = type_of(word_get_checked(&written));
        if (t != T_DATATYPE && t != T_TYPESET && t != T_WORD)
            error_fire(kCatScript, err::script::kInvalidTypeSpec, &written);
    }
}

// The attribute block at the spec's head: words only; trace and no-trace set flags.
uint32_t attribute_flags(const Cell* attributes, const SpecWalk& w) {
    Cell list = *attributes;
    uint32_t flags = 0;
    for (uint32_t i = static_cast<uint32_t>(block_index(&list)); i < block_buffer_length(&list);
         i++) {
        const Cell* c = block_cell_at(&list, i);
        if (type_of(c) != T_WORD) w.refuse();
        if (canonical(c) == symbol_resolve(g_sym_trace)) flags |= kFunctionTrace;
        if (canonical(c) == symbol_resolve(g_sym_no_trace)) flags |= kFunctionNoTrace;
    }
    return flags;
}

} // namespace

uint32_t function_validate_spec(const Cell* spec) {
    SpecWalk w{*spec, block_buffer_length(spec)};
    uint32_t i = block_index(spec) < 0 ? 0 : static_cast<uint32_t>(block_index(spec));
    uint32_t flags = 0;
    if (w.type_at(i) == T_BLOCK) {
        Cell attributes = w.cell(i);
        flags = attribute_flags(&attributes, w);
        i++;
    }
    bool return_seen = false;
    bool local_seen = false;
    while (i < w.length) {
        Cell v = w.cell(i);
        uint8_t t = type_of(&v);
        if (is_argument_word(t)) {
            if (local_seen && t != T_WORD) w.refuse();
            if (return_seen && !local_seen) w.refuse();
            if (w.type_at(i + 1) == T_STRING && w.type_at(i + 2) == T_BLOCK) w.refuse();
            if (w.type_at(i + 1) == T_BLOCK) {
                Cell types = w.cell(i + 1);
                check_type_block(&types);
                i++;
            }
            i++;
            continue;
        }
        switch (t) {
        case T_SET_WORD: {
            if (canonical(&v) != symbol_resolve(g_sym_return) || return_seen || local_seen)
                w.refuse();
            if (w.type_at(i + 1) != T_BLOCK) w.refuse();
            uint8_t after = w.type_at(i + 2);
            if (after && after != T_REFINEMENT && after != T_STRING) w.refuse();
            return_seen = true;
            i += 2;
            break;
        }
        case T_REFINEMENT: {
            if (is_local_refinement(&v))
                local_seen = true;
            else if (local_seen || return_seen)
                w.refuse();
            uint8_t next = w.type_at(i + 1);
            if (next && !is_word_kind(next) && next != T_STRING) w.refuse();
            i++;
            break;
        }
        case T_STRING:
            i++;
            break;
        default:
            w.refuse();
        }
    }
    function_check_duplicates(spec);
    return flags;
}

void function_check_duplicates(const Cell* spec) {
    Cell s = *spec;
    uint32_t n = block_buffer_length(&s);
    uint32_t from = block_index(&s) < 0 ? 0 : static_cast<uint32_t>(block_index(&s));
    for (uint32_t i = from; i < n; i++) {
        const Cell* first = block_cell_at(&s, i);
        if (!is_variable(type_of(first))) continue;
        uint32_t symbol = canonical(first);
        for (uint32_t j = i + 1; j < n; j++) {
            const Cell* later = block_cell_at(&s, j);
            if (is_variable(type_of(later)) && canonical(later) == symbol) {
                Cell dup = *later;
                error_fire(kCatScript, err::script::kDupVars, &dup);
            }
        }
    }
}

Cell function_arg_word(const Cell* fn, int n) {
    uint8_t t = type_of(fn);
    if (t != T_NATIVE && t != T_ACTION && t != T_OP && t != T_FUNCTION && t != T_ROUTINE)
        return *g_word_anon_marker;
    Cell spec;
    function_spec_block(fn, &spec);
    for (uint32_t i = 0; i < block_buffer_length(&spec); i++) {
        const Cell* c = block_cell_at(&spec, i);
        if (!is_argument_word(type_of(c)) && type_of(c) != T_REFINEMENT) continue;
        if (n-- == 0) {
            Cell word = *c;
            cell_set_type(&word, T_WORD);
            cell_clear_new_line(&word);
            return word;
        }
    }
    return *g_word_anon_marker;
}

int32_t function_count_locals(Offset spec_node, uint32_t start, bool strict) {
    Cell s{T_BLOCK, 0, spec_node, 0};
    int32_t count = 0;
    bool local = false;
    for (uint32_t i = start; i < block_buffer_length(&s); i++) {
        const Cell* c = block_cell_at(&s, i);
        if (!local) {
            if (is_local_refinement(c)) {
                local = true;
                count = 1;
            }
        } else if (type_of(c) == T_WORD) {
            count++;
        }
    }
    return !local && strict ? -1 : count;
}

} // namespace xel
