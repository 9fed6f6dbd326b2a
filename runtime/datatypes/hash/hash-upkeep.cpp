// Keeping a hash!'s table in step with its block after the block code changed
// the cells, and searching through the table.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/hashing/hashtable.h"

namespace xel {

namespace {

bool is_hash(const Cell* series) {
    return type_of(series) == T_HASH;
}

Cell* cell_of(const Cell* series, uint32_t index) {
    return at<Cell>(block_buffer(series)->head) + index;
}

// Enters the cells [index, index + count) again; a put that rebuilt the
// whole table has entered the rest too.
void reenter(const Cell* series, uint32_t index, uint32_t count) {
    Offset table = series->data3;
    for (uint32_t i = index; i < index + count; i++) {
        int out = 0;
        hash_put_value(table, cell_of(series, i), &out);
        if (out == 2) return;
    }
}

} // namespace

void hash_note_inserted(const Cell* series, uint32_t index, uint32_t count) {
    if (!is_hash(series) || count == 0) return;
    uint32_t len = block_buffer_length(series);
    uint32_t before = len - count;
    uint32_t after = before > index ? before - index : 0;
    if (hash_shift_indexes(series->data3, static_cast<int32_t>(count), index, after, true)) {
        hash_rehash(series->data3, len);
        return;
    }
    reenter(series, index, count);
}

void hash_note_removed(const Cell* series, uint32_t index, uint32_t count) {
    if (!is_hash(series) || count == 0) return;
    uint32_t len = block_buffer_length(series);
    uint32_t after = len > index ? len - index : 0;
    if (hash_shift_indexes(series->data3, -static_cast<int32_t>(count), index + count, after, true))
        hash_rehash(series->data3, len);
}

void hash_note_rewritten(const Cell* series, uint32_t index, uint32_t count) {
    if (is_hash(series)) reenter(series, index, count);
}

void hash_note_moved(const Cell* series, uint32_t to, uint32_t from, uint32_t count) {
    if (is_hash(series)) hash_move_range(series->data3, to, from, count);
}

void hash_note_rebuilt(const Cell* series) {
    if (is_hash(series)) hash_rehash(series->data3, block_buffer_length(series));
}

void hash_note_taken(const Cell* series, Cell* taken, uint32_t index, uint32_t count) {
    if (!is_hash(series)) return;
    hash_note_removed(series, index, count);
    hash_index_block(taken);
}

int32_t hash_find_index(const Cell* series, const Cell* value, int32_t start, int32_t skip, int op,
                        bool last, bool reverse, int64_t mark) {
    Cell probe = *value;
    Cell* found = hash_find(series->data3, &probe, start, skip, op, last, reverse);
    if (!found) return -1;
    auto index = static_cast<int32_t>(found - at<Cell>(block_buffer(series)->head));
    return mark >= 0 && index > mark ? -1 : index;
}

void hash_index_block(Cell* block) {
    uint32_t len = block_buffer_length(block);
    cell_set_type(block, T_HASH);
    block->data3 = 0;
    Offset table = hash_make(len < 1 ? 1 : len, block, kHashBlock, 1);
    block->data3 = table;
}

} // namespace xel
