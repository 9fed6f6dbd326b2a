// Hex and number texts made from strings and integers.
#include "runtime/datatypes/string/string.h"
#include "runtime/text/float-text.h"

namespace xel {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
char g_byte_hex[3];
char g_int_hex[9];

} // namespace

const char* string_byte_to_hex(uint8_t byte) {
    g_byte_hex[0] = kHexDigits[byte >> 4];
    g_byte_hex[1] = kHexDigits[byte & 15];
    g_byte_hex[2] = 0;
    return g_byte_hex;
}

const char* string_int_to_hex(int32_t value, bool significant) {
    char* end = g_int_hex + 8;
    char* p = end;
    *p = 0;
    int32_t stop = value < 0 ? -1 : 0;
    int32_t v = value;
    do {
        *--p = kHexDigits[v & 15];
        v >>= 4;
    } while (v != stop && p > g_int_hex);
    if (significant) {
        if (value == 0) {
            *--p = '0';
        }
        return p;
    }
    while (p > g_int_hex)
        *--p = value < 0 ? 'F' : '0';
    return p;
}

double string_to_float(const uint8_t* digits, uint32_t length) {
    const auto* text = reinterpret_cast<const char*>(digits);
    return float_from_text(text, text + length, 0, nullptr);
}

} // namespace xel
