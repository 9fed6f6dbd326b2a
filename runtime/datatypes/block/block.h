// block!: a series position whose units are value cells. These helpers are
// what the rest of the run-time uses to build and walk blocks.
//
// Buffers move on any allocation: the Cell* results below are valid only
// until the next call that may allocate.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

// Raw accessors (no clamping).
inline SeriesBuf* block_buffer(const Cell* block) {
    SeriesBuf* buf = buffer_of(block->data2);
    XEL_ASSERT(buf->unit() == sizeof(Cell));
    return buf;
}
inline int32_t block_index(const Cell* block) {
    return static_cast<int32_t>(block->data1);
}
inline Cell* block_rs_head(const Cell* block) {
    return at<Cell>(block_buffer(block)->head) + block_index(block);
}
inline Cell* block_rs_tail(const Cell* block) {
    return at<Cell>(block_buffer(block)->tail);
}
// Cells from head to tail, position ignored.
inline uint32_t block_buffer_length(const Cell* block) {
    return block_buffer(block)->used() / sizeof(Cell);
}
inline bool is_block_kind(uint8_t type) {
    return type == T_BLOCK || type == T_PAREN || (type >= T_PATH && type <= T_GET_PATH) ||
           type == T_HASH;
}
inline void block_set_cell(Cell* cell, uint8_t type, Offset node, int32_t index) {
    *cell = Cell{type, static_cast<uint32_t>(index), node, 0};
}

// Makers. A capacity below 0 gives 1.
void block_make_at(Cell* cell, int capacity);
// A fixed heap buffer when fixed is set, else a collected buffer of n unset! cells.
void block_make_at_fixed(Cell* cell, int capacity, bool fixed);
// An empty block at the tail of parent, or in the root block when parent is null.
Cell* block_make_in(Cell* parent, int capacity);
Cell* block_make_fixed_in(Cell* parent, int capacity);
// Pushes a copy of a block cell (same buffer, same position).
Cell* block_push(const Cell* block);
// Pushes a new empty block; a capacity of 0 means 1.
Cell* block_push_new(int capacity);

// Positions.
int block_length_at(Cell* block);
bool block_xs_next(Cell* block);
bool block_xs_tail(const Cell* block);
// The cell at the position; a position past the tail is moved back to it.
Cell* block_cell_at_index(Cell* block);
Cell* block_tail_cell(const Cell* block);
Cell* block_cell_at(const Cell* block, uint32_t index);

// Changes at the tail.
void block_clear_at(Cell* block);
void block_clear_from(Cell* block, int32_t index);
void block_remove_last(Cell* block);
// A fresh unset! cell at the tail.
Cell* block_alloc_tail_cell(Cell* block);
Cell* block_append_copy(Cell* block, const Cell* value);
// Appends copies of other's cells from its position.
void block_append_block(Cell* block, const Cell* other);

// Inserts a copy of value at the position (at the head with at_head); with
// advance the position moves past it. Returns the inserted cell.
Cell* block_insert_value(Cell* block, const Cell* value, bool at_head, bool advance);
// Inserts other's cells from its position at the position, advancing.
void block_insert_block(Cell* block, const Cell* other);

// Searches with the search equality (kCmpFind). select_value: from the
// position, the cell after the first match, or the shared none! cell when
// there is none or the match is the last cell. remove_value: removes the first
// match, searching from the head or from the position; false when none matched.
Cell* block_select_value(const Cell* block, const Cell* value);
bool block_remove_value(Cell* block, const Cell* value, bool from_head);

// Compiled-code entries: the frame's value goes into the block held in the cell before it.
void block_insert_arg(Cell* frame_value);
void block_append_arg(Cell* frame_value);
// Appends the frame's second cell to the block in the frame's result slot.
void block_append_arg_to_result();

} // namespace xel
