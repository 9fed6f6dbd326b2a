// make and to, the code and amount fields, sign actions, parity and random
// of money!, and its action row.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/money/money.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "services/random/random.h"

namespace xel {

namespace {

[[noreturn]] void bad_arg(int id, const Cell* spec) {
    Cell type = datatype_cell(T_MONEY);
    Cell copy = *spec;
    error_fire(kCatScript, id, &type, &copy);
}

// The currency index of a word, or 0 when the list lacks it.
uint8_t currency_of(const Cell* word) {
    int index = money_currency_index(word_symbol(word));
    return index >= 1 && index <= 255 ? static_cast<uint8_t>(index) : 0;
}

bool is_text_type(uint8_t t) {
    return t == T_STRING || t == T_FILE || t == T_URL || t == T_TAG || t == T_EMAIL || t == T_REF;
}

// [currency] amount [fraction]: an optional currency word, an integer! or
// float! amount and, after an integer, the fraction digits as an integer
// from 0 to 99999 read as written (5 is .5, 25 is .25).
bool from_block(const Cell* spec, Cell* out) {
    Cell blk = *spec;
    uint32_t from = series_clamped_index(&blk);
    uint32_t n = block_buffer_length(&blk) - from;
    if (n < 1 || n > 3) return false;
    Cell items[3];
    for (uint32_t i = 0; i < n; i++)
        items[i] = *block_cell_at(&blk, from + i);
    uint32_t i = 0;
    uint8_t currency = 0;
    if (type_of(&items[0]) == T_WORD) {
        currency = currency_of(&items[0]);
        if (!currency) return false;
        i++;
    }
    if (i >= n) return false;
    const Cell& amount = items[i++];
    if (type_of(&amount) == T_FLOAT) {
        if (i < n) return false;
        money_from_float(out, cell_double(&amount));
    } else if (type_of(&amount) == T_INTEGER) {
        int32_t whole = integer_get(&amount);
        MoneyUnits fraction = 0;
        if (i < n) {
            const Cell& digits = items[i++];
            if (type_of(&digits) != T_INTEGER) return false;
            int32_t f = integer_get(&digits);
            if (f < 0 || f > 99999) return false;
            fraction = static_cast<MoneyUnits>(f);
            for (int32_t d = f; d < 10000 && fraction != 0; d *= 10)
                fraction *= 10;
        }
        if (i < n) return false;
        int64_t w = whole;
        auto magnitude = static_cast<MoneyUnits>(w < 0 ? -w : w);
        money_make_units(out, w < 0, 0, magnitude * kMoneyUnitsPerWhole + fraction);
    } else {
        return false;
    }
    money_set_currency(out, currency);
    return true;
}

bool from_text(const Cell* spec, Cell* out) {
    Cell str = *spec;
    uint32_t index = series_clamped_index(&str);
    uint32_t unit = series_unit(&str);
    const uint8_t* start = at(series_buffer(&str)->head) + index * unit;
    auto length = static_cast<int32_t>(series_buffer_length(&str) - index);
    int error = 0;
    lexer_scan_money(out, start, length, unit, &error);
    return error == 0;
}

void money_absolute() {
    money_set_sign(stack_arguments(), false);
}

Cell* money_negate(Cell* value) {
    money_set_sign(value, !money_sign_bit(value));
    return stack_set_last(value);
}

bool money_odd(Cell* value) {
    return (money_digit(value, kMoneyIntegerDigits) & 1) != 0;
}

bool money_even(Cell* value) {
    return !money_odd(value);
}

void money_add() {
    money_do_math(kMathAdd);
}
void money_subtract() {
    money_do_math(kMathSubtract);
}
void money_multiply() {
    money_do_math(kMathMultiply);
}
void money_divide() {
    money_do_math(kMathDivide);
}
void money_remainder() {
    money_do_math(kMathRemainder);
}

int compare_number(double x, const Cell* money, int op) {
    return money_compare_number(x, money, op);
}

enum MoneyField : int { kNoField = 0, kCode = 1, kAmount = 2 };

MoneyField field_of(const Cell* selector) {
    uint8_t t = type_of(selector);
    if (is_any_word_type(t)) {
        uint32_t s = symbol_resolve(word_symbol(selector));
        if (s == symbol_resolve(g_sym_code)) return kCode;
        if (s == symbol_resolve(g_sym_amount)) return kAmount;
        return kNoField;
    }
    if (t != T_INTEGER) return kNoField;
    int32_t n = integer_get(selector);
    return n == kCode || n == kAmount ? static_cast<MoneyField>(n) : kNoField;
}

Cell* field_value(const Cell* money, MoneyField field) {
    if (field == kCode) {
        uint32_t symbol = money_currency_symbol(money_currency(money));
        if (!symbol) {
            set_none(stack_arguments());
            return stack_arguments();
        }
        return word_box_symbol(symbol);
    }
    Cell amount = *money;
    money_set_currency(&amount, 0);
    return stack_set_last(&amount);
}

} // namespace

Cell* money_to(Cell*, Cell* spec, int) {
    Cell result;
    uint8_t t = type_of(spec);
    if (t == T_MONEY) return stack_set_last(spec);
    if (t == T_INTEGER)
        money_from_integer(&result, integer_get(spec));
    else if (t == T_FLOAT)
        money_from_float(&result, cell_double(spec));
    else if (!is_text_type(t) || !from_text(spec, &result))
        bad_arg(err::script::kBadToArg, spec);
    return stack_set_last(&result);
}

Cell* money_make(Cell* proto, Cell* spec, int type) {
    Cell result;
    switch (type_of(spec)) {
    case T_WORD: {
        uint8_t currency = currency_of(spec);
        if (!currency) bad_arg(err::script::kBadMakeArg, spec);
        money_make_units(&result, false, currency, 0);
        break;
    }
    case T_BLOCK:
        if (!from_block(spec, &result)) bad_arg(err::script::kBadMakeArg, spec);
        break;
    default:
        return money_to(proto, spec, type);
    }
    return stack_set_last(&result);
}

Cell* money_random(Cell* value, bool seed, bool secure, bool) {
    if (seed) {
        random_seed(value->data1 ^ value->data2 ^ value->data3 ^ (money_sign_bit(value) ? 1 : 0));
        set_unset(stack_arguments());
        return stack_arguments();
    }
    // Digit by digit from the most significant: bounded by the value's digit
    // while every digit so far matched it, free once one fell below.
    Cell result = *value;
    bool bounded = true;
    MoneyUnits units = 0;
    for (int i = 1; i <= kMoneyDigits; i++) {
        int limit = bounded ? money_digit(value, i) : 9;
        int d = random_int(limit + 1, secure) - 1;
        bounded = bounded && d == limit;
        units = units * 10 + static_cast<unsigned>(d);
    }
    money_set_units(&result, units);
    return stack_set_last(&result);
}

Cell* money_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell*, Cell*, int, bool,
                      bool, bool, bool) {
    Cell elem = *element;
    MoneyField field = field_of(&elem);
    Cell where = path ? *path : elem;
    if (field == kNoField) error_fire(kCatScript, err::script::kInvalidPath, &where, &elem);
    if (value) error_fire(kCatScript, err::script::kBadPathSet, &where, &elem);
    Cell money = *parent;
    return field_value(&money, field);
}

