// The actions of map!: make and to, path access, the key actions (find,
// select, put, remove), clear, copy, length? and reflect.
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/map/map-cell.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/natives/loops/loops.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

[[noreturn]] void bad_to(const Cell* spec) {
    Cell type = datatype_cell(T_MAP);
    error_fire(kCatScript, err::script::kBadToArg, &type, spec);
}

Cell* result_map(const Cell* map) {
    Cell* result = stack_arguments();
    *result = *map;
    cell_clear_new_line(result);
    return result;
}

int find_option(bool case_, bool same) {
    return same ? kMapSame : (case_ ? kMapCase : kMapFold);
}

// A map over a copy of the pairs of a block kind from its position; a
// repeated key keeps its first place with the last value.
Cell* map_of_block(const Cell* spec) {
    Cell s = *spec;
    if (block_length_at(&s) % 2) error_fire(kCatScript, err::script::kInvalidArg, &s);
    Cell copy = *block_clone(&s, false, false);
    uint32_t n = block_buffer_length(&copy);
    for (uint32_t i = 0; i < n; i++)
        cell_clear_new_line(block_cell_at(&copy, i));
    Offset table = hash_make(n / 2, &copy, kHashMap, 0);
    Cell made{T_MAP, 0, copy.data2, table};
    stack_pop(1);
    return result_map(&made);
}

Cell* make_map(Cell* spec, bool to) {
    Cell s = *spec;
    switch (type_of(&s)) {
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
        return map_of_block(&s);
    case T_INTEGER:
    case T_FLOAT: {
        if (to) bad_to(&s);
        int32_t n = float_to_integer_checked(&s);
        if (n < 0) error_fire(kCatScript, err::script::kOutOfRange, &s);
        Cell made;
        map_make_new(&made, 2 * static_cast<uint32_t>(n));
        return result_map(&made);
    }
    case T_MAP:
        return map_copy(&s, nullptr, false, nullptr);
    default:
        bad_to(&s);
    }
}

// A new block of the live keys (as words) or values.
Cell live_block(const Cell* map, bool keys) {
    Cell m = *map;
    Cell block;
    block_make_at(&block, static_cast<int>(map_count(&m)));
    for (uint32_t i = 0; i + 1 < map_cell_count(&m); i += 2) {
        if (map_pairs(&m)[i + 1].header == 0) continue;
        Cell c = map_pairs(&m)[keys ? i : i + 1];
        if (type_of(&c) == T_SET_WORD) cell_set_type(&c, T_WORD);
        block_append_copy(&block, &c);
    }
    return block;
}

// The value cell of a key as find and select look for it, or nullptr.
Cell* lookup_as_asked(const Cell* series, const Cell* value, const FindOptions& o) {
    Cell m = *series;
    Cell key = *value;
    return map_lookup(&m, &key, find_option(o.case_, o.same));
}

} // namespace

void map_body_block(const Cell* map, Cell* out) {
    Cell m = *map;
    Cell block;
    block_make_at(&block, static_cast<int>(2 * map_count(&m)));
    for (uint32_t i = 0; i + 1 < map_cell_count(&m); i += 2) {
        if (map_pairs(&m)[i + 1].header == 0) continue;
        Cell key = map_pairs(&m)[i];
        Cell value = map_pairs(&m)[i + 1];
        key.header |= kNewLineFlag;
        block_append_copy(&block, &key);
        block_append_copy(&block, &value);
    }
    *out = block;
}

Cell* map_make(Cell*, Cell* spec, int) {
    return make_map(spec, false);
}

Cell* map_to(Cell*, Cell* spec, int) {
    return make_map(spec, true);
}

Cell* map_reflect(Cell* value, Cell* field) {
    Cell m = *value;
    Cell f = *field;
    uint32_t s = is_any_word_type(type_of(&f)) ? symbol_resolve(word_symbol(&f)) : 0;
    Cell result;
    if (s == symbol_resolve(g_sym_words))
        result = live_block(&m, true);
    else if (s == symbol_resolve(g_sym_values))
        result = live_block(&m, false);
    else if (s == symbol_resolve(g_sym_body))
        map_body_block(&m, &result);
    else
        error_fire(kCatInternal, err::internal::kNotDone);
    return stack_set_last(&result);
}

