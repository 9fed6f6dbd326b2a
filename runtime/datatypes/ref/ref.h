// ref!: a string-family value written after an at sign.
#pragma once

#include "runtime/cell.h"

namespace xel {

// Pushes a copy of the string cell (same buffer and position) retyped as ref!.
Cell* ref_push(const Cell* str);

// "@" and the text.
int ref_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
             int indent);

} // namespace xel
