// Sorting runs of fixed-size records in place with a caller-supplied order.
// The sorters know nothing of values: a record is width bytes, and the order
// comes only from the comparison, which gets the two record addresses and
// the two arguments handed to the sort, unchanged.
#pragma once
#include <cstddef>
#include <cstdint>

namespace xel {

// Negative when a sorts before b, 0 when equal, positive when after.
using SortCompare = int (*)(const void* a, const void* b, intptr_t arg1, intptr_t arg2);

struct SortRun {
    size_t width;
    intptr_t arg1;
    intptr_t arg2;
    SortCompare compare;
    int cmp(const uint8_t* a, const uint8_t* b) const { return compare(a, b, arg1, arg2); }
};

// In place, not stable; already ordered (or reverse ordered) input costs one pass.
void sort_quick(void* base, size_t count, size_t width, intptr_t arg1, intptr_t arg2,
                SortCompare compare);
// In place and stable, with a heap buffer of half the data. A buffer size past
// a signed 32-bit number raises script too-long; no heap, internal no-memory.
void sort_merge(void* base, size_t count, size_t width, intptr_t arg1, intptr_t arg2,
                SortCompare compare);

// Exchanges two records: 4 bytes at a time, or byte by byte with bytewise.
void sort_swap(uint8_t* a, uint8_t* b, size_t width, bool bytewise);
// End of the natural run from start: non-descending, or strictly descending
// (then reversed in place).
uint8_t* sort_find_run(uint8_t* start, uint8_t* end, const SortRun& run);
// Merges the adjacent sorted runs [left, right) and [right, end) through buffer.
void sort_merge_runs(uint8_t* left, uint8_t* right, uint8_t* end, uint8_t* buffer,
                     const SortRun& run);
// The partitioning quicksort: hint records already sorted at the front
// (positive) or at the back (negative).
void sort_quick_core(ptrdiff_t hint, uint8_t* base, size_t count, const SortRun& run);

} // namespace xel
