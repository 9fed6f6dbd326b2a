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

inline uint8_t* money_bytes(Cell* c) {
    return reinterpret_cast<uint8_t*>(&c->data1);
}
inline const uint8_t* money_bytes(const Cell* c) {
    return reinterpret_cast<const uint8_t*>(&c->data1);
}
inline uint8_t money_currency(const Cell* c) {
    return money_bytes(c)[0];
}
// Digit i (1-based, most significant first).
inline int money_digit(const Cell* c, int i) {
    uint8_t b = money_bytes(c)[1 + (i - 1) / 2];
    return (i & 1) ? b >> 4 : b & 15;
}

// The list of currency codes: a block of words that the system's locale
// settings hold. Until one is set, every code is unknown.
void money_set_currency_list(const Cell* block);
// 1-based position of a currency word's symbol in the list (letter case
// ignored), or -1.
int money_currency_index(uint32_t symbol);

// Writes a money! cell from the sign, the currency index and 11 digit bytes.
void money_make_at(Cell* c, bool negative, uint8_t currency, const uint8_t digits[11]);
// Writes a money! from decimal digits in [start, end) (apostrophes skipped)
// with the fraction mark at fraction (null: none) and an optional 3-letter
// currency code. Returns null for an unknown currency or digits that do not
// fit (more than 17 integer or 5 fraction digits).
Cell* money_make_from_digits(Cell* c, bool negative, const uint8_t* code, const uint8_t* start,
                             const uint8_t* fraction, const uint8_t* end);

} // namespace xel
