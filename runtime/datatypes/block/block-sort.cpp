#include "runtime/actions/compare-ops.h"
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block-sort-call.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/ownership/ownership.h"
#include "runtime/sort/sort.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// Comparator flags: bit 0 reverse, bit 1 all fields, bits 2 and up the
// compared field's offset, or the record size with all.
constexpr intptr_t kSortReverse = 1;
constexpr intptr_t kSortAll = 2;

int compare_cells(Cell* a, Cell* b, int op) {
    int r = element_compare_values(a, b, op);
    if (r == -2) r = static_cast<int>(type_of(a)) - static_cast<int>(type_of(b));
    return r;
}

int compare_records(const void* a, const void* b, intptr_t op, intptr_t flags) {
    auto* x = static_cast<Cell*>(const_cast<void*>(a));
    auto* y = static_cast<Cell*>(const_cast<void*>(b));
    int r = 0;
    if (flags & kSortAll) {
        intptr_t size = flags >> 2;
        for (intptr_t i = 0; i < size && r == 0; i++)
            r = compare_cells(x + i, y + i, static_cast<int>(op));
    } else {
        intptr_t offset = flags >> 2;
        r = compare_cells(x + offset, y + offset, static_cast<int>(op));
    }
    return (flags & kSortReverse) ? -r : r;
}

[[noreturn]] void bad_refines() {
    error_fire(kCatScript, err::script::kBadRefines);
}

} // namespace

Cell* block_sort(Cell* series, const SortOptions& o) {
    Cell blk = *series;
    Cell* result = stack_arguments();
    *result = blk;
    int32_t len = block_length_at(&blk);
    int32_t start = block_index(&blk) < 0 ? 0 : block_index(&blk);
    int32_t count = len;
    if (o.part) {
        if (type_of(o.part) == T_INTEGER)
            count = static_cast<int32_t>(o.part->data2);
        else if (type_of(o.part) == type_of(&blk) && o.part->data2 == blk.data2)
            count = block_index(o.part) - start;
        else
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, o.part);
        if (count < 0) {
            // Compared before negating: the lowest integer has no negation.
            count = count < -start ? start : -count;
            start -= count;
        } else if (count > len) {
            count = len;
        }
    }
    if (count == 0) return result;

    int32_t size = 1;
    if (o.skip) {
        size = type_of(o.skip) == T_INTEGER ? static_cast<int32_t>(o.skip->data2) : 0;
        if (size < 1 || count < size || count % size)
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, o.skip);
    } else if (o.all) {
        bad_refines();
    }
    intptr_t offset = 0;
    if (o.compare) {
        if (type_of(o.compare) == T_INTEGER) {
            if (!o.skip || o.all) bad_refines();
            auto field = static_cast<int32_t>(o.compare->data2);
            if (field < 1 || field > size)
                error_fire(kCatScript, err::script::kOutOfRange, o.compare);
            offset = field - 1;
        } else if (type_of(o.compare) != T_FUNCTION) {
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_compare, o.compare);
        }
    }
    intptr_t flags = (o.reverse ? kSortReverse : 0) | (o.all ? kSortAll : 0) |
                     ((o.all ? intptr_t{size} : offset) << 2);
    intptr_t op = o.case_ ? kCmpCaseSort : kCmpSort;

    bool told = ownership_notify_before(&blk, Change::Sort, nullptr, start, count);
    // The handler told of the sort may have shortened the block.
    int32_t now = static_cast<int32_t>(block_buffer_length(&blk)) - start;
    if (count > now) count = now < 0 ? 0 : now;
    size_t records = static_cast<size_t>(count / size);
    size_t width = static_cast<size_t>(size) * sizeof(Cell);
    plan_note_write(block_buffer(&blk));
    Cell* first = block_cell_at(&blk, static_cast<uint32_t>(start));
    auto sorter = o.stable ? sort_merge : sort_quick;
    if (o.compare && type_of(o.compare) == T_FUNCTION) {
        SortByFunction order{*o.compare, o.all, o.reverse, static_cast<uint32_t>(size), nullptr};
        if (o.all) {
            order.records = stack_push_cell();
            block_make_at(order.records, size);
            block_make_at(stack_push_cell(), size);
        }
        exit_boundary([&] {
            sorter(first, records, width, reinterpret_cast<intptr_t>(&order), 0,
                   sort_call_comparator);
        });
        // A break, return or throw from the function: the stacks are its target's now.
        if (exit_pending()) return result;
        if (o.all) stack_pop(2);
        // The function may have run the block while it was half sorted.
        plan_note_write(block_buffer(&blk));
    } else {
        sorter(first, records, width, op, flags, compare_records);
    }
    if (told) ownership_notify_after(&blk, Change::Sort, nullptr, start, count);
    return result;
}

} // namespace xel
