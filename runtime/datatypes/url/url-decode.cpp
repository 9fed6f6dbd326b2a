#include "runtime/datatypes/url/url-decode.h"

#include "runtime/datatypes/string/string.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

constexpr int32_t kReplacement = 0xFFFD;

int hex_value(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    c |= 0x20;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte of a valid "%XX" escape at p, or -1.
int escape_at(const uint8_t* p, const uint8_t* end) {
    if (end - p < 3 || *p != '%') return -1;
    int hi = hex_value(p[1]);
    int lo = hex_value(p[2]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

// One character of raw UTF-8 at p; returns its length (at least 1).
uint32_t decode_raw(const uint8_t* p, const uint8_t* end, int32_t* cp) {
    auto avail = static_cast<uint32_t>(end - p);
    int32_t c = utf8_decode_char_replacing(p, &avail);
    if (c == kUtf8TooShort || c == kUtf8Refused) {
        *cp = kReplacement;
        return 1;
    }
    *cp = c;
    return avail;
}

} // namespace

void url_decode_utf8(const uint8_t* src, uint32_t n, Cell* dst) {
    const uint8_t* p = src;
    const uint8_t* end = src + n;
    Offset node = dst->data2;
    while (p < end) {
        int32_t cp;
        int b = escape_at(p, end);
        if (b >= 0) {
            int len = utf8_lead_length(static_cast<uint8_t>(b));
            if (len < 2) {
                string_append_char(buffer_of(node), static_cast<uint32_t>(b));
                p += 3;
                continue;
            }
            uint8_t bytes[4] = {static_cast<uint8_t>(b), 0, 0, 0};
            int i = 1;
            for (; i < len; i++) {
                int next = escape_at(p + 3 * i, end);
                if (next < 0) break;
                bytes[i] = static_cast<uint8_t>(next);
            }
            if (i == len) {
                decode_raw(bytes, bytes + len, &cp);
                string_append_char(buffer_of(node), static_cast<uint32_t>(cp));
                p += 3 * len;
                continue;
            }
        }
        p += decode_raw(p, end, &cp);
        string_append_char(buffer_of(node), static_cast<uint32_t>(cp));
    }
}

} // namespace xel
