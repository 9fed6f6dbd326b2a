// Binary tokens: "#{" hexadecimal "}", or a base of 2, 16 or 64 before "#{".
// Blanks and line ends are skipped, ";" comments run to the line end.
#include <vector>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/series-memory.h"

namespace xel {

namespace {

bool is_blank(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Next significant byte at or after *p, skipping blanks and comments; 0 at the end.
int next_byte(const uint8_t** p, const uint8_t* end) {
    const uint8_t* q = *p;
    while (q < end) {
        if (is_blank(*q)) {
            q++;
        } else if (*q == ';') {
            while (q < end && *q != '\n')
                q++;
        } else {
            *p = q + 1;
            return *q;
        }
    }
    *p = q;
    return -1;
}

int hex_digit(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    c |= 0x20;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int base64_digit(int c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool decode16(const uint8_t* p, const uint8_t* end, uint8_t* out, uint32_t* n) {
    int c;
    while ((c = next_byte(&p, end)) >= 0) {
        int hi = hex_digit(c);
        int lo = hex_digit(next_byte(&p, end));
        if (hi < 0 || lo < 0) return false;
        out[(*n)++] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return true;
}

bool decode2(const uint8_t* p, const uint8_t* end, uint8_t* out, uint32_t* n) {
    int c;
    while ((c = next_byte(&p, end)) >= 0) {
        uint32_t byte = 0;
        for (int i = 0; i < 8; i++) {
            if (i > 0) c = next_byte(&p, end);
            if (c != '0' && c != '1') return false;
            byte = byte << 1 | static_cast<uint32_t>(c - '0');
        }
        out[(*n)++] = static_cast<uint8_t>(byte);
    }
    return true;
}

// RFC 4648 with "=" padding; nothing but padding may follow it.
bool decode64(const uint8_t* p, const uint8_t* end, uint8_t* out, uint32_t* n) {
    uint32_t bits = 0;
    int count = 0;
    int padding = 0;
    int c;
    while ((c = next_byte(&p, end)) >= 0) {
        if (c == '=') {
            padding++;
            continue;
        }
        int d = base64_digit(c);
        if (d < 0 || padding) return false;
        bits = bits << 6 | static_cast<uint32_t>(d);
        if (++count == 4) {
            out[(*n)++] = static_cast<uint8_t>(bits >> 16);
            out[(*n)++] = static_cast<uint8_t>(bits >> 8);
            out[(*n)++] = static_cast<uint8_t>(bits);
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || (padding && padding != 4 - count) || padding > 2) return false;
    if (count >= 2) out[(*n)++] = static_cast<uint8_t>(bits >> (count * 6 - 8));
    if (count == 3) out[(*n)++] = static_cast<uint8_t>(bits >> 2);
    return true;
}

} // namespace

void lexer_load_binary(LexerState* s, bool load) {
    const uint8_t* p = s->token_start;
    int base = 16;
    if (*p != '#') {
        base = 0;
        for (; *p != '#'; p++)
            if (*p < '0' || *p > '9' || p - s->token_start > 2 ||
                (base = base * 10 + (*p - '0')) == 0)
                lexer_invalid(s, T_BINARY);
        if (base != 2 && base != 16 && base != 64) lexer_invalid(s, T_BINARY);
    }
    const uint8_t* text = p + 2;
    const uint8_t* end = s->token_end - 1;
    auto bytes = static_cast<uint32_t>(end - text);
    uint32_t capacity = (base == 16 ? bytes / 2 : base == 64 ? (bytes + 1) * 3 / 4 : bytes / 8) + 1;
    Cell value;
    std::vector<uint8_t> scratch;
    uint8_t* out;
    if (load) {
        binary_make_at(&value, capacity);
        out = at<uint8_t>(series_buffer(&value)->head);
    } else {
        scratch.resize(capacity);
        out = scratch.data();
    }
    uint32_t n = 0;
    bool ok = base == 16  ? decode16(text, end, out, &n)
              : base == 2 ? decode2(text, end, out, &n)
                          : decode64(text, end, out, &n);
    if (!ok) lexer_invalid(s, T_BINARY);
    if (!load) return;
    SeriesBuf* buf = series_buffer(&value);
    buf->tail = buf->head + n;
    lexer_append_value(s, &value);
}

} // namespace xel
