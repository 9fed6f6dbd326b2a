#include <cstring>

#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

constexpr uint32_t kCell = sizeof(Cell);

// The cells a value stands for: a block kind's cells from its position (not
// under /only), else the value itself. Copied out, so that inserting a block
// into itself reads the cells as they were.
// The cells to write, held where the collector sees them, since a change
// handler or an expansion may run a collection before they are written: one
// value is pushed on the argument stack as it is, the cells of a block are
// copied into a new block pushed there. The caller drops it with stack_pop(1).
struct Source {
    Cell* holder;
    uint32_t count;
    bool single;
    const Cell* cells() const { return single ? holder : at<Cell>(block_buffer(holder)->head); }
};

Source source_cells(const Cell* value, bool only) {
    if (only || !is_block_kind(type_of(value))) return {stack_push(value), 1, true};
    Cell src = *value;
    uint32_t len = block_buffer_length(&src);
    uint32_t from = block_index(&src) < 0 ? 0 : static_cast<uint32_t>(block_index(&src));
    uint32_t n = from < len ? len - from : 0;
    Cell copy;
    block_make_at(&copy, static_cast<int>(n));
    if (n) {
        std::memcpy(at<Cell>(block_buffer(&copy)->head), block_cell_at(&src, from), n * kCell);
        block_buffer(&copy)->tail += n * kCell;
    }
    return {stack_push(&copy), n, false};
}

// The limit of /part: an integer!, or a position in the value's own series;
// a negative limit gives all.
int64_t part_limit(const Cell* value, const Cell* part, int64_t all) {
    int64_t n;
    if (type_of(part) == T_INTEGER)
        n = static_cast<int32_t>(part->data2);
    else if (part->data2 == value->data2 && is_block_kind(type_of(part)))
        n = int64_t{block_index(part)} - block_index(value);
    else
        error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, part);
    return n < 0 || n > all ? all : n;
}

int64_t dup_count(const Cell* dup) {
    return dup ? static_cast<int32_t>(dup->data2) : 1;
}

// cells x dup and its size in bytes must stay within a signed 32-bit number.
uint32_t checked_total(int64_t cells, int64_t dup) {
    int64_t total = cells * dup;
    if (total > INT32_MAX || total * kCell > INT32_MAX)
        error_fire(kCatInternal, err::internal::kNoMemory);
    return static_cast<uint32_t>(total);
}

// Room for n more cells; grows to twice the need, or to the need exactly.
SeriesBuf* make_room(Offset node, uint32_t n, bool exact) {
    SeriesBuf* buf = buffer_of(node);
    uint64_t need = uint64_t{buf->used()} + uint64_t{n} * kCell;
    if (buf->head + need > buf->data_end())
        buf = expand_series_copy(buf, static_cast<int64_t>(exact ? need : 2 * need));
    return buf;
}

// Writes n cells at dest and repeats them to fill total cells.
void fill_cells(Cell* dest, const Source& src, uint32_t n, uint32_t total) {
    if (!total) return;
    std::memcpy(dest, src.cells(), n * kCell);
    memory_repeat_fill(reinterpret_cast<uint8_t*>(dest), n * kCell, total / n);
}

Cell* result_at(const Cell* block, uint32_t index) {
    Cell* result = stack_arguments();
    *result = *block;
    cell_clear_new_line(result);
    result->data1 = index;
    return result;
}

Cell* insert_cells(Cell* series, Cell* value, Cell* part, bool only, Cell* dup, bool append) {
    Cell blk = *series;
    Source cells = source_cells(value, only);
    int64_t n = cells.count;
    if (part) n = part_limit(value, part, n);
    int64_t copies = dup_count(dup);
    uint32_t len = block_buffer_length(&blk);
    uint32_t index = block_index(&blk) < 0 ? 0 : static_cast<uint32_t>(block_index(&blk));
    if (index > len) index = len;
    uint32_t at_index = append ? len : index;
    if (n > cells.count) n = cells.count;
    if (n == 0 || copies < 1) {
        stack_pop(1);
        return result_at(&blk, append ? 0 : at_index);
    }
    uint32_t total = checked_total(n, copies);

    Change change = append ? Change::Append : Change::Insert;
    bool told = ownership_notify_before(&blk, change, value, static_cast<int>(at_index),
                                        static_cast<int>(total));
    uint32_t now = block_buffer_length(&blk);
    if (append || at_index > now) at_index = now;
    SeriesBuf* buf = make_room(blk.data2, total, copies >= 5);
    Cell* slot = at<Cell>(buf->head) + at_index;
    Cell* tail = at<Cell>(buf->tail);
    if (slot < tail) {
        plan_note_write(buf);
        std::memmove(slot + total, slot, (tail - slot) * kCell);
    }
    fill_cells(slot, cells, static_cast<uint32_t>(n), total);
    buf->tail += total * kCell;
    hash_note_inserted(&blk, at_index, total);
    stack_pop(1);
    if (told)
        ownership_notify_after(&blk, change, value, static_cast<int>(at_index),
                               static_cast<int>(total));
    if (append) return result_at(&blk, 0);
    uint32_t after = at_index + total;
    return result_at(&blk, after);
}

} // namespace

