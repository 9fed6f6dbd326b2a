// The record walks behind find, select and sort on strings, shared with
// vector!: a child of string! whose items read as numbers, not characters.
// The scans and the sort setup know only units; the caller says how an item
// matches or compares.
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"
#include "runtime/sort/sort.h"

namespace xel {

// The units find searches: match starts in [lo, hi), on records of step
// units counted from the position pos.
struct FindRange {
    int64_t pos, lo, hi;
    int32_t step;
};

// Checks /skip and /part and narrows the range; false when nothing can match.
bool string_find_range(const Cell* series, const Cell* part, const Cell* skip, bool reverse,
                       bool match, FindRange* range);

// The first start where at(start, hi) holds for a match of n units (n >= 1),
// scanning forward, or backward from the last record with backward; -1 when
// none does. With match only the first start is tried.
template <class At>
int64_t string_find_scan(const FindRange& r, uint32_t n, bool backward, bool match, At at) {
    if (backward) {
        // Starts counted from the position, the last one ending by hi.
        int64_t top = r.hi - n;
        int64_t first = top >= r.pos ? r.pos + (top - r.pos) / r.step * r.step
                                     : r.pos - (r.pos - top + r.step - 1) / r.step * r.step;
        for (int64_t s = first; s >= r.lo; s -= r.step) {
            if (at(static_cast<uint32_t>(s), static_cast<uint32_t>(r.hi))) return s;
            if (match) break;
        }
        return -1;
    }
    for (int64_t s = r.lo; s < r.hi; s += r.step) {
        if (s + n > r.hi) break;
        if (at(static_cast<uint32_t>(s), static_cast<uint32_t>(r.hi))) return s;
        if (match) break;
    }
    return -1;
}

// Comparator flags of the sort: bit 0 reverse, bit 1 all units of the record
// (their count in bits 2 and up), else the offset of the compared unit in
// bits 2 and up.
constexpr intptr_t kSortReverse = 1;
constexpr intptr_t kSortAll = 2;

// A sort in progress: count units from start in records of size units.
struct SortPlan {
    int32_t start, count, size;
    bool by_function; // /compare gave a function
    intptr_t flags;   // for a comparator of units, without a function
    bool told;        // the owners were told; string_sort_end tells them again
    void (*sorter)(void*, size_t, size_t, intptr_t, intptr_t, SortCompare);
};

// Checks the refinements, finds the sorted units and tells the owners of the
// series; false when there is nothing to sort.
bool string_sort_begin(Cell* series, const SortOptions& o, SortPlan* plan);
// The first sorted unit, as the buffer stands now.
uint8_t* string_sort_first(const Cell* series, const SortPlan& plan);
void string_sort_end(Cell* series, const SortPlan& plan);

// Orders two records by the flags, item(address) giving each unit's key.
template <class Item>
int string_sort_compare(const void* a, const void* b, uint32_t unit, intptr_t flags, Item item) {
    const auto* x = static_cast<const uint8_t*>(a);
    const auto* y = static_cast<const uint8_t*>(b);
    intptr_t from = (flags & kSortAll) ? 0 : flags >> 2;
    intptr_t to = (flags & kSortAll) ? flags >> 2 : from + 1;
    int r = 0;
    for (intptr_t i = from; i < to && r == 0; i++) {
        auto p = item(x + i * unit);
        auto q = item(y + i * unit);
        r = p < q ? -1 : (p > q ? 1 : 0);
    }
    return (flags & kSortReverse) ? -r : r;
}

} // namespace xel
