// Text read from outside (a file, a response body) as the I/O services give
// it to scripts. Both raise access invalid-utf8 on bytes that are not UTF-8.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// out becomes a string! of the bytes decoded from UTF-8: a leading
// byte-order mark is skipped, CR LF and a lone CR read as LF.
void simple_io_load_text(const uint8_t* bytes, uint32_t count, Cell* out);

// out becomes a block! of string! lines: each LF ends a line and a CR right
// before it is dropped; bytes after the last LF make a last line, a final LF
// no empty one. out must be a cell the collector sees (a stack cell).
void simple_io_split_lines(const uint8_t* bytes, uint32_t count, Cell* out);

} // namespace xel
