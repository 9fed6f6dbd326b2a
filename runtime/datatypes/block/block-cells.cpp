#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

uint32_t capacity_or_one(int capacity) {
    return capacity < 1 ? 1u : static_cast<uint32_t>(capacity);
}

// The position as a cell count, clamped to the buffer.
uint32_t clamped_index(const Cell* block) {
    int32_t i = block_index(block);
    if (i < 0) return 0;
    uint32_t len = block_buffer_length(block);
    return static_cast<uint32_t>(i) > len ? len : static_cast<uint32_t>(i);
}

// Room for n more cells at the tail; grows to twice the needed size.
SeriesBuf* reserve_cells(Offset node, uint32_t n) {
    SeriesBuf* buf = buffer_of(node);
    uint64_t need = uint64_t{buf->tail} + n * sizeof(Cell);
    if (need > buf->data_end())
        buf = expand_series_copy(buf, 2 * (int64_t{buf->used()} + n * sizeof(Cell)));
    return buf;
}

} // namespace

void block_make_at(Cell* cell, int capacity) {
    Offset node = alloc_cells(capacity_or_one(capacity));
    block_set_cell(cell, T_BLOCK, node, 0);
}

void block_make_at_fixed(Cell* cell, int capacity, bool fixed) {
    uint32_t n = capacity_or_one(capacity);
    Offset node = fixed ? alloc_fixed(n, sizeof(Cell), 0) : alloc_unset_cells(n);
    block_set_cell(cell, T_BLOCK, node, 0);
}

namespace {

Cell* make_in(Cell* parent, int capacity, bool fixed) {
    Cell fresh;
    block_make_at_fixed(&fresh, capacity, fixed);
    Cell* target = parent ? block_alloc_tail_cell(parent) : &g_root;
    *target = fresh;
    return target;
}

} // namespace

Cell* block_make_in(Cell* parent, int capacity) {
    return make_in(parent, capacity, false);
}

Cell* block_make_fixed_in(Cell* parent, int capacity) {
    return make_in(parent, capacity, true);
}

Cell* block_push(const Cell* block) {
    return stack_push(block);
}

Cell* block_push_new(int capacity) {
    Cell fresh;
    block_make_at(&fresh, capacity == 0 ? 1 : capacity);
    return stack_push(&fresh);
}

int block_length_at(Cell* block) {
    int32_t i = block_index(block);
    int32_t len = static_cast<int32_t>(block_buffer_length(block));
    if (i < 0) return len;
    if (i >= len) {
        block->data1 = static_cast<uint32_t>(len);
        return 0;
    }
    return len - i;
}

bool block_xs_next(Cell* block) {
    uint32_t len = block_buffer_length(block);
    uint32_t i = clamped_index(block);
    if (i < len) i++;
    block->data1 = i;
    return i >= len;
}

bool block_xs_tail(const Cell* block) {
    return block_index(block) >= static_cast<int32_t>(block_buffer_length(block));
}

Cell* block_cell_at_index(Cell* block) {
    uint32_t len = block_buffer_length(block);
    if (block_index(block) > static_cast<int32_t>(len)) block->data1 = len;
    return at<Cell>(block_buffer(block)->head) + clamped_index(block);
}

Cell* block_tail_cell(const Cell* block) {
    return block_rs_tail(block);
}

Cell* block_cell_at(const Cell* block, uint32_t index) {
    return at<Cell>(block_buffer(block)->head) + index;
}

void block_clear_at(Cell* block) {
    block_clear_from(block, block_index(block));
}

void block_clear_from(Cell* block, int32_t index) {
    SeriesBuf* buf = block_buffer(block);
    uint32_t len = buf->used() / sizeof(Cell);
    uint32_t i = index < 0 ? 0 : static_cast<uint32_t>(index);
    if (i < len) {
        plan_note_write(buf);
        buf->tail = buf->head + i * sizeof(Cell);
    }
}

void block_remove_last(Cell* block) {
    SeriesBuf* buf = block_buffer(block);
    if (buf->tail == buf->head) return;
    plan_note_write(buf);
    buf->tail -= sizeof(Cell);
    uint32_t len = buf->used() / sizeof(Cell);
    if (block_index(block) > static_cast<int32_t>(len)) block->data1 = len;
}

Cell* block_alloc_tail_cell(Cell* block) {
    return series_alloc_tail_cell(block_buffer(block));
}

Cell* block_append_copy(Cell* block, const Cell* value) {
    Cell copy = *value; // the value may live in the buffer that grows
    Cell* c = block_alloc_tail_cell(block);
    *c = copy;
    return c;
}

void block_append_block(Cell* block, const Cell* other) {
    Cell src = *other;
    uint32_t from = clamped_index(&src);
    uint32_t n = block_buffer_length(&src) - from;
    if (!n) return;
    SeriesBuf* buf = reserve_cells(block->data2, n);
    // Re-read the source: the reservation may have moved it (it may be the same buffer).
    std::memmove(at(buf->tail), block_cell_at(&src, from), n * sizeof(Cell));
    buf->tail += n * sizeof(Cell);
}

Cell* block_insert_value(Cell* block, const Cell* value, bool at_head, bool advance) {
    Cell copy = *value;
    uint32_t i = at_head ? 0 : clamped_index(block);
    SeriesBuf* buf = reserve_cells(block->data2, 1);
    Cell* slot = at<Cell>(buf->head) + i;
    Cell* tail = at<Cell>(buf->tail);
    if (slot < tail) {
        plan_note_write(buf);
        std::memmove(slot + 1, slot, (tail - slot) * sizeof(Cell));
    }
    *slot = copy;
    buf->tail += sizeof(Cell);
    if (advance) block->data1 = i + 1;
    return slot;
}

void block_insert_block(Cell* block, const Cell* other) {
    Cell src = *other;
    uint32_t from = clamped_index(&src);
    uint32_t n = block_buffer_length(&src) - from;
    uint32_t i = clamped_index(block);
    if (n) {
        bool same = src.data2 == block->data2;
        SeriesBuf* buf = reserve_cells(block->data2, n);
        Cell* slot = at<Cell>(buf->head) + i;
        Cell* tail = at<Cell>(buf->tail);
        if (slot < tail) plan_note_write(buf);
        std::memmove(slot + n, slot, (tail - slot) * sizeof(Cell));
        buf->tail += n * sizeof(Cell);
        // Inserting a block into itself: the source cells after the insertion
        // point now stand n cells further on.
        if (same && from >= i) {
            std::memmove(slot, slot + n + (from - i), n * sizeof(Cell));
        } else if (same) {
            uint32_t before = i - from; // source cells still before the gap
            Cell* s = block_cell_at(&src, from);
            std::memmove(slot, s, before * sizeof(Cell));
            std::memmove(slot + before, slot + n, (n - before) * sizeof(Cell));
        } else {
            std::memcpy(slot, block_cell_at(&src, from), n * sizeof(Cell));
        }
    }
    block->data1 = i + n;
}

void block_insert_arg(Cell* frame_value) {
    block_insert_value(frame_value - 1, frame_value, false, true);
}

void block_append_arg(Cell* frame_value) {
    block_append_copy(frame_value - 1, frame_value);
}

void block_append_arg_to_result() {
    Cell* args = stack_arguments();
    block_append_copy(args, args + 1);
}

} // namespace xel
