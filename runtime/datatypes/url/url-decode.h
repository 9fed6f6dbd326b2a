// Percent-decoding of UTF-8 text, as url! and file! literals are loaded and
// as `dehex` reads its argument.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Appends the percent-decoded text of [src, src + n) to the string cell: a
// valid escape gives its byte; an escaped UTF-8 lead byte takes as many
// following escapes as its sequence needs (invalid sequences are replaced);
// where those escapes are not all valid, and at every other position, one
// UTF-8 character of the raw text is appended.
void url_decode_utf8(const uint8_t* src, uint32_t n, Cell* dst);

} // namespace xel
