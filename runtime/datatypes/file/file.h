// file!: a string kind for file paths, a child of url! (make, to, form,
// path access and the series actions come from there). The file services'
// actions (delete, query, read, rename, write) belong with those services.
#pragma once

#include "runtime/cell.h"

namespace xel {

// "%" and the text as it is, or between double quotes when it holds a
// character below 127 that a url could not show; an empty file gives %"".
int file_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent);

} // namespace xel