Cell* block_append(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return insert_cells(series, value, part, only, dup, true);
}

Cell* block_insert(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    return insert_cells(series, value, part, only, dup, false);
}

Cell* block_change(Cell* series, Cell* value, Cell* part, bool only, Cell* dup) {
    Cell blk = *series;
    Source cells = source_cells(value, only);
    int64_t copies = dup_count(dup);
    uint32_t len = block_buffer_length(&blk);
    uint32_t index = block_index(&blk) < 0 ? 0 : static_cast<uint32_t>(block_index(&blk));
    if (index > len) index = len;
    if (copies < 1) {
        stack_pop(1);
        return result_at(&blk, index);
    }
    uint32_t total = checked_total(static_cast<int64_t>(cells.count), copies);

    // Cells replaced: as many as written (the block grows past its tail), or the /part count.
    uint32_t replaced = total;
    if (part) {
        int64_t n;
        if (type_of(part) == T_INTEGER)
            n = static_cast<int32_t>(part->data2);
        else if (part->data2 == blk.data2 && is_block_kind(type_of(part)))
            n = int64_t{block_index(part)} - index;
        else
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, part);
        if (n < 0) n = 0;
        replaced = static_cast<uint32_t>(n > len - index ? len - index : n);
    } else if (replaced > len - index) {
        replaced = len - index;
    }

    bool told = ownership_notify_before(&blk, Change::Change, value, static_cast<int>(index),
                                        static_cast<int>(total));
    len = block_buffer_length(&blk);
    if (index > len) index = len;
    if (replaced > len - index) replaced = len - index;
    SeriesBuf* buf = block_buffer(&blk);
    if (total > replaced) buf = make_room(blk.data2, total - replaced, copies >= 5);
    plan_note_write(buf);
    Cell* slot = at<Cell>(buf->head) + index;
    Cell* rest = slot + replaced;
    Cell* tail = at<Cell>(buf->tail);
    if (rest < tail && total != replaced) std::memmove(slot + total, rest, (tail - rest) * kCell);
    fill_cells(slot, cells, cells.count, total);
    buf->tail = buf->tail + total * kCell - replaced * kCell;
    hash_note_rebuilt(&blk);
    stack_pop(1);
    if (told)
        ownership_notify_after(&blk, Change::Change, value, static_cast<int>(index),
                               static_cast<int>(total));
    return result_at(&blk, index + total);
}

Cell* block_swap(Cell* series1, Cell* series2) {
    Cell a = *series1;
    Cell b = *series2;
    if (!is_block_kind(type_of(&b))) error_fire(kCatScript, err::script::kInvalidArg, &b);
    if (!block_xs_tail(&a) && !block_xs_tail(&b) && block_index(&a) >= 0 && block_index(&b) >= 0) {
        bool told_a = ownership_notify_before(&a, Change::Swap, nullptr, block_index(&a), 1);
        bool told_b = ownership_notify_before(&b, Change::Swap, nullptr, block_index(&b), 1);
        if (!block_xs_tail(&a) && !block_xs_tail(&b)) {
            plan_note_write(block_buffer(&a));
            plan_note_write(block_buffer(&b));
            Cell* ca = block_rs_head(&a);
            Cell* cb = block_rs_head(&b);
            Cell kept = *ca;
            *ca = *cb;
            *cb = kept;
            hash_note_rewritten(&a, static_cast<uint32_t>(block_index(&a)), 1);
            hash_note_rewritten(&b, static_cast<uint32_t>(block_index(&b)), 1);
        }
        if (told_a) ownership_notify_after(&a, Change::Swap, nullptr, block_index(&a), 1);
        if (told_b) ownership_notify_after(&b, Change::Swap, nullptr, block_index(&b), 1);
    }
    Cell* result = stack_arguments();
    *result = a;
    return result;
}

// Every refinement gives the same: the none! values go.
Cell* block_trim(Cell* series, const TrimOptions&) {
    Cell blk = *series;
    uint32_t len = block_buffer_length(&blk);
    uint32_t index = block_index(&blk) < 0 ? 0 : static_cast<uint32_t>(block_index(&blk));
    if (index < len) {
        bool told = ownership_notify_before(&blk, Change::Trim, nullptr, static_cast<int>(index),
                                            static_cast<int>(len - index));
        len = block_buffer_length(&blk);
        SeriesBuf* buf = block_buffer(&blk);
        plan_note_write(buf);
        Cell* cells = at<Cell>(buf->head);
        uint32_t kept = index < len ? index : len;
        for (uint32_t i = index; i < len; i++)
            if (type_of(&cells[i]) != T_NONE) cells[kept++] = cells[i];
        buf->tail = buf->head + kept * kCell;
        if (told) ownership_notify_after(&blk, Change::Trim, nullptr, static_cast<int>(index), 0);
    }
    Cell* result = stack_arguments();
    *result = blk;
    return result;
}

} // namespace xel
