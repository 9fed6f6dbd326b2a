// sort/compare with a function!: each comparison calls the function in a
// frame of its own, named <compare-callback>.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

struct SortByFunction {
    Cell function;
    // With /all and /skip each argument is a block of the whole record; the
    // two blocks live on the argument stack for the sort's duration.
    bool whole_records;
    bool reverse;
    uint32_t size;
    Cell* records;
};

// A comparison for the record sorters: arg1 is the SortByFunction. The
// function's answer maps to an order: true 1, false -1, an integer as it is,
// a float by its sign, none! -1, anything else 1. A break, return or throw
// pending from the function is raised as a C++ throw (exit_raise_pending).
int sort_call_comparator(const void* a, const void* b, intptr_t order, intptr_t unused);

} // namespace xel
