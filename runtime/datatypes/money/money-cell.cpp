#include "runtime/datatypes/money/money-cell.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/memory/collector.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/float-text.h"

namespace xel {

namespace {

Cell g_currencies{T_NONE, 0, 0, 0};
int g_money_digits = 2;

// The standard currency codes, in the order that gives each its index.
const char* const kCurrencyCodes[] = {
    "AED", "AFN", "ALL", "AMD", "ANG", "AOA", "ARS", "AUD", "AWG", "AZN", "BAM", "BBD", "BDT",
    "BTC", "BGN", "BHD", "BIF", "BMD", "BND", "BOB", "BRL", "BSD", "BTN", "BWP", "BYN", "BZD",
    "CAD", "CDF", "CHF", "CKD", "CLP", "CNY", "COP", "CRC", "CUC", "CUP", "CVE", "CZK", "DJF",
    "DKK", "DOP", "DZD", "EGP", "ERN", "ETB", "ETH", "EUR", "FJD", "FKP", "FOK", "GBP", "GEL",
    "GGP", "GHS", "GIP", "GMD", "GNF", "GTQ", "GYD", "HKD", "HNL", "HRK", "HTG", "HUF", "IDR",
    "ILS", "IMP", "INR", "IQD", "IRR", "ISK", "JEP", "JMD", "JOD", "JPY", "KES", "KGS", "KHR",
    "KID", "KMF", "KPW", "KRW", "KWD", "KYD", "KZT", "LAK", "LBP", "LKR", "LRD", "LSL", "LYD",
    "MAD", "MDL", "MGA", "MKD", "MMK", "MNT", "MOP", "MRU", "MUR", "MVR", "MWK", "MXN", "MYR",
    "MZN", "NAD", "NGN", "NIO", "NOK", "NPR", "NZD", "OMR", "PAB", "PEN", "PGK", "PHP", "PKR",
    "PLN", "PND", "PRB", "PYG", "QAR", "XEL", "RON", "RSD", "RUB", "RWF", "SAR", "SBD", "SCR",
    "SDG", "SEK", "SGD", "SHP", "SLL", "SLS", "SOS", "SRD", "SSP", "STN", "SYP", "SZL", "THB",
    "TJS", "TMT", "TND", "TOP", "TRY", "TTD", "TVD", "TWD", "TZS", "UAH", "UGX", "USD", "UYU",
    "UZS", "VES", "VND", "VUV", "WST", "CFA", "XAF", "XCD", "XOF", "CFP", "XPF", "YER", "ZAR",
    "ZMW",
};

void mark_currencies() {
    collector_mark_cells(&g_currencies, &g_currencies + 1);
}

void put_digit(uint8_t* digits, int i, int d) {
    uint8_t& b = digits[(i - 1) / 2];
    b = (i & 1) ? static_cast<uint8_t>((b & 0x0F) | d << 4) : static_cast<uint8_t>((b & 0xF0) | d);
}

[[noreturn]] void limit_error(uint8_t type) {
    Cell dt = datatype_cell(type);
    error_fire(kCatScript, err::script::kTypeLimit, &dt);
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

uint32_t money_currency_symbol(int index) {
    if (!is_block_kind(type_of(&g_currencies)) || index < 1) return 0;
    if (static_cast<uint32_t>(index) > block_buffer_length(&g_currencies)) return 0;
    const Cell* w = block_cell_at(&g_currencies, static_cast<uint32_t>(index) - 1);
    return is_any_word_type(type_of(w)) ? word_symbol(w) : 0;
}

void money_set_digits_option(const Cell* value) {
    g_money_digits = type_of(value) == T_INTEGER ? static_cast<int32_t>(value->data2) : 2;
}

int money_digits_option() {
    return g_money_digits;
}

void money_init() {
    g_currencies = Cell{T_NONE, 0, 0, 0};
    g_money_digits = 2;
    collector_add_root_callback(mark_currencies);
    Cell list;
    block_make_at(&list, static_cast<int>(std::size(kCurrencyCodes)));
    g_currencies = list;
    for (const char* code : kCurrencyCodes) {
        uint32_t symbol = symbol_make(code);
        word_set_cell(block_alloc_tail_cell(&g_currencies), T_WORD, 0, symbol, -1);
    }
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

MoneyUnits money_units(const Cell* c) {
    MoneyUnits u = 0;
    for (int i = 1; i <= kMoneyDigits; i++)
        u = u * 10 + static_cast<unsigned>(money_digit(c, i));
    return u;
}

void money_set_units(Cell* c, MoneyUnits units) {
    uint8_t* digits = money_bytes(c) + 1;
    for (int i = kMoneyDigits; i >= 1; i--) {
        put_digit(digits, i, static_cast<int>(units % 10));
        units /= 10;
    }
}

void money_make_units(Cell* c, bool negative, uint8_t currency, MoneyUnits units) {
    if (units >= kMoneyUnitsLimit) limit_error(T_MONEY);
    *c = Cell{T_MONEY | (negative && units != 0 ? kMoneySignBit : 0u), 0, 0, 0};
    money_set_currency(c, currency);
    money_set_units(c, units);
}

bool money_zero(const Cell* c) {
    const uint8_t* digits = money_bytes(c) + 1;
    for (int i = 0; i < 11; i++)
        if (digits[i]) return false;
    return true;
}

bool money_negative(const Cell* c) {
    return money_sign_bit(c) && !money_zero(c);
}

bool money_positive(const Cell* c) {
    return !money_sign_bit(c) && !money_zero(c);
}

int money_sign(const Cell* c) {
    if (money_zero(c)) return 0;
    return money_sign_bit(c) ? -1 : 1;
}

void money_from_integer(Cell* c, int32_t value) {
    int64_t v = value;
    auto magnitude = static_cast<MoneyUnits>(v < 0 ? -v : v);
    money_make_units(c, v < 0, 0, magnitude * kMoneyUnitsPerWhole);
}

void money_from_float(Cell* c, double value) {
    double magnitude = std::fabs(value);
    if (std::isnan(value) || magnitude >= 1e17 || (magnitude != 0.0 && magnitude < 1e-05)) {
        Cell type = datatype_cell(T_MONEY);
        Cell given{T_FLOAT, 0, 0, 0};
        cell_set_double(&given, value);
        error_fire(kCatScript, err::script::kBadMakeArg, &type, &given);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.5f", magnitude);
    MoneyUnits units = 0;
    for (const char* p = text; *p; p++)
        if (*p >= '0' && *p <= '9') units = units * 10 + static_cast<unsigned>(*p - '0');
    money_make_units(c, value < 0, 0, units);
}

int32_t money_to_integer(const Cell* c) {
    MoneyUnits whole = money_units(c) / kMoneyUnitsPerWhole;
    bool negative = money_negative(c);
    if (whole > (negative ? MoneyUnits{2147483648u} : MoneyUnits{2147483647u}))
        limit_error(T_INTEGER);
    auto v = static_cast<int64_t>(whole);
    return static_cast<int32_t>(negative ? -v : v);
}

double money_to_float(const Cell* c) {
    MoneyUnits u = money_units(c);
    auto whole = static_cast<unsigned long long>(u / kMoneyUnitsPerWhole);
    auto fraction = static_cast<unsigned>(u % kMoneyUnitsPerWhole);
    char text[48];
    int n = std::snprintf(text, sizeof text, "%llu.%05u", whole, fraction);
    double d = float_from_text(text, text + n, 0, nullptr);
    return money_negative(c) ? -d : d;
}

} // namespace xel
