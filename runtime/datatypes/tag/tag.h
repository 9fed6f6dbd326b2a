// tag!: a string-family value shown between angle brackets.
#pragma once

#include "runtime/cell.h"

namespace xel {

// Pushes a copy of the string cell (same buffer and position) retyped as tag!.
Cell* tag_push(const Cell* str);

// form and mold: "<", the text as it is (the lexer reads a tag's text
// without escapes), ">".
int tag_form(Cell* value, Cell* buffer, Cell* arg, int part);
int tag_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
             int indent);

} // namespace xel
