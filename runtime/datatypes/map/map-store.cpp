// Storing and looking up map! entries.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/map/map-cell.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

bool is_copied_key(uint8_t t) {
    return t == T_STRING || t == T_FILE || t == T_URL || t == T_BINARY || t == T_TAG ||
           t == T_EMAIL || t == T_REF;
}

bool is_word_key(uint8_t t) {
    return t >= T_WORD && t <= T_GET_WORD;
}

// A new series holding the units of a series key from its position.
Offset copy_units(const Cell* key) {
    Cell k = *key;
    uint32_t from = series_clamped_index(&k);
    uint32_t n = series_buffer_length(&k) - from;
    uint32_t unit = series_unit(&k);
    Offset node = alloc_units(n, unit);
    SeriesBuf* copy = buffer_of(node);
    std::memcpy(at(copy->head), at(series_buffer(&k)->head) + from * unit, n * unit);
    copy->tail = copy->head + n * unit;
    return node;
}

} // namespace

Cell* map_make_new(Cell* cell, uint32_t size) {
    Offset table = hash_make(size, nullptr, kHashMap, 0);
    *cell = Cell{T_MAP, 0, hash_record(table)->block, table};
    return cell;
}

void map_prepare_key(Cell* key, Cell* result) {
    (void)result;
    uint8_t t = type_of(key);
    if (!map_key_type(t)) {
        Cell type = datatype_cell(t);
        Cell k = *key;
        error_fire(kCatScript, err::script::kInvalidPath, &type, &k);
    }
    cell_clear_new_line(key);
    if (is_word_key(t)) {
        cell_set_type(key, T_SET_WORD);
    } else if (is_copied_key(t)) {
        Offset node = copy_units(key);
        key->data1 = 0;
        key->data2 = node;
        if (t != T_BINARY) key->data3 = 0;
    }
}

Cell* map_lookup(const Cell* map, const Cell* key, int option) {
    Cell* found = hash_find(map->data3, key, 0, 1, option, false, false);
    if (!found || found[1].header == 0) return nullptr;
    return found + 1;
}

void map_store(const Cell* map, const Cell* key, const Cell* value, int option) {
    Cell m = *map;
    Cell v = *value;
    cell_clear_new_line(&v);
    Cell* found = hash_find(m.data3, key, 0, 1, option, false, false);
    if (found) {
        if (found[1].header == 0) hash_record(m.data3)->size++;
        found[1] = v;
        return;
    }
    Cell k = *key;
    map_prepare_key(&k, &k);
    Cell block{T_BLOCK, 0, m.data2, 0};
    block_append_copy(&block, &k);
    block_append_copy(&block, &v);
    uint32_t at_key = map_cell_count(&m) - 2;
    hash_put(m.data3, map_pairs(&m) + at_key);
}

uint32_t map_count(const Cell* map) {
    return hash_record(map->data3)->size;
}

void map_extend(Cell* map, Cell* spec, bool case_) {
    Cell m = *map;
    Cell s = *spec;
    int option = case_ ? kMapCase : kMapFold;
    if (type_of(&s) == T_MAP) {
        for (uint32_t i = 0; i + 1 < map_cell_count(&s); i += 2) {
            Cell key = map_pairs(&s)[i];
            Cell value = map_pairs(&s)[i + 1];
            if (value.header != 0) map_store(&m, &key, &value, option);
        }
    } else {
        auto n = static_cast<uint32_t>(block_length_at(&s));
        if (n % 2) error_fire(kCatScript, err::script::kInvalidArg, &s);
        SeriesBuf* buf = buffer_of(m.data2);
        uint64_t need = uint64_t{buf->used()} + uint64_t{n} * sizeof(Cell);
        if (buf->head + need > buf->data_end()) expand_series_copy(buf, static_cast<int64_t>(need));
        uint32_t from = series_clamped_index(&s);
        for (uint32_t i = 0; i < n; i += 2) {
            Cell key = *block_cell_at(&s, from + i);
            Cell value = *block_cell_at(&s, from + i + 1);
            map_store(&m, &key, &value, option);
        }
    }
    *stack_arguments() = m;
}

bool map_foreach_set(Cell* words, Cell* series, uint32_t n) {
    Cell list = *words;
    for (uint32_t i = 0; i < n; i++) {
        Cell w = block_rs_head(&list)[i];
        if (!is_word_key(type_of(&w))) error_fire(kCatScript, err::script::kInvalidArg, &w);
    }
    uint32_t pos = series->data1;
    uint32_t len = map_cell_count(series);
    while (pos + 1 < len && map_pairs(series)[pos + 1].header == 0)
        pos += 2;
    series->data1 = pos;
    bool found = pos + 1 < len;
    for (uint32_t i = 0; i < n; i++) {
        Cell value = g_none_cell;
        if (found && i < 2) {
            value = map_pairs(series)[pos + i];
            if (type_of(&value) == T_SET_WORD) cell_set_type(&value, T_WORD);
        }
        Cell word = block_rs_head(&list)[i];
        context_set(&word, &value);
    }
    return found;
}

} // namespace xel
