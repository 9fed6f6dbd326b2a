// The text of an amount.
#include <string>

#include "runtime/datatypes/money/money.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/symbols/symbols.h"

namespace xel {

int money_serialize(const Cell* money, Cell* string, int part, bool grouped, int decimals) {
    std::string out;
    if (money_negative(money)) out += '-';
    if (uint32_t code = money_currency_symbol(money_currency(money))) {
        uint32_t length = 0;
        const char* name = symbol_name(code, &length);
        out.append(name, length);
    }
    out += '$';
    MoneyUnits units = money_units(money);
    MoneyUnits whole = units / kMoneyUnitsPerWhole;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
        whole /= 10;
    } while (whole != 0);
    for (size_t i = 0; i < digits.size(); i++) {
        if (grouped && i > 0 && (digits.size() - i) % 3 == 0) out += '\'';
        out += digits[i];
    }
    if (decimals > kMoneyFractionDigits) decimals = kMoneyFractionDigits;
    if (decimals >= 1) {
        auto fraction = static_cast<unsigned>(units % kMoneyUnitsPerWhole);
        std::string text = std::to_string(fraction + 100000u);
        out += '.';
        out.append(text, 1, static_cast<size_t>(decimals));
    }
    string_concatenate_literal(string, out.c_str());
    return part - static_cast<int>(out.size());
}

int money_form(Cell* value, Cell* buffer, Cell*, int part) {
    return money_serialize(value, buffer, part, true, money_digits_option());
}

int money_mold(Cell* value, Cell* buffer, bool, bool all, bool, Cell*, int part, int) {
    return money_serialize(value, buffer, part, false,
                           all ? kMoneyFractionDigits : money_digits_option());
}

} // namespace xel
