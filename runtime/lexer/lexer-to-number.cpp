// Text-to-number conversions for `to`, over string units of any size.
#include <cmath>
#include <string>

#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer.h"

namespace xel {

namespace {

constexpr int32_t kMaxFloatText = 312;

// The ASCII text of the units; false when a code point is not ASCII.
bool ascii_text(const uint8_t* start, int32_t length, uint32_t unit, std::string* out) {
    out->clear();
    for (int32_t i = 0; i < length; i++) {
        uint32_t cp = string_get_char(start + uint32_t(i) * unit, unit);
        if (cp > 127) return false;
        out->push_back(static_cast<char>(cp));
    }
    return true;
}

const uint8_t* bytes(const std::string& text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}

} // namespace

int32_t lexer_scan_integer(const uint8_t* start, int32_t length, uint32_t unit, int* error) {
    *error = 0;
    std::string text;
    if (!ascii_text(start, length, unit, &text)) {
        *error = -1;
        return 0;
    }
    std::string digits;
    for (char c : text)
        if (c != '\'') digits.push_back(c);
    int32_t v = 0;
    bool overflow;
    if (!lexer_read_integer(bytes(digits), bytes(digits) + digits.size(), &v, &overflow)) {
        *error = overflow ? -2 : -1;
        return 0;
    }
    return v;
}

double lexer_scan_float(const uint8_t* start, int32_t length, uint32_t unit, int* error) {
    *error = 0;
    std::string text;
    double d;
    if (length > kMaxFloatText || !ascii_text(start, length, unit, &text)) {
        *error = -1;
        return std::nan("");
    }
    for (char& c : text)
        if (c == ',') c = '.';
    if (!lexer_read_float(bytes(text), bytes(text) + text.size(), 0, &d)) {
        *error = -1;
        return std::nan("");
    }
    return d;
}

void lexer_scan_tuple_text(Cell* out, const uint8_t* start, int32_t length, uint32_t unit,
                           int* error) {
    std::string text;
    *error = ascii_text(start, length, unit, &text) &&
                     lexer_read_tuple(bytes(text), bytes(text) + text.size(), out)
                 ? 0
                 : -1;
}

// [sign] [code "$" | "$"] digits with single apostrophes between integer
// digits and at most one "." that is neither first nor last.
void lexer_scan_money(Cell* out, const uint8_t* start, int32_t length, uint32_t unit, int* error) {
    *error = -1;
    std::string text;
    if (!ascii_text(start, length, unit, &text)) return;
    const uint8_t* p = bytes(text);
    const uint8_t* end = p + text.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const uint8_t* code = nullptr;
    auto letter = [](uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
    if (end - p >= 3 && letter(p[0]) && letter(p[1]) && letter(p[2])) {
        if (text.size() < 5 || end - p < 4 || p[3] != '$') return;
        code = p;
        p += 4;
    } else if (p < end && *p == '$') {
        p++;
    }
    const uint8_t* digits = p;
    const uint8_t* fraction = nullptr;
    int integer_digits = 0, fraction_digits = 0;
    bool significant = false;
    for (; p < end; p++) {
        uint8_t c = *p;
        if (c >= '0' && c <= '9') {
            if (fraction)
                fraction_digits++;
            else if (c != '0' || significant)
                significant = true, integer_digits++;
        } else if (c == '\'') {
            if (fraction || p == digits || p[-1] == '\'' || p + 1 == end) return;
        } else if (c == '.' && !fraction && p > digits && p + 1 < end) {
            fraction = p;
        } else {
            return;
        }
    }
    if (p == digits || integer_digits > kMoneyIntegerDigits ||
        fraction_digits > kMoneyFractionDigits)
        return;
    if (money_make_from_digits(out, negative, code, digits, fraction, end)) *error = 0;
}

} // namespace xel
