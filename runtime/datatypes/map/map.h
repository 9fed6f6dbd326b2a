// map!: key/value pairs in insertion order in a block, indexed by a hashtable
// of kind 1. Words 1-2 of the cell are a block position over the pairs, word
// 3 the node of the table. A removed entry stays in the block with its value
// cell's header set to 0; it counts as absent and is revived in place when
// its key is set again. The table's size is the number of live entries.
//
// Lookups compare keys under an option: 0 (case-insensitive strings, the word
// types folded together), 2 (/case) or 9 (/same). Stored keys are prepared:
// series keys are copies, word keys are set-words.
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

constexpr int kMapFold = 0;
constexpr int kMapCase = 2;
constexpr int kMapSame = 9;

// The cell becomes an empty map! over a new block of size cells.
Cell* map_make_new(Cell* cell, uint32_t size);
// Prepares a key just stored in a map's block (the hashtable library's
// g_map_prepare_key); a key of a type maps refuse raises script invalid-path.
void map_prepare_key(Cell* key, Cell* result);
// The value cell of key's live entry under the option, or null (valid until
// the next allocation).
Cell* map_lookup(const Cell* map, const Cell* key, int option);
// Sets key's value, adding the entry at the end or reviving a removed one.
void map_store(const Cell* map, const Cell* key, const Cell* value, int option);
// The live-entry count.
uint32_t map_count(const Cell* map);
// Adds the pairs of a block!, hash! or map! (an odd count of values raises
// script invalid-arg); the map is left in the current frame's result slot.
void map_extend(Cell* map, Cell* spec, bool case_);
// foreach: the two words get the key (a set-word as a word) and value of the
// next live entry at the series' position, which is moved past removed
// entries; past the last entry both get none! and the answer is false.
bool map_foreach_set(Cell* words, Cell* series, uint32_t n);
// out becomes a new block of the live pairs, each key starting a new line.
void map_body_block(const Cell* map, Cell* out);

// Actions (the row is map_row in rows.h).
Cell* map_make(Cell* proto, Cell* spec, int type);
Cell* map_to(Cell* proto, Cell* spec, int type);
Cell* map_reflect(Cell* value, Cell* field);
int map_form(Cell* value, Cell* buffer, Cell* arg, int part);
int map_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
             int indent);
Cell* map_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                    Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
int map_compare(Cell* value1, Cell* value2, int op);
Cell* map_clear(Cell* value);
Cell* map_copy(Cell* value, Cell* part, bool deep, Cell* types);
Cell* map_find(Cell* series, Cell* value, const FindOptions& o);
Cell* map_select(Cell* series, Cell* value, const FindOptions& o);
int map_length(Cell* value);
Cell* map_put(Cell* series, Cell* key, Cell* value, bool case_);
Cell* map_remove(Cell* series, Cell* part, Cell* key);

} // namespace xel
