// The actions of hash! that build or rebuild its table; the others are
// block!'s.
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

constexpr char kMoldPrefix[] = "make hash! ";

Cell* index_result(Cell* block) {
    Cell* result = stack_arguments();
    *result = *block;
    cell_clear_new_line(result);
    hash_index_block(result);
    return result;
}

} // namespace

Cell* hash_block_make(Cell* proto, Cell* spec, int type) {
    (void)type;
    Cell s = *spec;
    uint8_t t = type_of(&s);
    if (t == T_HASH) return hash_block_copy(&s, nullptr, false, nullptr);
    if (t == T_INTEGER || t == T_FLOAT) {
        int32_t n = float_to_integer_checked(&s);
        Cell fresh;
        block_make_at(&fresh, n < 1 ? 1 : n);
        return index_result(&fresh);
    }
    if (t == T_BLOCK) {
        Cell copy = *block_clone(&s, false, false);
        Cell* result = index_result(&copy);
        stack_pop(1);
        return result;
    }
    return hash_block_to(proto, &s, T_HASH);
}

Cell* hash_block_to(Cell* proto, Cell* spec, int type) {
    (void)type;
    Cell s = *spec;
    if (type_of(&s) == T_HASH) return hash_block_copy(&s, nullptr, false, nullptr);
    Cell made = *block_to(proto, &s, T_BLOCK);
    return index_result(&made);
}

int hash_block_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                    int indent) {
    if (!only) {
        string_concatenate_literal(buffer, kMoldPrefix);
        part -= static_cast<int>(sizeof kMoldPrefix - 1);
    }
    return block_mold(value, buffer, only, all, flat, arg, part, indent);
}

Cell* hash_block_copy(Cell* value, Cell* part, bool deep, Cell* types) {
    Cell source = *value;
    // The source may live only in the result slot that the copy overwrites.
    stack_push(&source);
    bool whole = series_index(&source) == 0 && !part && !deep && !types;
    Cell copy = *block_copy(&source, part, deep, types);
    Cell* result = stack_arguments();
    *result = copy;
    cell_set_type(result, T_HASH);
    if (whole) {
        result->data3 = 0;
        Offset table = hash_copy(source.data3, result->data2);
        result->data3 = table;
    } else {
        hash_index_block(result);
    }
    stack_pop(1);
    return result;
}

Cell* hash_block_sort(Cell* series, const SortOptions& o) {
    Cell s = *series;
    Cell* result = block_sort(&s, o);
    // Also after a sort that a comparator left half done by break or throw.
    hash_note_rebuilt(&s);
    return result;
}

Cell* hash_block_trim(Cell* series, const TrimOptions& o) {
    Cell s = *series;
    Cell* result = block_trim(&s, o);
    hash_note_rebuilt(&s);
    return result;
}

void hash_row(ActionList& row) {
    row.inherit_all()
        .set<A_MAKE>(hash_block_make)
        .set<A_TO>(hash_block_to)
        .set<A_MOLD>(hash_block_mold)
        .set<A_COPY>(hash_block_copy)
        .set<A_SORT>(hash_block_sort)
        .set<A_TRIM>(hash_block_trim)
        .set<A_RANDOM>(nullptr);
}

void hash_mark_cell(Cell* c) {
    collector_mark_block_node(&c->data2);
    hash_mark(&c->data3);
}

} // namespace xel