Cell* map_eval_path(Cell* parent, Cell* element, Cell* value, Cell*, Cell*, Cell*, int, bool case_,
                    bool, bool, bool) {
    Cell m = *parent;
    Cell key = *element;
    int option = case_ ? kMapCase : kMapFold;
    Cell* result = stack_arguments();
    if (value) {
        Cell v = *value;
        map_store(&m, &key, &v, option);
        *result = v;
        return result;
    }
    Cell* found = map_lookup(&m, &key, option);
    if (found)
        *result = *found;
    else
        set_none(result);
    return result;
}

Cell* map_clear(Cell* value) {
    Cell m = *value;
    hash_clear(m.data3);
    SeriesBuf* buf = buffer_of(m.data2);
    buf->tail = buf->head;
    return result_map(&m);
}

Cell* map_copy(Cell* value, Cell* part, bool deep, Cell* types) {
    (void)part;
    Cell m = *value;
    // The source may live only in the result slot that the block copy overwrites.
    stack_push(&m);
    Cell pairs_block{T_BLOCK, 0, m.data2, 0};
    Cell copy = *block_copy(&pairs_block, nullptr, deep, types);
    Cell made{T_MAP, 0, copy.data2, 0};
    Cell* result = result_map(&made);
    Offset table = hash_copy(m.data3, copy.data2);
    result->data3 = table;
    stack_pop(1);
    return result;
}

Cell* map_find(Cell* series, Cell* value, const FindOptions& o) {
    Cell* found = lookup_as_asked(series, value, o);
    Cell* result = stack_arguments();
    if (!found) {
        set_none(result);
        return result;
    }
    *result = found[-1];
    if (type_of(result) == T_SET_WORD) cell_set_type(result, T_WORD);
    return result;
}

Cell* map_select(Cell* series, Cell* value, const FindOptions& o) {
    Cell* found = lookup_as_asked(series, value, o);
    Cell* result = stack_arguments();
    if (found)
        *result = *found;
    else
        set_none(result);
    return result;
}

int map_length(Cell* value) {
    return static_cast<int>(map_count(value));
}

Cell* map_put(Cell* series, Cell* key, Cell* value, bool case_) {
    Cell m = *series;
    Cell k = *key;
    Cell v = *value;
    map_store(&m, &k, &v, case_ ? kMapCase : kMapFold);
    Cell* result = stack_arguments();
    *result = v;
    return result;
}

Cell* map_remove(Cell* series, Cell*, Cell* key) {
    Cell m = *series;
    if (!key) error_fire(kCatScript, err::script::kMissingArg);
    Cell k = *key;
    Cell* found = map_lookup(&m, &k, kMapCase);
    if (found) hash_delete(m.data3, found - 1);
    return result_map(&m);
}

void map_row(ActionList& row) {
    g_map_prepare_key = map_prepare_key;
    g_map_foreach_set = map_foreach_set;
    row.set<A_MAKE>(map_make)
        .set<A_REFLECT>(map_reflect)
        .set<A_TO>(map_to)
        .set<A_FORM>(map_form)
        .set<A_MOLD>(map_mold)
        .set<A_EVAL_PATH>(map_eval_path)
        .set<A_COMPARE>(map_compare)
        .set<A_CLEAR>(map_clear)
        .set<A_COPY>(map_copy)
        .set<A_FIND>(map_find)
        .set<A_LENGTH_Q>(map_length)
        .set<A_PUT>(map_put)
        .set<A_REMOVE>(map_remove)
        .set<A_SELECT>(map_select);
}

void map_mark_cell(Cell* c) {
    collector_mark_block_node(&c->data2);
    hash_mark(&c->data3);
}

} // namespace xel
