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

// The file services' actions. read raises internal not-done for /as, write
// for /allow and /as; delete and rename answer logic!, query a date! or none.
Cell* file_read(Cell* source, Cell* part, Cell* seek, bool binary, bool lines, bool info, Cell* as);
Cell* file_write(Cell* destination, Cell* data, bool binary, bool lines, bool info, bool append,
                 Cell* part, Cell* seek, Cell* allow, Cell* as);
Cell* file_delete(Cell* file);
Cell* file_rename(Cell* from, Cell* to);
Cell* file_query(Cell* file);

} // namespace xel
