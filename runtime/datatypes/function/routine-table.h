// The code of routines: C++ functions registered by name. A routine! value
// keeps the 1-based index of its entry in the record's code cell.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// An argument or the result of a routine's code. Without the cell-arguments
// bit, logic! arguments arrive as their truth in integer (0 or 1), integer!
// as integer, float! as number; with it, every argument is its cell and the
// code answers the cell holding its result.
union RoutineValue {
    int32_t integer;
    double number;
    Cell* cell;
};

// The arguments in spec order and their count.
using RoutineFn = RoutineValue (*)(const RoutineValue* args, uint32_t count);

// The index of a name's entry, made on first registration; registering a
// known name again replaces its code and keeps its index.
uint32_t routine_register(const char* name, RoutineFn code);
// The index of a registered name, or 0.
uint32_t routine_find(const char* name);
// The code of an index, or nullptr when no entry has it.
RoutineFn routine_code(uint32_t index);

} // namespace xel
