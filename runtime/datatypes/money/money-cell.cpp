#include "runtime/datatypes/money/money-cell.h"

#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/words/symbols.h"

namespace xel {

namespace {

Cell g_currencies{T_NONE, 0, 0, 0};

void put_digit(uint8_t* digits, int i, int d) {
    uint8_t& b = digits[(i - 1) / 2];
    b = (i & 1) ? static_cast<uint8_t>((b & 0x0F) | d << 4) : static_cast<uint8_t>((b & 0xF0) | d);
}

} // namespace

void money_set_currency_list(const Cell* block) {
    g_currencies = *block;
}

int money_currency_index(uint32_t symbol) {
    if (!is_block_kind(type_of(&g_currencies))) return -1;
    uint32_t canonical = symbol_resolve(symbol);
    uint32_t n = block_buffer_length(&g_currencies);
    for (uint32_t i = 0; i < n; i++) {
        const Cell* w = block_cell_at(&g_currencies, i);
        if (is_any_word_type(type_of(w)) && symbol_resolve(word_symbol(w)) == canonical)
            return static_cast<int>(i) + 1;
    }
    return -1;
}

void money_make_at(Cell* c, bool negative, uint8_t currency, const uint8_t digits[11]) {
    c->header = T_MONEY | (negative ? kMoneySignBit : 0u);
    uint8_t* bytes = money_bytes(c);
    bytes[0] = currency;
    std::memcpy(bytes + 1, digits, 11);
}

Cell* money_make_from_digits(Cell* c, bool negative, const uint8_t* code, const uint8_t* start,
                             const uint8_t* fraction, const uint8_t* end) {
    uint8_t currency = 0;
    if (code) {
        int index = money_currency_index(symbol_make_from_buffer(code, 3));
        if (index < 1 || index > 255) return nullptr;
        currency = static_cast<uint8_t>(index);
    }
    const uint8_t* int_end = fraction ? fraction : end;
    uint8_t digits[11] = {};
    int pos = kMoneyIntegerDigits;
    for (const uint8_t* p = int_end; p > start;) {
        uint8_t ch = *--p;
        if (ch < '0' || ch > '9') continue;
        if (pos < 1) {
            if (ch != '0') return nullptr;
            continue;
        }
        put_digit(digits, pos--, ch - '0');
    }
    if (fraction) {
        pos = kMoneyIntegerDigits + 1;
        for (const uint8_t* p = fraction + 1; p < end; p++) {
            if (*p < '0' || *p > '9') continue;
            if (pos > kMoneyDigits) return nullptr;
            put_digit(digits, pos++, *p - '0');
        }
    }
    money_make_at(c, negative, currency, digits);
    return c;
}

} // namespace xel
