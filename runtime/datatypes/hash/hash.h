// hash!: a block! whose cells are indexed by a hashtable of kind 0 (word 3
// of the cell), so that find and select need no linear scan. The block
// actions it inherits keep the table in step through the notes below; its
// own actions build or rebuild the table where the block code cannot.
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

inline Offset hash_table_node(const Cell* h) {
    return h->data3;
}
// Writes a hash! at the head of the block buffer node, indexed by table.
inline void hash_set_cell(Cell* c, Offset node, Offset table) {
    *c = Cell{T_HASH, 0, node, table};
}

// Notes from the series and block code after they changed a block in place.
// Each does nothing unless the series is a hash!.
// count cells were inserted at index (the cells after them moved up).
void hash_note_inserted(const Cell* series, uint32_t index, uint32_t count);
// count cells at index were removed (the cells after them moved down).
void hash_note_removed(const Cell* series, uint32_t index, uint32_t count);
// The cells [index, index + count) hold new values.
void hash_note_rewritten(const Cell* series, uint32_t index, uint32_t count);
// count cells moved from index from so that the first now stands at to.
void hash_note_moved(const Cell* series, uint32_t to, uint32_t from, uint32_t count);
// Any other change: the table is rebuilt over the whole block.
void hash_note_rebuilt(const Cell* series);
// take: count cells at index went to the taken series; a taken hash! gets a
// table of its own.
void hash_note_taken(const Cell* series, Cell* taken, uint32_t index, uint32_t count);

// find and select on a hash!, through its table: the index of the nearest
// cell at or after start (the furthest with last, the nearest before start
// with reverse) equal to value under op, whose distance from start is a
// multiple of skip and which lies at or before mark (when mark >= 0); -1
// when there is none.
int32_t hash_find_index(const Cell* series, const Cell* value, int32_t start, int32_t skip, int op,
                        bool last, bool reverse, int64_t mark);

// A new table over the block of the cell, which becomes a hash!.
void hash_index_block(Cell* block);

// Actions (the row is hash_row in rows.h); named apart from the hashtable
// library's hash_make and hash_copy.
Cell* hash_block_make(Cell* proto, Cell* spec, int type);
Cell* hash_block_to(Cell* proto, Cell* spec, int type);
int hash_block_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                    int indent);
Cell* hash_block_copy(Cell* value, Cell* part, bool deep, Cell* types);
Cell* hash_block_sort(Cell* series, const SortOptions& o);
Cell* hash_block_trim(Cell* series, const TrimOptions& o);

} // namespace xel
