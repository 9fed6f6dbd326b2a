// How block code reaches the actions of its element types. mold and form go
// through action dispatch; comparisons read the compare row themselves, so
// that a type without compare reads as not comparable instead of failing a
// search or a sort.
#pragma once
#include "runtime/cell.h"

namespace xel {

// The element type's mold and form (script expect-arg when the type lacks them).
int element_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                 int indent);
int element_form(Cell* value, Cell* buffer, Cell* arg, int part);
// The type's own three-way compare: -1, 0, 1, or -2 when not comparable
// (also when the type has no compare).
int element_compare(Cell* value1, Cell* value2, int op);
// The order used between cells of a block: logic! by truth, native!/action!/op!
// and function!/routine! by identity, other types through their compare.
int element_compare_values(Cell* value1, Cell* value2, int op);
// The plain answer of a comparison under an equality op (kCmpEqual,
// kCmpNotEqual, kCmpStrictEqual, kCmpSame to kCmpFind).
bool element_equal(Cell* value1, Cell* value2, int op);

} // namespace xel
