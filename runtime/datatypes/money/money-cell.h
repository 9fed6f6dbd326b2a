// money!: header bit 14 the sign; byte 4 the currency index (0 none, else
// the 1-based position in the currency list); bytes 5-15 the magnitude as 22
// packed decimal digits, most significant first: 17 integer digits and 5
// fraction digits.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kMoneySignBit = 1u << 14;
constexpr int kMoneyDigits = 22;
constexpr int kMoneyIntegerDigits = 17;
constexpr int kMoneyFractionDigits = 5;

// A magnitude as a count of 0.00001 units: 22 decimal digits, and the
// 27 digits of a product or a shifted dividend, fit exactly.
using MoneyUnits = unsigned __int128;
constexpr MoneyUnits kMoneyUnitsPerWhole = 100000;
// 10^22: the first magnitude that does not fit.
constexpr MoneyUnits kMoneyUnitsLimit = MoneyUnits{10000000000000000000u} * 1000;

inline uint8_t* money_bytes(Cell* c) {
    return reinterpret_cast<uint8_t*>(&c->data1);
}
inline const uint8_t* money_bytes(const Cell* c) {
    return reinterpret_cast<const uint8_t*>(&c->data1);
}
inline uint8_t money_currency(const Cell* c) {
    return money_bytes(c)[0];
}
inline void money_set_currency(Cell* c, uint8_t index) {
    money_bytes(c)[0] = index;
}
// Digit i (1-based, most significant first).
inline int money_digit(const Cell* c, int i) {
    uint8_t b = money_bytes(c)[1 + (i - 1) / 2];
    return (i & 1) ? b >> 4 : b & 15;
}
// The sign bit as stored (a zero amount may carry either).
inline bool money_sign_bit(const Cell* c) {
    return (c->header & kMoneySignBit) != 0;
}
inline void money_set_sign(Cell* c, bool negative) {
    c->header = negative ? c->header | kMoneySignBit : c->header & ~kMoneySignBit;
}

// The list of currency codes: a block of words that the system's locale
// settings hold. money_init installs the standard codes.
void money_set_currency_list(const Cell* block);
// 1-based position of a currency word's symbol in the list (letter case
// ignored), or -1.
int money_currency_index(uint32_t symbol);
// The symbol of the currency at a 1-based index, or 0 when the list has none there.
uint32_t money_currency_symbol(int index);

// The number of fraction digits form and mold show: an integer! setting as
// the system's options give it, anything else meaning 2.
void money_set_digits_option(const Cell* value);
int money_digits_option();

// Roots the currency list, installs the standard currency codes and the
// default digits setting; runs once the symbol table and series memory exist.
void money_init();

// Writes a money! cell from the sign, the currency index and 11 digit bytes.
void money_make_at(Cell* c, bool negative, uint8_t currency, const uint8_t digits[11]);
// Writes a money! from decimal digits in [start, end) (apostrophes skipped)
// with the fraction mark at fraction (null: none) and an optional 3-letter
// currency code. Returns null for an unknown currency or digits that do not
// fit (more than 17 integer or 5 fraction digits).
Cell* money_make_from_digits(Cell* c, bool negative, const uint8_t* code, const uint8_t* start,
                             const uint8_t* fraction, const uint8_t* end);

// The magnitude, and a cell's digits rewritten from one (below the limit).
MoneyUnits money_units(const Cell* c);
void money_set_units(Cell* c, MoneyUnits units);
// Writes a money! of sign, currency and magnitude (zero without sign);
// script type-limit (money!) when the magnitude has more than 22 digits.
void money_make_units(Cell* c, bool negative, uint8_t currency, MoneyUnits units);

bool money_zero(const Cell* c);
bool money_negative(const Cell* c);
bool money_positive(const Cell* c);
// -1, 0 or 1; zero has no sign.
int money_sign(const Cell* c);

// Conversions. from-float refuses magnitudes of 1e17 and more and non-zero
// ones below 0.00001 with script bad-make-arg (money!, the float), and keeps
// the float's decimal text rounded to 5 fraction digits. to-integer
// truncates toward zero; script type-limit (integer!) beyond 32 bits.
void money_from_integer(Cell* c, int32_t value);
void money_from_float(Cell* c, double value);
int32_t money_to_integer(const Cell* c);
double money_to_float(const Cell* c);

} // namespace xel
