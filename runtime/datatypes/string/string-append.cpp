// Appending 8-bit text to a string through string_append_char.
#include "runtime/datatypes/string/string.h"

namespace xel {

void string_append_bytes(Cell* str, const uint8_t* bytes, uint32_t n) {
    SeriesBuf* buf = string_buffer(str);
    for (uint32_t i = 0; i < n; i++)
        buf = string_append_char(buf, bytes[i]);
}

void string_concatenate_literal(Cell* str, const char* text) {
    SeriesBuf* buf = string_buffer(str);
    for (const char* p = text; *p; p++)
        buf = string_append_char(buf, static_cast<uint8_t>(*p));
}

int mold_indent(Cell* str, int n, int limit) {
    for (int i = 0; i < n; i++)
        string_concatenate_literal(str, "    ");
    return limit - 4 * n;
}

} // namespace xel
