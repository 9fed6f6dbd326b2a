#include "runtime/text/integer-text.h"

namespace xel {

namespace {
// Sign, ten digits and the terminator.
char g_integer_text[12];
} // namespace

const char* integer_to_text(int32_t v) {
    // Negate in unsigned arithmetic so INT32_MIN has a magnitude.
    uint32_t u = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    char* p = g_integer_text + sizeof g_integer_text - 1;
    *p = '\0';
    do {
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0) *--p = '-';
    return p;
}

} // namespace xel
