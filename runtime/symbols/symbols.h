// The symbol table: every spelling of a word is interned once and known by
// its symbol id, the 1-based position of its symbol! cell in the symbols
// block. A spelling that differs from a known one only in ASCII letter case
// is a symbol of its own whose alias is the known one; binding and equality
// go through the alias (the canonical id), molding shows the spelling.
//
// symbol! cell: word 1 the alias id (-1 when the spelling was new in every
// case), word 2 the node of its string! buffer (0 until first asked for),
// word 3 the node of a byte series holding the UTF-8 name (NUL after the tail).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// The symbol table (a word-kind hash table over the symbols block).
extern Offset g_symbol_table;

constexpr uint32_t kSymbolTableSize = 4000;

// The words of a symbol! cell (layout above).
inline int32_t symbol_alias_word(const Cell* symbol) {
    return static_cast<int32_t>(symbol->data1);
}
inline Offset symbol_cached_string(const Cell* symbol) {
    return symbol->data2;
}
inline void symbol_set_cached_string(Cell* symbol, Offset node) {
    symbol->data2 = node;
}
inline Offset symbol_name_node(const Cell* symbol) {
    return symbol->data3;
}
inline void symbol_make_at(Cell* c, int32_t alias, Offset name_node) {
    *c = Cell{T_SYMBOL, static_cast<uint32_t>(alias), 0, name_node};
}

// Makes the symbols block and the symbol table, keeping the block in the root block.
void symbols_init();

// The id of a name, adding a symbol when needed. With caseless set, a
// spelling equal but for ASCII case is answered as it is (nothing added).
uint32_t symbol_find_or_add(Offset table, const uint8_t* name, uint32_t length, bool caseless);

uint32_t symbol_make(const char* name);
uint32_t symbol_make_caseless(const char* name);
uint32_t symbol_make_from_buffer(const uint8_t* name, uint32_t length);
// The spelling held in a string value, from its position to its tail.
uint32_t symbol_from_string(const Cell* string);

// Number of symbols so far.
uint32_t symbol_count();
// The symbol! cell of an id, as it is (valid until the next allocation).
Cell* symbol_cell(uint32_t id);
// The symbol! cell with its string! buffer made.
Cell* symbol_get(uint32_t id);
// The id of a symbol! cell of the symbols block, or 0 for a cell elsewhere.
uint32_t symbol_id_of(const Cell* symbol);
// The string! buffer node of a symbol cell, decoded from UTF-8 on first use
// and kept in the cell (in the symbols block when the cell is one of its).
Offset symbol_string_node(Cell* symbol);
// The UTF-8 name: address of its bytes (NUL-terminated) and its length.
const char* symbol_name(uint32_t id, uint32_t* length = nullptr);
// The name as a NUL-terminated byte string (the NUL is ensured first).
const char* symbol_to_c_string(uint32_t id);

// The canonical id: the alias when above 0, else the id itself.
uint32_t symbol_resolve(uint32_t id);
int32_t symbol_alias_of(uint32_t id);

// compare action of symbol!: the two spellings compared as strings.
int symbol_compare(Cell* value1, Cell* value2, int op);

// While set, every word made by word_load (and context_add_global) is also
// appended to the root block, and that copy is what they return. The
// run-time init sets it; the start-up clears it once the root cells are cached.
extern bool g_boot_recording;

// The word! of a name in the global context (symbol and slot made on first
// use); a case variant of a known word shares its slot but keeps its own
// spelling. Outside boot recording the result is the global word entry:
// copy it before the next allocation.
Cell* word_load(const char* name);

} // namespace xel