Cell* money_pick(Cell* series, int index, Cell* boxed) {
    if (index != kCode && index != kAmount) {
        Cell given = boxed ? *boxed : Cell{T_INTEGER, 0, static_cast<uint32_t>(index), 0};
        error_fire(kCatScript, err::script::kOutOfRange, &given);
    }
    Cell money = *series;
    return field_value(&money, static_cast<MoneyField>(index));
}

void money_row(ActionList& row) {
    g_number_handovers.math[T_MONEY] = money_do_math;
    g_number_handovers.money_compare = compare_number;
    g_number_handovers.money_to_float = money_to_float;
    g_number_handovers.money_to_integer = money_to_integer;
    row.set<A_MAKE>(money_make)
        .set<A_RANDOM>(money_random)
        .set<A_TO>(money_to)
        .set<A_FORM>(money_form)
        .set<A_MOLD>(money_mold)
        .set<A_EVAL_PATH>(money_eval_path)
        .set<A_COMPARE>(money_compare)
        .set<A_ABSOLUTE>(money_absolute)
        .set<A_ADD>(money_add)
        .set<A_DIVIDE>(money_divide)
        .set<A_MULTIPLY>(money_multiply)
        .set<A_NEGATE>(money_negate)
        .set<A_REMAINDER>(money_remainder)
        .set<A_ROUND>(money_round)
        .set<A_SUBTRACT>(money_subtract)
        .set<A_EVEN_Q>(money_even)
        .set<A_ODD_Q>(money_odd)
        .set<A_PICK>(money_pick);
}

} // namespace xel
