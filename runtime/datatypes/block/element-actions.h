// How block code reaches the actions of its element types: straight through
// the action rows of the registry, one small function per action.
#pragma once
#include "runtime/cell.h"

namespace xel {

// The element type's mold and form; raise script expect-arg when the type lacks them.
int element_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                 int indent);
int element_form(Cell* value, Cell* buffer, Cell* arg, int part);
// The type's own three-way compare: -1, 0, 1, or -2 when not comparable
// (also when the type has no compare).
int element_compare(Cell* value1, Cell* value2, int op);
// The order used between cells of a block: logic! by truth, native!/action!/op!
// and function!/routine! by identity, other types through their compare.
int element_compare_values(Cell* value1, Cell* value2, int op);
// The plain answer of a comparison under an equality op (0, 1, 2, 9-12).
bool element_equal(Cell* value1, Cell* value2, int op);

} // namespace xel
