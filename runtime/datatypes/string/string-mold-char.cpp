// One character in molded form, shared by the molds of strings and char!.
#include "runtime/datatypes/string/string.h"

namespace xel {

namespace {

// The character after the caret for code points 0 to 94; 0 for none. Entry
// 30 is never read: code point 30 takes the hex form.
constexpr char kEscapes[95] = {
    '@', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '-',  '/', 'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R',
    'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', '[', '\\', ']', '^', '_', 0,   0,   '"', 0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    0,   0,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    0,   0,   0,   0,   0,   0,   0,   0,   0,
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    0,   0,   0,   0,   0,   0,   0,   0,   '^',
};

} // namespace

void string_mold_char(Cell* out, uint32_t cp, bool all) {
    if (cp == 30 || (cp >= 128 && cp <= 159) || (all && cp > 127)) {
        string_concatenate_literal(out, "^(");
        string_concatenate_literal(out, string_int_to_hex(static_cast<int32_t>(cp), true));
        string_concatenate_literal(out, ")");
        return;
    }
    if (cp < 95 && kEscapes[cp]) {
        const char esc[3] = {'^', kEscapes[cp], 0};
        string_concatenate_literal(out, esc);
        return;
    }
    if (cp == 127) {
        string_concatenate_literal(out, "^~");
        return;
    }
    string_append_char(string_buffer(out), cp);
}

} // namespace xel
