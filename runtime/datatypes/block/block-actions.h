// The block! actions and the walks they share (mold-each, compare-each,
// clone). Registered in the block! row; paren!, the path types and hash!
// inherit them.
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

// Pushes a copy of source's cells from its position, of source's type; with
// deep, nested block! values (and with any also paren! and paths) are cloned
// too. A deep clone of a block that contains itself raises internal no-cycle.
Cell* block_clone(const Cell* source, bool deep, bool any);

// Molds the cells from the position, a blank or a new line (with the indent)
// between them; returns the part limit left.
int block_mold_each(Cell* block, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                    int indent);
// Three-way comparison of two blocks from their positions under op.
int block_compare_each(Cell* first, Cell* second, int op);

// The search of find and select. Returns the index of the match (past it with
// tail), or -1; *match_len gets the cells matched (a sequence's length, else 1).
struct BlockFind {
    Cell* series;
    Cell* value;
    Cell* part;
    Cell* skip;
    bool only, case_, same, last, reverse, tail, match;
};
int32_t block_find_index(const BlockFind& f, int32_t* match_len);

// From the position, the cell after the first any-word (word!, set-word!,
// lit-word!, get-word!) of word's symbol (canonical ids, exact ones with
// strict), or the shared none! cell.
Cell* block_select_word(const Cell* block, const Cell* word, bool strict);

// Replaces, in place, the cells [from, from + n) of block whose type matches
// types (a datatype! or typeset!; every series when null) and that have
// contents of their own, by their copies (deep with deep).
void block_copy_nested(Cell* block, uint32_t from, uint32_t n, bool deep, const Cell* types);

Cell* block_make(Cell* proto, Cell* spec, int type);
Cell* block_to(Cell* proto, Cell* spec, int type);
int block_form(Cell* value, Cell* buffer, Cell* arg, int part);
int block_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
int paren_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
int block_compare(Cell* value1, Cell* value2, int op);
Cell* block_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);

Cell* block_find(Cell* series, Cell* value, const FindOptions& o);
Cell* block_select(Cell* series, Cell* value, const FindOptions& o);
Cell* block_put(Cell* series, Cell* key, Cell* value, bool case_);
Cell* block_append(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* block_insert(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* block_change(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* block_swap(Cell* series1, Cell* series2);
Cell* block_trim(Cell* series, const TrimOptions& o);
Cell* block_take(Cell* series, Cell* part, bool deep, bool last);
Cell* block_copy(Cell* value, Cell* part, bool deep, Cell* types);
Cell* block_sort(Cell* series, const SortOptions& o);

} // namespace xel
