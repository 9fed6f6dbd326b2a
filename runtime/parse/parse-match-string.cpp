// Matching characters of a string input (code points, folded to upper case
// unless /case) and bytes of a binary input (compared exactly; text rules
// stand for their UTF-8 bytes). Repetitions of a char or a bitset run in a
// loop per unit size.
#include <cstring>

#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/lexer/lexer.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/text/unicode.h"

namespace xel::parse {

namespace {

// The input's units from the buffer's head (positions are absolute).
struct Units {
    const uint8_t* data;
    uint32_t unit;
    uint32_t operator[](uint32_t i) const { return string_get_char(data + i * unit, unit); }
};

Units units_of(const Engine& e) {
    const SeriesBuf* buf = series_buffer(&e.input);
    return Units{at(buf->head), buf->unit()};
}

bool is_text(uint8_t t) {
    return t == T_STRING || t == T_FILE || t == T_URL || t == T_EMAIL || t == T_REF;
}

bool same_char(uint32_t a, uint32_t b, bool fold) {
    return a == b || (fold && fold_upper(a) == fold_upper(b));
}

// The bits of a bitset, read once for a loop.
struct Bits {
    const uint8_t* bytes;
    uint64_t count;
    bool negated;
    bool has(uint32_t cp) const {
        return cp < count ? (bytes[cp >> 3] & (0x80u >> (cp & 7))) != 0 : negated;
    }
};

Bits bits_of(const Cell* bitset) {
    return Bits{bitset_xs_head(bitset), uint64_t{bitset_size(bitset)} * 8, bitset_negated(bitset)};
}

// A code point as the bytes of a binary input: UTF-8.
int encode(uint32_t cp, uint8_t* out) {
    if (cp < 0x80) {
        out[0] = static_cast<uint8_t>(cp);
        return 1;
    }
    return utf8_encode_char(static_cast<int32_t>(cp), out);
}

// Units of text at i (folded unless strict), or -1.
int64_t text_units(const Units& in, uint32_t i, uint32_t end, const StringView& text, bool fold) {
    if (text.count > end - i) return -1;
    for (uint32_t k = 0; k < text.count; k++)
        if (!same_char(in[i + k], text[k], fold)) return -1;
    return text.count;
}

// Bytes of text's UTF-8 at i, or -1.
int64_t text_bytes(const Units& in, uint32_t i, uint32_t end, const StringView& text) {
    uint32_t p = i;
    for (uint32_t k = 0; k < text.count; k++) {
        uint8_t bytes[4];
        auto n = static_cast<uint32_t>(encode(text[k], bytes));
        if (n > end - p || std::memcmp(in.data + p, bytes, n) != 0) return -1;
        p += n;
    }
    return p - i;
}

// What the rule matches at i: its length in units, or -1.
int64_t match_length(const Engine& e, const Units& in, uint32_t i, uint32_t end, const Cell* rule) {
    if (i > end) return -1;
    bool binary = e.kind == InputKind::kBinary;
    bool fold = !e.strict && !binary;
    uint8_t t = type_of(rule);
    if (t == T_CHAR) {
        if (!binary) return i < end && same_char(in[i], char_value(rule), fold) ? 1 : -1;
        uint8_t bytes[4];
        auto n = static_cast<uint32_t>(encode(char_value(rule), bytes));
        return n <= end - i && std::memcmp(in.data + i, bytes, n) == 0 ? static_cast<int64_t>(n)
                                                                       : -1;
    }
    if (is_text(t)) {
        StringView text = string_view_of(rule);
        return binary ? text_bytes(in, i, end, text) : text_units(in, i, end, text, fold);
    }
    if (t == T_TAG) {
        StringView text = string_view_of(rule);
        if (i >= end || in[i] != '<') return -1;
        int64_t n =
            binary ? text_bytes(in, i + 1, end, text) : text_units(in, i + 1, end, text, fold);
        if (n < 0 || i + 1 + n >= end || in[static_cast<uint32_t>(i + 1 + n)] != '>') return -1;
        return n + 2;
    }
    if (t == T_BITSET) return i < end && bitset_has_code(rule, in[i]) ? 1 : -1;
    if (t == T_BINARY && binary) {
        StringView bytes = string_view_of(rule);
        // The length is widened first: an unsigned -1 would read as a long match.
        return bytes.count <= end - i && std::memcmp(in.data + i, bytes.data, bytes.count) == 0
                   ? static_cast<int64_t>(bytes.count)
                   : -1;
    }
    return -1;
}

template <uint32_t U>
uint32_t repeat_char(const uint8_t* data, uint32_t i, uint32_t end, uint32_t max, uint32_t cp,
                     bool fold, uint32_t* count) {
    uint32_t folded = fold ? fold_upper(cp) : cp;
    while (*count < max && i < end) {
        uint32_t c = string_get_char(data + i * U, U);
        if (c != cp && !(fold && fold_upper(c) == folded)) break;
        i++;
        (*count)++;
    }
    return i;
}

template <uint32_t U>
uint32_t repeat_bits(const uint8_t* data, uint32_t i, uint32_t end, uint32_t max, const Bits& bits,
                     uint32_t* count) {
    while (*count < max && i < end && bits.has(string_get_char(data + i * U, U))) {
        i++;
        (*count)++;
    }
    return i;
}

} // namespace

bool string_match(Engine& e, const Cell* rule) {
    int64_t n = match_length(e, units_of(e), e.pos, input_end(e), rule);
    if (n < 0) return false;
    e.pos += static_cast<uint32_t>(n);
    return true;
}

uint32_t string_repeat(Engine& e, const Cell* rule, uint32_t max) {
    uint8_t t = type_of(rule);
    if (t == T_CHAR && e.kind != InputKind::kBinary)
        return parse_match_chars(e, char_value(rule), max);
    if (t == T_BITSET) return parse_match_bitset(e, rule, max);
    Units in = units_of(e);
    uint32_t end = input_end(e);
    uint32_t count = 0;
    uint32_t i = e.pos;
    while (count < max) {
        int64_t n = match_length(e, in, i, end, rule);
        if (n < 0) break;
        count++;
        // An empty match repeats for ever without moving: once is enough.
        if (n == 0) break;
        i += static_cast<uint32_t>(n);
    }
    e.pos = i;
    return count;
}

} // namespace xel::parse

