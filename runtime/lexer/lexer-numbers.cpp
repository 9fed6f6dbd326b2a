// Number tokens: integers (decimal and hexadecimal), floats, percents,
// tuples, pairs, points, times and money.
#include <bit>
#include <cmath>
#include <cstring>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/percent/percent-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/point3d/point3d-cell.h"
#include "runtime/datatypes/time/time-cell.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/text/float-text.h"

namespace xel {

namespace {

constexpr int kMaxFloatText = 312;

bool is_digit(uint8_t c) {
    return c >= '0' && c <= '9';
}

void append_float(LexerState* s, double d, uint8_t type) {
    Cell value;
    float_kind_make_at(&value, type, d);
    lexer_append_value(s, &value);
}

// Reads an unsigned decimal field of digits and single apostrophes into *out;
// false when empty, malformed or above limit.
bool read_field(const uint8_t** p, const uint8_t* end, int64_t limit, int64_t* out) {
    const uint8_t* q = *p;
    int64_t v = 0;
    bool any = false;
    while (q < end && (is_digit(*q) || (*q == '\'' && any && q + 1 < end && is_digit(q[1])))) {
        if (*q != '\'') {
            v = v * 10 + (*q - '0');
            if (v > limit) return false;
            any = true;
        }
        q++;
    }
    *p = q;
    *out = v;
    return any;
}

} // namespace

bool lexer_read_integer(const uint8_t* start, const uint8_t* end, int32_t* out, bool* overflow) {
    *overflow = false;
    const uint8_t* p = start;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p >= end || !is_digit(*p)) return false;
    int64_t v = 0;
    int digits = 0;
    for (; p < end; p++) {
        if (*p == '\'') {
            if (p[-1] == '\'') return false;
            continue;
        }
        if (!is_digit(*p)) return false;
        v = v * 10 + (*p - '0');
        if (v > 0 && ++digits > 10) {
            *overflow = true;
            return false;
        }
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) {
        *overflow = true;
        return false;
    }
    *out = static_cast<int32_t>(v);
    return true;
}

