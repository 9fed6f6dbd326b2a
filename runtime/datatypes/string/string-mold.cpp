// The literal form of a string: "..." for short single-line text, {...}
// when the text holds a double quote, several line feeds or is long.
#include <cstdint>

#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string.h"

namespace xel {

namespace {

constexpr uint32_t kBraceLength = 50;
constexpr uint32_t kBraceLineFeeds = 3;

struct Survey {
    uint32_t quotes = 0;
    uint32_t line_feeds = 0;
};

Survey survey(const Cell* str, uint32_t from, uint32_t end) {
    Survey s;
    for (uint32_t i = from; i < end; i++) {
        uint32_t cp = string_char_at(str, i);
        s.quotes += cp == '"';
        s.line_feeds += cp == '\n';
    }
    return s;
}

// The first opening brace in [from, end) that no closing brace matches, or
// end. Braces before it are balanced and are written as they are; from it on,
// every opening brace is escaped. One backward pass keeps the mold linear:
// the brace at p is unclosed when the running balance after it never drops
// below its value after p.
uint32_t first_unclosed_brace(const Cell* str, uint32_t from, uint32_t end) {
    int64_t balance = 0;
    for (uint32_t i = from; i < end; i++) {
        uint32_t cp = string_char_at(str, i);
        balance += (cp == '{') - (cp == '}');
    }
    int64_t lowest = balance;
    uint32_t unclosed = end;
    for (uint32_t p = end; p-- > from;) {
        uint32_t cp = string_char_at(str, p);
        if (cp == '{' && lowest >= balance) unclosed = p;
        balance -= (cp == '{') - (cp == '}');
        if (balance < lowest) lowest = balance;
    }
    return unclosed;
}

void append_escaped(Cell* out, uint32_t cp) {
    SeriesBuf* buf = string_append_char(string_buffer(out), '^');
    string_append_char(buf, cp);
}

void mold_braced(const Cell* str, uint32_t from, uint32_t end, Cell* out, bool all) {
    uint32_t unclosed = first_unclosed_brace(str, from, end);
    uint32_t depth = 0;
    for (uint32_t i = from; i < end; i++) {
        uint32_t cp = string_char_at(str, i);
        switch (cp) {
        case '{':
            if (i < unclosed) {
                depth++;
                string_append_char(string_buffer(out), cp);
            } else {
                append_escaped(out, cp);
            }
            break;
        case '}':
            if (depth > 0) {
                depth--;
                string_append_char(string_buffer(out), cp);
            } else {
                append_escaped(out, cp);
            }
            break;
        case '"':
            string_append_char(string_buffer(out), cp);
            break;
        case '^':
            append_escaped(out, cp);
            break;
        default:
            string_mold_char(out, cp, all);
        }
    }
}

} // namespace

int string_mold(Cell* value, Cell* buffer, bool, bool all, bool, Cell* arg, int part, int) {
    Cell str = *value;
    string_char_at_index(&str); // a position past the tail reads from the tail
    uint32_t from = str.data1;
    uint32_t total = string_xs_length_from_head(&str);
    uint32_t end = total;
    if (arg) {
        int64_t limit = int64_t{from} + (part < 0 ? 0 : part);
        if (limit < end) end = static_cast<uint32_t>(limit);
    }

    Survey s = survey(&str, from, end);
    bool braces = s.line_feeds >= kBraceLineFeeds || s.quotes > 0 || total - from >= kBraceLength;
    string_append_char(string_buffer(buffer), braces ? '{' : '"');
    if (braces) {
        mold_braced(&str, from, end, buffer, all);
    } else {
        for (uint32_t i = from; i < end; i++)
            string_mold_char(buffer, string_char_at(&str, i), all);
    }
    string_append_char(string_buffer(buffer), braces ? '}' : '"');
    return part - static_cast<int>(end - from) - 2;
}

} // namespace xel