namespace xel {

using namespace parse;

uint32_t parse_match_chars(Engine& e, uint32_t cp, uint32_t max) {
    Units in = units_of(e);
    uint32_t end = input_end(e);
    bool fold = !e.strict;
    uint32_t count = 0;
    switch (in.unit) {
    case 1:
        e.pos = repeat_char<1>(in.data, e.pos, end, max, cp, fold, &count);
        break;
    case 2:
        e.pos = repeat_char<2>(in.data, e.pos, end, max, cp, fold, &count);
        break;
    default:
        e.pos = repeat_char<4>(in.data, e.pos, end, max, cp, fold, &count);
        break;
    }
    return count;
}

uint32_t parse_match_bitset(Engine& e, const Cell* bitset, uint32_t max) {
    Units in = units_of(e);
    uint32_t end = input_end(e);
    Bits bits = bits_of(bitset);
    uint32_t count = 0;
    switch (in.unit) {
    case 1:
        e.pos = repeat_bits<1>(in.data, e.pos, end, max, bits, &count);
        break;
    case 2:
        e.pos = repeat_bits<2>(in.data, e.pos, end, max, bits, &count);
        break;
    default:
        e.pos = repeat_bits<4>(in.data, e.pos, end, max, bits, &count);
        break;
    }
    return count;
}

bool parse_find_in_string(Engine& e, const Cell* rule, bool thru) {
    uint8_t t = type_of(rule);
    bool binary = e.kind == InputKind::kBinary;
    if (binary && !is_text(t) && t != T_TAG && t != T_BINARY) fail_rule(rule);
    Units in = units_of(e);
    uint32_t end = input_end(e);
    if (t == T_BITSET) {
        Bits bits = bits_of(rule);
        for (uint32_t i = e.pos; i < end; i++) {
            if (bits.has(in[i])) {
                e.pos = thru ? i + 1 : i;
                return true;
            }
        }
        return false;
    }
    // A first character to look for before comparing the whole text.
    bool fold = !e.strict && !binary;
    bool first = false;
    uint32_t lead = 0;
    if (!binary && (t == T_CHAR || is_text(t))) {
        if (t == T_CHAR) {
            first = true;
            lead = char_value(rule);
        } else if (string_view_of(rule).count > 0) {
            first = true;
            lead = string_view_of(rule)[0];
        }
    }
    for (uint32_t i = e.pos; i <= end; i++) {
        if (first && (i == end || !same_char(in[i], lead, fold))) continue;
        int64_t n = match_length(e, in, i, end, rule);
        if (n >= 0) {
            e.pos = thru ? i + static_cast<uint32_t>(n) : i;
            return true;
        }
    }
    return false;
}

bool parse_scan_datatype(Engine& e, const Cell* rule) {
    uint32_t end = input_end(e);
    if (e.pos >= end) return false;
    const uint8_t* start = at(series_buffer(&e.input)->head) + e.pos;
    int32_t consumed = 0;
    Cell token{T_NONE, 0, 0, 0};
    int type =
        lexer_scan(&token, start, end - e.pos, kScanOneValue, &consumed, nullptr, nullptr, nullptr);
    if (type <= 0 || type >= kTypeTableSize) return false;
    auto id = static_cast<uint8_t>(type);
    bool match = type_of(rule) == T_DATATYPE ? datatype_id(rule) == id : typeset_has(rule, id);
    if (!match || consumed <= 0) return false;
    e.pos += static_cast<uint32_t>(consumed);
    return true;
}

} // namespace xel
