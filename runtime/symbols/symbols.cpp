#include "runtime/symbols/symbols.h"

#include <cstring>
#include <string>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/collector.h"
#include "runtime/memory/series-memory.h"
#include "runtime/runtime-init.h"

namespace xel {

Offset g_symbol_table = 0;
bool g_boot_recording = false;

namespace {

constexpr int32_t kNoAlias = -1;

inline Cell* symbol_cells() {
    return at<Cell>(buffer_of(hash_record(g_symbol_table)->block)->head);
}

inline bool same_bytes_nocase(const uint8_t* a, const uint8_t* b, uint32_t n) {
    for (uint32_t i = 0; i < n; i++) {
        uint8_t x = a[i], y = b[i];
        if (x == y) continue;
        if ((x | 0x20) != (y | 0x20)) return false;
        uint8_t lower = x | 0x20;
        if (lower < 'a' || lower > 'z') return false;
    }
    return true;
}

// The probe matcher of the symbol table: names of equal byte length, equal
// exactly or (caseless) but for ASCII letter case.
struct NameMatch {
    const Cell* cells;
    const uint8_t* name;
    uint32_t length;
    bool caseless;
    bool operator()(int32_t key) const {
        const SeriesBuf* buf = buffer_of(symbol_name_node(&cells[key]));
        if (buf->used() != length) return false;
        const uint8_t* other = at(buf->head);
        return caseless ? same_bytes_nocase(other, name, length)
                        : std::memcmp(other, name, length) == 0;
    }
};

uint32_t add_symbol(Offset table, const uint8_t* name, uint32_t length, int32_t alias) {
    // The name may lie in a series buffer that the allocations below move.
    std::string copy(reinterpret_cast<const char*>(name), length);
    Offset name_node = alloc_bytes(length + 1);
    SeriesBuf* nb = buffer_of(name_node);
    std::memcpy(at(nb->head), copy.data(), length);
    at(nb->head)[length] = 0;
    nb->tail = nb->head + length;

    Cell* c = series_alloc_tail_cell(buffer_of(hash_record(table)->block));
    symbol_make_at(c, alias, name_node);
    HashTable* t = hash_record(table);
    auto position = static_cast<int32_t>(c - at<Cell>(buffer_of(t->block)->head));
    uint32_t slot;
    hash_probe(
        t, hash_symbol(reinterpret_cast<const uint8_t*>(copy.data()), length),
        [](int32_t) { return false; }, &slot);
    hash_claim(t, slot, position);
    return static_cast<uint32_t>(position + 1);
}

} // namespace

void symbols_init() {
    Cell* root_cell = root_alloc_tail_cell();
    Offset block = alloc_cells(kSymbolTableSize);
    block_set_cell(root_cell, T_BLOCK, block, 0);
    Cell holder;
    block_set_cell(&holder, T_BLOCK, block, 0);
    g_symbol_table = hash_make(kSymbolTableSize, &holder, kHashWords, 1);
    collector_add_root_callback([] { hash_mark(&g_symbol_table); });
}

uint32_t symbol_find_or_add(Offset table, const uint8_t* name, uint32_t length, bool caseless) {
    hash_grow_if_full(table);
    HashTable* t = hash_record(table);
    uint32_t hash = hash_symbol(name, length);
    const Cell* cells = at<Cell>(buffer_of(t->block)->head);
    uint32_t slot;
    int32_t found = hash_probe(t, hash, NameMatch{cells, name, length, caseless}, &slot);
    if (found >= 0) return static_cast<uint32_t>(hash_keys(t)[found] + 1);
    int32_t alias = kNoAlias;
    if (!caseless) {
        uint32_t unused;
        int32_t variant = hash_probe(t, hash, NameMatch{cells, name, length, true}, &unused);
        if (variant >= 0) alias = hash_keys(t)[variant] + 1;
    }
    return add_symbol(table, name, length, alias);
}

uint32_t symbol_make(const char* name) {
    return symbol_find_or_add(g_symbol_table, reinterpret_cast<const uint8_t*>(name),
                              static_cast<uint32_t>(std::strlen(name)), false);
}

uint32_t symbol_make_caseless(const char* name) {
    return symbol_find_or_add(g_symbol_table, reinterpret_cast<const uint8_t*>(name),
                              static_cast<uint32_t>(std::strlen(name)), true);
}

uint32_t symbol_make_from_buffer(const uint8_t* name, uint32_t length) {
    return symbol_find_or_add(g_symbol_table, name, length, false);
}

uint32_t symbol_from_string(const Cell* string) {
    Cell copy = *string;
    int length = -1;
    const uint8_t* text = string_to_utf8(&copy, &length);
    return symbol_make_from_buffer(text, static_cast<uint32_t>(length));
}

uint32_t symbol_count() {
    return hash_record(g_symbol_table)->size;
}

Cell* symbol_cell(uint32_t id) {
    return symbol_cells() + (id - 1);
}

uint32_t symbol_id_of(const Cell* symbol) {
    const SeriesBuf* block = buffer_of(hash_record(g_symbol_table)->block);
    Offset at_cell = offset_of(symbol);
    if (at_cell < block->head || at_cell >= block->tail) return 0;
    return (at_cell - block->head) / sizeof(Cell) + 1;
}

Offset symbol_string_node(Cell* symbol) {
    if (symbol_cached_string(symbol)) return symbol_cached_string(symbol);
    uint32_t id = symbol_id_of(symbol);
    const SeriesBuf* name = buffer_of(symbol_name_node(symbol));
    std::string copy(reinterpret_cast<const char*>(at(name->head)), name->used());
    Offset node = string_load_utf8_new(reinterpret_cast<const uint8_t*>(copy.data()), copy.size());
    // The symbols block may have moved: cache through the id, not the pointer.
    if (id)
        symbol_set_cached_string(symbol_cell(id), node);
    else
        symbol_set_cached_string(symbol, node);
    return node;
}

Cell* symbol_get(uint32_t id) {
    symbol_string_node(symbol_cell(id));
    return symbol_cell(id);
}

const char* symbol_name(uint32_t id, uint32_t* length) {
    const SeriesBuf* name = buffer_of(symbol_name_node(symbol_cell(id)));
    if (length) *length = name->used();
    return reinterpret_cast<const char*>(at(name->head));
}

const char* symbol_to_c_string(uint32_t id) {
    SeriesBuf* name = buffer_of(symbol_name_node(symbol_cell(id)));
    if (name->tail >= name->data_end()) name = expand_series_copy(name, name->size + 16);
    *at(name->tail) = 0;
    return reinterpret_cast<const char*>(at(name->head));
}

uint32_t symbol_resolve(uint32_t id) {
    auto alias = symbol_alias_word(symbol_cell(id));
    return alias > 0 ? static_cast<uint32_t>(alias) : id;
}

int32_t symbol_alias_of(uint32_t id) {
    return symbol_alias_word(symbol_cell(id));
}

} // namespace xel
