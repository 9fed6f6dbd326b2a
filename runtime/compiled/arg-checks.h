// Argument checks of compiled code (library functions whose frames the
// run-time fills itself): each raises script expect-arg naming the function
// being called, the value's datatype and the argument's word, and otherwise
// answers the value.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// When the value's type is not in the typeset.
const Cell* arg_check_type(const Cell* typeset, int n, const Cell* value);
// arg_check_type on the cell at index of the current frame, when index >= 0.
void arg_check_type_at(int32_t index, const Cell* typeset, int n);
// arg_check_type only when the refinement is used (its word 1 is not 0).
const Cell* arg_check_type_if_set(const Cell* refinement, const Cell* typeset, int n,
                                  const Cell* value);
// When the value is unset!.
const Cell* arg_check_set(int n, const Cell* value);

} // namespace xel
