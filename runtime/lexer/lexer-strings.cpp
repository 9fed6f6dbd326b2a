// String-like tokens: quoted, brace and raw strings, chars, files, urls,
// emails, tags and refs, with the "^" escapes where the form has them.
#include <cstring>
#include <string>

#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/url/url-decode.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

constexpr int32_t kReplacement = 0xFFFD;

int hex_digit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    c |= 0x20;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One UTF-8 sequence at *p within end, or -1 (p then moves one byte).
int32_t decode_utf8(const uint8_t** p, const uint8_t* end) {
    const uint8_t* q = *p;
    if (*q < 0x80) {
        *p = q + 1;
        return *q;
    }
    int n = utf8_lead_length(*q);
    if (n < 2 || n > end - q) {
        *p = q + 1;
        return -1;
    }
    int32_t cp;
    const uint8_t* next = utf8_decode_char(q, &cp);
    if (cp < 0 || next != q + n) {
        *p = q + 1;
        return -1;
    }
    *p = next;
    return cp;
}

// Decodes one character: an escape after "^" when escapes are on.
int32_t next_char(const uint8_t** p, const uint8_t* end, bool escapes) {
    if (escapes && **p == '^') {
        ++*p;
        return lexer_decode_escape(p, end);
    }
    return decode_utf8(p, end);
}

// The unit that the "^(...)" escapes of a text need beyond its flags.
uint32_t escape_unit(const uint8_t* p, const uint8_t* end) {
    uint32_t unit = 1;
    for (; p + 1 < end; p++) {
        if (*p != '^') continue;
        if (p[1] != '(') {
            p++;
            continue;
        }
        const uint8_t* q = p + 2;
        while (q < end && hex_digit(*q) >= 0)
            q++;
        auto digits = q - (p + 2);
        if (digits > 4)
            unit = 4;
        else if (digits > 2 && unit < 2)
            unit = 2;
        p = q - 1;
    }
    return unit;
}

uint32_t unit_for(int32_t cp) {
    return cp < 0x100 ? 1 : cp < 0x10000 ? 2 : 4;
}

void load_string_typed(LexerState* s, const uint8_t* start, const uint8_t* end, bool escapes,
                       uint8_t type) {
    Cell value;
    if (!lexer_decode_string(start, end, s->token_flags, escapes, &value)) lexer_invalid(s, type);
    cell_set_type(&value, type);
    lexer_append_value(s, &value);
}

bool check_text(const uint8_t* p, const uint8_t* end, bool escapes) {
    while (p < end)
        if (next_char(&p, end, escapes) < 0) return false;
    return true;
}

// Files and urls holding "%" are percent-decoded; others are plain text.
void load_percent_text(LexerState* s, const uint8_t* start, const uint8_t* end, uint8_t type,
                       bool escapes, bool load) {
    if (!check_text(start, end, escapes)) lexer_invalid(s, type);
    if (!load) return;
    if (!std::memchr(start, '%', static_cast<size_t>(end - start))) {
        load_string_typed(s, start, end, escapes, type);
        return;
    }
    std::string bytes;
    if (escapes) {
        // A quoted file: escapes first, then the percent-decoding of the result.
        for (const uint8_t* p = start; p < end;) {
            uint8_t utf8[4];
            int n = utf8_encode_char(next_char(&p, end, true), utf8);
            bytes.append(reinterpret_cast<const char*>(utf8), static_cast<size_t>(n));
        }
    } else {
        bytes.assign(reinterpret_cast<const char*>(start), static_cast<size_t>(end - start));
    }
    Cell value;
    string_make_at(&value, static_cast<uint32_t>(bytes.size()));
    url_decode_utf8(reinterpret_cast<const uint8_t*>(bytes.data()),
                    static_cast<uint32_t>(bytes.size()), &value);
    cell_set_type(&value, type);
    lexer_append_value(s, &value);
}

} // namespace

int32_t lexer_decode_escape(const uint8_t** p, const uint8_t* end) {
    const uint8_t* q = *p;
    if (q >= end) return -1;
    uint8_t c = *q;
    if (c == '(') {
        // Names and hexadecimal values are at most 6 bytes long.
        const uint8_t* close = q + 1;
        while (close < end && *close != ')' && close - q <= 6)
            close++;
        if (close >= end || *close != ')') return -1;
        *p = close + 1;
        auto n = close - (q + 1);
        if (n == 0) return -1;
        bool hex = n <= 6;
        int32_t value = 0;
        for (const uint8_t* d = q + 1; hex && d < close; d++) {
            int v = hex_digit(*d);
            if (v < 0) hex = false;
            value = value * 16 + v;
        }
        if (hex) return value <= 0x10FFFF ? value : -1;
        static const struct {
            const char* name;
            int32_t cp;
        } kNames[] = {{"null", 0},  {"back", 8}, {"tab", 9},  {"line", 10},
                      {"page", 12}, {"esc", 27}, {"del", 127}};
        for (const auto& e : kNames) {
            if (std::strlen(e.name) != static_cast<size_t>(n)) continue;
            bool same = true;
            for (int i = 0; i < n && same; i++)
                same = (q[1 + i] | 0x20) == e.name[i];
            if (same) return e.cp;
        }
        return -1;
    }
    switch (c) {
    case '"':
    case '^':
    case '{':
    case '}':
        *p = q + 1;
        return c;
    case '-':
        *p = q + 1;
        return 9;
    case '/':
        *p = q + 1;
        return 10;
    case '@':
        *p = q + 1;
        return 0;
    case '~':
        *p = q + 1;
        return 127;
    default:
        break;
    }
    if (c >= 'a' && c <= 'z') {
        *p = q + 1;
        return c - 'a' + 1;
    }
    if (c >= 'A' && c <= '_') {
        *p = q + 1;
        return c - 64;
    }
    return decode_utf8(p, end);
}

