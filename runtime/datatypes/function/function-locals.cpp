#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

uint32_t canonical(const Cell* word) {
    return symbol_resolve(word_symbol(word));
}

bool is_refinement_named(const Cell* c, const Cell* refinement) {
    return type_of(c) == T_REFINEMENT && canonical(c) == canonical(refinement);
}

struct Collector {
    Cell collected;
    Cell ignore; // the spec's words, then every word collected

    bool ignores(uint32_t symbol) const {
        for (uint32_t i = 0; i < block_buffer_length(&ignore); i++) {
            const Cell* c = block_cell_at(&ignore, i);
            if (type_of(c) == T_WORD && canonical(c) == symbol) return true;
        }
        return false;
    }

    void collect(const Cell* word) {
        Cell w = *word;
        if (ignores(canonical(&w))) return;
        w.header = T_WORD;
        block_append_copy(&collected, &w);
        block_append_copy(&ignore, &w);
    }

    // The words of a foreach or remove-each word block.
    void collect_each(const Cell* words) {
        Cell list = *words;
        for (uint32_t i = static_cast<uint32_t>(block_index(&list)); i < block_buffer_length(&list);
             i++) {
            Cell c = *block_cell_at(&list, i);
            uint8_t t = type_of(&c);
            if (t == T_WORD || t == T_GET_WORD || t == T_LIT_WORD) collect(&c);
        }
    }

    void walk(const Cell* block) {
        Cell b = *block;
        // A block nested in itself is walked once.
        if (cycles_find(b.data2)) return;
        cycles_push(b.data2);
        uint32_t n = block_buffer_length(&b);
        for (uint32_t i = static_cast<uint32_t>(block_index(&b)); i < n; i++) {
            Cell v = *block_cell_at(&b, i);
            switch (type_of(&v)) {
            case T_SET_WORD:
                collect(&v);
                break;
            case T_BLOCK:
            case T_PAREN:
                walk(&v);
                break;
            case T_WORD:
                if (i + 1 < n) loop_word(&v, block_cell_at(&b, i + 1));
                break;
            default:
                break;
            }
        }
        cycles_pop();
    }

    void loop_word(const Cell* word, const Cell* next_cell) {
        Cell next = *next_cell;
        uint32_t symbol = canonical(word);
        bool each =
            symbol == symbol_resolve(g_sym_foreach) || symbol == symbol_resolve(g_sym_remove_each);
        uint8_t t = type_of(&next);
        if (each && t == T_BLOCK)
            collect_each(&next);
        else if ((each || symbol == symbol_resolve(g_sym_repeat)) &&
                 (t == T_WORD || t == T_SET_WORD))
            collect(&next);
    }
};

// Drops the word local from the collected block: the /local refinement owns that name.
void drop_local_word(Cell* collected) {
    SeriesBuf* buf = block_buffer(collected);
    Cell* cells = at<Cell>(buf->head);
    uint32_t n = buf->used() / sizeof(Cell);
    uint32_t kept = 0;
    uint32_t local = canonical(g_ref_local);
    for (uint32_t i = 0; i < n; i++)
        if (canonical(&cells[i]) != local) cells[kept++] = cells[i];
    buf->tail = buf->head + kept * sizeof(Cell);
}

} // namespace

Cell function_collect_words(Cell* spec, const Cell* body) {
    Collector c;
    block_make_at(&c.collected, 8);
    c.ignore = *block_clone(spec, false, false);
    stack_pop(1);

    Cell s = *spec;
    uint32_t from = block_index(&s) < 0 ? 0 : static_cast<uint32_t>(block_index(&s));
    uint32_t n = block_buffer_length(&s);
    int32_t extern_at = -1;
    for (uint32_t i = from; i < n && extern_at < 0; i++)
        if (is_refinement_named(block_cell_at(&s, i), g_ref_extern))
            extern_at = static_cast<int32_t>(i);
    if (extern_at >= 0) {
        uint32_t i = static_cast<uint32_t>(extern_at) + 1;
        while (i < n && type_of(block_cell_at(&s, i)) == T_WORD)
            i++;
        if (i < n && is_refinement_named(block_cell_at(&s, i), g_ref_local)) {
            for (i++; i < n; i++) {
                Cell w = *block_cell_at(&s, i);
                if (type_of(&w) == T_WORD) block_append_copy(&c.collected, &w);
            }
        }
        block_clear_from(spec, extern_at);
    }

    for (uint32_t i = 0; i < block_buffer_length(&c.ignore); i++) {
        Cell* x = block_cell_at(&c.ignore, i);
        switch (type_of(x)) {
        case T_SET_WORD:
        case T_LIT_WORD:
        case T_GET_WORD:
        case T_REFINEMENT:
            cell_set_type(x, T_WORD);
            break;
        case T_WORD:
        case T_BLOCK:
        case T_STRING:
            break;
        default:
            if (extern_at >= 0) {
                Cell bad = *x;
                error_fire(kCatScript, err::script::kBadFuncExtern, &bad);
            }
        }
    }

    c.walk(body);

    if (block_buffer_length(&c.collected) > 0) {
        if (function_count_locals(spec->data2, from, true) < 0) {
            Cell local = *g_ref_local;
            block_append_copy(spec, &local);
        }
        drop_local_word(&c.collected);
        block_append_block(spec, &c.collected);
    }
    return c.collected;
}

} // namespace xel