// [sign] digits [. digits] [e|E [sign] digits], apostrophes between digits.
bool lexer_check_float(const uint8_t* start, const uint8_t* end) {
    if (end - start > kMaxFloatText) return false;
    const uint8_t* p = start;
    if (p < end && (*p == '+' || *p == '-')) p++;
    int mantissa = 0;
    bool dot = false;
    for (; p < end; p++) {
        if (is_digit(*p)) {
            mantissa++;
        } else if (*p == '\'') {
            if (p == start || !is_digit(p[-1]) || p + 1 >= end || !is_digit(p[1])) return false;
        } else if (*p == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (mantissa == 0) return false;
    if (p == end) return true;
    if (*p != 'e' && *p != 'E') return false;
    p++;
    if (p < end && (*p == '+' || *p == '-')) p++;
    if (p == end) return false;
    for (; p < end; p++)
        if (!is_digit(*p)) return false;
    return true;
}

bool lexer_read_float(const uint8_t* start, const uint8_t* end, int exponent_adjust, double* out) {
    if (!lexer_check_float(start, end)) return false;
    char text[kMaxFloatText];
    int n = 0;
    for (const uint8_t* p = start; p < end; p++)
        if (*p != '\'') text[n++] = static_cast<char>(*p);
    int unconsumed = 0;
    *out = float_from_text(text, text + n, exponent_adjust, &unconsumed);
    return unconsumed == 0;
}

bool lexer_read_special_float(const uint8_t* start, const uint8_t* end, double* out) {
    const uint8_t* p = start;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (end - p != 6 || std::memcmp(p, "1.#", 3) != 0) return false;
    auto is = [p](const char* word) {
        for (int i = 0; i < 3; i++)
            if ((p[3 + i] | 0x20) != word[i]) return false;
        return true;
    };
    if (is("nan")) {
        *out = std::bit_cast<double>(uint64_t{0x7FF8000000000000});
        return true;
    }
    if (!is("inf")) return false;
    *out = negative ? -HUGE_VAL : HUGE_VAL;
    return true;
}

// Dot-separated decimal fields of 0-255, at most 12; one trailing dot ends
// the tuple, fewer than three fields are padded.
bool lexer_read_tuple(const uint8_t* start, const uint8_t* end, Cell* out) {
    uint8_t bytes[kTupleMaxBytes];
    uint32_t count = 0;
    const uint8_t* p = start;
    while (p < end) {
        int v = 0;
        const uint8_t* field = p;
        while (p < end && is_digit(*p)) {
            v = v * 10 + (*p++ - '0');
            if (v > 255) return false;
        }
        if (p == field || count == kTupleMaxBytes) return false;
        bytes[count++] = static_cast<uint8_t>(v);
        if (p == end) break;
        if (*p != '.') return false;
        if (++p == end) break;
    }
    if (count == 0) return false;
    tuple_make_at(out, bytes, count);
    return true;
}

// [sign] [code] "$" digits [("." | ",") digits]; single apostrophes between
// integer digits; at most 17 integer digits after leading zeros, 5 after the mark.
bool lexer_read_money(const uint8_t* start, const uint8_t* end, Cell* out) {
    const uint8_t* p = start;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const uint8_t* code = nullptr;
    if (p < end && *p != '$') {
        if (end - p < 4) return false;
        for (int i = 0; i < 3; i++) {
            uint8_t c = p[i] | 0x20;
            if (c < 'a' || c > 'z') return false;
        }
        code = p;
        p += 3;
    }
    if (p >= end || *p != '$') return false;
    p++;
    const uint8_t* digits = p;
    const uint8_t* fraction = nullptr;
    int integer_digits = 0;
    int fraction_digits = 0;
    bool significant = false;
    for (; p < end; p++) {
        uint8_t c = *p;
        if (is_digit(c)) {
            if (fraction) {
                fraction_digits++;
            } else if (c != '0' || significant) {
                significant = true;
                integer_digits++;
            }
        } else if (c == '\'') {
            if (fraction || p == digits || !is_digit(p[-1]) || p + 1 >= end || !is_digit(p[1]))
                return false;
        } else if ((c == '.' || c == ',') && !fraction && p > digits && p + 1 < end) {
            fraction = p;
        } else {
            return false;
        }
    }
    if (p == digits || integer_digits > kMoneyIntegerDigits ||
        fraction_digits > kMoneyFractionDigits)
        return false;
    return money_make_from_digits(out, negative, code, digits, fraction, end) != nullptr;
}

void lexer_load_integer(LexerState* s, bool load) {
    int32_t v;
    bool overflow;
    if (!lexer_read_integer(s->token_start, s->token_end, &v, &overflow)) {
        if (!overflow) lexer_invalid(s, T_INTEGER);
        s->type = T_FLOAT;
        lexer_load_float(s, load);
        return;
    }
    if (!load) return;
    Cell value;
    set_integer(&value, v);
    lexer_append_value(s, &value);
}

void lexer_load_float(LexerState* s, bool load) {
    double d;
    if (!lexer_read_float(s->token_start, s->token_end, 0, &d)) lexer_invalid(s, T_FLOAT);
    if (load) append_float(s, d, T_FLOAT);
}

void lexer_load_special_float(LexerState* s, bool load) {
    double d;
    if (!lexer_read_special_float(s->token_start, s->token_end, &d)) lexer_invalid(s, T_FLOAT);
    if (load) append_float(s, d, T_FLOAT);
}

void lexer_load_percent(LexerState* s, bool load) {
    double d;
    if (!lexer_read_float(s->token_start, s->token_end - 1, -2, &d)) lexer_invalid(s, T_FLOAT);
    if (load) append_float(s, d, T_PERCENT);
}

// 2 to 8 digits and "A"-"F" before the "h".
void lexer_load_hex(LexerState* s, bool load) {
    const uint8_t* p = s->token_start;
    const uint8_t* end = s->token_end - 1;
    auto n = end - p;
    if (n < 2 || n > 8) lexer_invalid(s, T_INTEGER);
    uint32_t v = 0;
    for (; p < end; p++) {
        uint8_t c = *p;
        int d = is_digit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (d < 0) lexer_invalid(s, T_INTEGER);
        v = v * 16 + static_cast<uint32_t>(d);
    }
    if (!load) return;
    Cell value;
    set_integer(&value, static_cast<int32_t>(v));
    lexer_append_value(s, &value);
}

void lexer_load_tuple(LexerState* s, bool load) {
    Cell value;
    if (!lexer_read_tuple(s->token_start, s->token_end, &value)) lexer_invalid(s, T_TUPLE);
    if (load) lexer_append_value(s, &value);
}

void lexer_load_pair(LexerState* s, bool load) {
    const uint8_t* start = s->token_start;
    const uint8_t* end = s->token_end;
    if (s->token_flags & kFlagDot) lexer_invalid(s, T_PAIR);
    const uint8_t* x = start;
    while (x < end && *x != 'x' && *x != 'X')
        x++;
    int32_t a, b;
    bool overflow;
    if (x == end || !lexer_read_integer(start, x, &a, &overflow) ||
        !lexer_read_integer(x + 1, end, &b, &overflow))
        lexer_invalid(s, T_PAIR);
    if (!load) return;
    Cell value;
    pair_make_at(&value, a, b);
    lexer_append_value(s, &value);
}

// "(" x "," y [ "," z ] ")", blanks around the numbers.
void lexer_load_point(LexerState* s, bool load) {
    const uint8_t* p = s->token_start + 1;
    const uint8_t* end = s->token_end - 1;
    double v[3];
    int n = 0;
    bool closed = false;
    while (!closed) {
        while (p < end && (*p == ' ' || *p == '\t'))
            p++;
        const uint8_t* number = p;
        while (p < end && *p != ',' && *p != ' ' && *p != '\t')
            p++;
        const uint8_t* number_end = p;
        while (p < end && (*p == ' ' || *p == '\t'))
            p++;
        bool special = std::memchr(number, '#', static_cast<size_t>(number_end - number));
        if (n == 3 || number == number_end ||
            !(special ? lexer_read_special_float(number, number_end, &v[n])
                      : lexer_read_float(number, number_end, 0, &v[n])))
            lexer_invalid(s, n >= 2 ? T_POINT3D : T_POINT2D);
        n++;
        if (p == end) {
            closed = true;
        } else if (*p == ',') {
            p++;
        } else {
            lexer_invalid(s, n == 3 ? T_POINT3D : T_POINT2D);
        }
    }
    if (n < 2) lexer_invalid(s, T_POINT2D);
    s->type = n == 3 ? T_POINT3D : T_POINT2D;
    if (!load) return;
    Cell value;
    if (n == 3)
        point3d_make_at(&value, static_cast<float>(v[0]), static_cast<float>(v[1]),
                        static_cast<float>(v[2]));
    else
        point2d_make_at(&value, static_cast<float>(v[0]), static_cast<float>(v[1]));
    lexer_append_value(s, &value);
}

// [sign] hours ":" minutes [":" seconds[.fraction]], or [sign]
// minutes ":" seconds "." fraction.
void lexer_load_time(LexerState* s, bool load) {
    const uint8_t* p = s->token_start;
    const uint8_t* end = s->token_end;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t hours, minutes;
    if ((s->token_flags & kFlagExponent) || !read_field(&p, end, INT32_MAX, &hours) || p >= end ||
        *p++ != ':' || !read_field(&p, end, INT32_MAX, &minutes))
        lexer_invalid(s, T_TIME);
    double seconds = 0;
    auto read_seconds = [&](const uint8_t* from) {
        const uint8_t* q = from;
        int64_t whole;
        if (!read_field(&q, end, 59, &whole)) return false;
        double fraction = 0;
        if (q < end && (*q == '.' || *q == ',')) {
            char text[kMaxFloatText];
            int n = 0;
            text[n++] = '.';
            for (q++; q < end && is_digit(*q) && n < kMaxFloatText; q++)
                text[n++] = static_cast<char>(*q);
            if (n == 1) return false;
            fraction = float_from_text(text, text + n, 0, nullptr);
        }
        seconds = static_cast<double>(whole) + fraction;
        return q == end;
    };
    if (p < end && (*p == '.' || *p == ',')) {
        // minutes:seconds.fraction
        const uint8_t* sec = p;
        while (sec > s->token_start && sec[-1] != ':')
            sec--;
        if (minutes > 59 || !read_seconds(sec)) lexer_invalid(s, T_TIME);
        minutes = hours;
        hours = 0;
    } else if (p < end) {
        if (*p++ != ':' || !read_seconds(p)) lexer_invalid(s, T_TIME);
    }
    double total =
        static_cast<double>(hours) * 3600.0 + static_cast<double>(minutes) * 60.0 + seconds;
    if (!load) return;
    Cell value;
    time_make_at(&value, negative ? -total : total);
    lexer_append_value(s, &value);
}

void lexer_load_money(LexerState* s, bool load) {
    Cell value;
    if (!lexer_read_money(s->token_start, s->token_end, &value)) lexer_invalid(s, T_MONEY);
    if (load) lexer_append_value(s, &value);
}

} // namespace xel