bool lexer_decode_string(const uint8_t* start, const uint8_t* end, uint32_t flags, bool escapes,
                         Cell* out) {
    escapes = escapes && std::memchr(start, '^', static_cast<size_t>(end - start));
    uint32_t unit = unit_of_flags(flags);
    if (escapes && unit < 4) {
        uint32_t need = escape_unit(start, end);
        if (need > unit) unit = need;
    }
    auto n = static_cast<uint32_t>(end - start);
    string_make_at_unit(out, n, unit);
    SeriesBuf* buf = string_buffer(out);
    if (unit == 1 && !escapes) {
        // Plain bytes: copy as they are once they are known to be ASCII or valid UTF-8.
        const uint8_t* p = start;
        uint32_t count = 0;
        uint8_t* data = at<uint8_t>(buf->head);
        while (p < end) {
            int32_t cp = decode_utf8(&p, end);
            if (cp < 0) return false;
            data[count++] = static_cast<uint8_t>(cp);
        }
        buf->tail = buf->head + count;
        return true;
    }
    uint32_t count = 0;
    const uint8_t* p = start;
    while (p < end) {
        int32_t cp = next_char(&p, end, escapes);
        if (cp < 0) return false;
        if (unit_for(cp) > unit) {
            buf->tail = buf->head + count * unit;
            buf = string_widen_to(buf, unit, unit_for(cp));
            unit = unit_for(cp);
            if (buf->size < n * unit) buf = expand_series_copy(buf, n * unit);
        }
        string_put_char(at<uint8_t>(buf->head) + count * unit, unit, static_cast<uint32_t>(cp));
        count++;
    }
    buf->tail = buf->head + count * unit;
    return true;
}

void lexer_make_text(const uint8_t* start, const uint8_t* end, Cell* out) {
    auto n = static_cast<uint32_t>(end - start);
    string_make_at(out, n);
    Offset node = series_node(out);
    const uint8_t* p = start;
    while (p < end) {
        int32_t cp = decode_utf8(&p, end);
        string_append_char(buffer_of(node), static_cast<uint32_t>(cp < 0 ? kReplacement : cp));
    }
}

void lexer_check_string(LexerState* s, const uint8_t* start, const uint8_t* end) {
    if (!check_text(start, end, true)) lexer_invalid(s, T_STRING);
}

void lexer_load_string_text(LexerState* s, const uint8_t* start, const uint8_t* end, bool escapes) {
    load_string_typed(s, start, end, escapes, T_STRING);
}

void lexer_check_quoted_string(LexerState* s) {
    lexer_check_string(s, s->token_start + 1, s->token_end - 1);
}

void lexer_load_quoted_string(LexerState* s, bool load) {
    if (!load) {
        lexer_check_quoted_string(s);
        return;
    }
    load_string_typed(s, s->token_start + 1, s->token_end - 1, true, T_STRING);
}

void lexer_load_raw_string(LexerState* s, bool load) {
    const uint8_t* start = s->token_start;
    size_t signs = 0;
    while (start[signs] == '%')
        signs++;
    const uint8_t* text = start + signs + 1;
    const uint8_t* end = s->token_end - signs - 1;
    for (const uint8_t* p = text; p < end; p++)
        s->token_flags |= g_lexer_tables.char_entry[*p] & ~0xFFu;
    if (!check_text(text, end, false)) lexer_invalid(s, T_STRING);
    if (load) load_string_typed(s, text, end, false, T_STRING);
}

void lexer_load_char(LexerState* s, bool load) {
    const uint8_t* p = s->token_start + 2;
    const uint8_t* end = s->token_end - 1;
    if (p >= end) lexer_invalid(s, T_CHAR);
    int32_t cp = next_char(&p, end, true);
    if (cp < 0 || cp > 0x10FFFF || p != end) lexer_invalid(s, T_CHAR);
    if (!load) return;
    Cell value;
    char_set(&value, static_cast<uint32_t>(cp));
    lexer_append_value(s, &value);
}

void lexer_load_file(LexerState* s, bool load) {
    const uint8_t* start = s->token_start + 1;
    const uint8_t* end = s->token_end;
    bool quoted = start < end && *start == '"';
    if (quoted) {
        if (end - start < 2 || end[-1] != '"') lexer_invalid(s, T_FILE);
        start++;
        end--;
    }
    load_percent_text(s, start, end, T_FILE, quoted, load);
}

void lexer_load_url(LexerState* s, bool load) {
    uint8_t first = *s->token_start;
    if (first == ':') lexer_invalid(s, T_GET_WORD);
    if (first == '\'') lexer_invalid(s, T_LIT_WORD);
    load_percent_text(s, s->token_start, s->token_end, T_URL, false, load);
}

void lexer_load_email(LexerState* s, bool load) {
    if (!check_text(s->token_start, s->token_end, false)) lexer_invalid(s, T_EMAIL);
    if (load) load_string_typed(s, s->token_start, s->token_end, false, T_EMAIL);
}

void lexer_load_tag(LexerState* s, bool load) {
    const uint8_t* start = s->token_start;
    const uint8_t* end = s->token_end;
    if (*start != '<' || end - start < 2 || end[-1] != '>') lexer_invalid(s, T_TAG);
    if (!check_text(start + 1, end - 1, false)) lexer_invalid(s, T_TAG);
    if (load) load_string_typed(s, start + 1, end - 1, false, T_TAG);
}

void lexer_load_ref(LexerState* s, bool load) {
    const uint8_t* start = s->token_start + 1;
    if (!check_text(start, s->token_end, false)) lexer_invalid(s, T_REF);
    if (load) load_string_typed(s, start, s->token_end, false, T_REF);
}

} // namespace xel
