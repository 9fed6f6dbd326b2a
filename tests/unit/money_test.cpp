// money!: digits and magnitudes, the conversions the number types hand over
// to, comparison with numbers an amount cannot hold, the digits setting of
// the text, and the currency list.
#include "runtime/datatypes/money/money.h"

#include "number_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Money : public test::RuntimeFixture {};

constexpr int kBadMakeArg = 353;

// The address of a temporary, valid to the end of the full expression.
const Cell* ptr(const Cell& c) {
    return &c;
}

Cell money_of(double amount) {
    Cell m;
    money_from_float(&m, amount);
    return m;
}

Cell money_text(const char* text) {
    Cell m{};
    int error = 0;
    lexer_scan_money(&m, reinterpret_cast<const uint8_t*>(text),
                     static_cast<int32_t>(std::strlen(text)), 1, &error);
    EXPECT_EQ(error, 0) << text;
    return m;
}

TEST_F(Money, UnitsAndDigitsAgree) {
    Cell m = money_text("$12345678901234567.89012");
    EXPECT_EQ(money_digit(&m, 1), 1);
    EXPECT_EQ(money_digit(&m, 17), 7);
    EXPECT_EQ(money_digit(&m, 18), 8);
    EXPECT_EQ(money_digit(&m, 22), 2);
    MoneyUnits u = money_units(&m);
    EXPECT_EQ(static_cast<uint64_t>(u % 100000), 89012u);
    EXPECT_EQ(static_cast<uint64_t>(u / 100000), 12345678901234567u);
    Cell copy{T_MONEY, 0, 0, 0};
    money_set_units(&copy, u);
    EXPECT_EQ(std::memcmp(money_bytes(&copy) + 1, money_bytes(&m) + 1, 11), 0);
    EXPECT_EQ(error_of([] {
                  Cell c;
                  money_make_units(&c, false, 0, kMoneyUnitsLimit);
              }),
              kTypeLimit);
}

TEST_F(Money, FromAndToIntegers) {
    const int32_t values[] = {0, 1, -1, 2147483647, INT32_MIN, 100};
    for (int32_t v : values) {
        Cell m;
        money_from_integer(&m, v);
        EXPECT_EQ(money_to_integer(&m), v);
        EXPECT_EQ(money_sign(&m), (v > 0) - (v < 0));
    }
    EXPECT_EQ(money_to_integer(ptr(money_text("-$7.99"))), -7);
    EXPECT_EQ(money_to_integer(ptr(money_text("-$2147483648.5"))), INT32_MIN);
    EXPECT_EQ(error_of([] { money_to_integer(ptr(money_text("$2147483648"))); }), kTypeLimit);
    EXPECT_EQ(error_of([] { money_to_integer(ptr(money_text("-$2147483649"))); }), kTypeLimit);
}

TEST_F(Money, FloatsKeepFiveRoundedDecimals) {
    const struct {
        double value;
        const char* mold;
    } cases[] = {
        {0.1, "$0.10000"},      {-2.675, "-$2.67500"},
        {1.000004, "$1.00000"}, {1.000006, "$1.00001"},
        {1e-05, "$0.00001"},    {99999999999999984.0, "$99999999999999984.00000"},
        {-0.0, "$0.00000"},     {123456.789, "$123456.78900"},
    };
    for (const auto& c : cases) {
        Cell m = money_of(c.value);
        Cell out = string_cell("");
        money_mold(&m, &out, false, true, false, nullptr, 100, 0);
        EXPECT_EQ(string_utf8_text(&out), c.mold) << c.value;
    }
    const double refused[] = {1e17, -1e17, 9e-06, -1e-07, INFINITY, NAN};
    for (double d : refused)
        EXPECT_EQ(error_of([d] { money_of(d); }), kBadMakeArg) << d;
    EXPECT_EQ(money_to_float(ptr(money_text("-$0.1"))), -0.1);
    EXPECT_EQ(money_to_float(ptr(money_text("$12345678901234567.89012"))), 12345678901234567.89012);
}

// Numbers beyond the range of amounts still order against them.
TEST_F(Money, NumbersBeyondTheRangeOrderAgainstAmounts) {
    Cell big = money_text("$99999999999999999.99999");
    Cell zero = money_text("$0");
    Cell small = money_text("-$0.00001");
    const struct {
        double x;
        const Cell* money;
        int op;
        int answer;
    } cases[] = {
        {1e17, &big, kCmpLesser, 1},      {-1e300, &big, kCmpLesser, -1},
        {1e-06, &zero, kCmpEqual, 1},     {1e-06, &zero, kCmpGreater, 1},
        {-1e-06, &zero, kCmpLesser, -1},  {-1e-06, &small, kCmpGreater, 1},
        {1e-06, &small, kCmpGreater, 1},  {0.5, &zero, kCmpGreater, 1},
        {-0.00001, &small, kCmpEqual, 0}, {NAN, &zero, kCmpLesser, 1},
        {NAN, &zero, kCmpGreater, -1},    {NAN, &zero, kCmpEqual, 1},
        {1.0, &zero, kCmpStrictEqual, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(g_number_handovers.money_compare(c.x, c.money, c.op), c.answer)
            << c.x << " " << c.op;
    // The amount first: NaN still answers false to every ordering.
    Cell nan = dbl_cell(NAN);
    EXPECT_FALSE(actions_compare(&zero, &nan, kCmpLesser));
    EXPECT_FALSE(actions_compare(&zero, &nan, kCmpGreater));
    Cell huge = dbl_cell(1e20);
    EXPECT_TRUE(actions_compare(&big, &huge, kCmpLesser));
}

TEST_F(Money, DigitsSettingOfTheText) {
    Cell m = money_text("-USD$1234567.12345");
    const struct {
        Cell setting;
        const char* form;
        const char* mold;
    } cases[] = {
        {int_cell(2), "-USD$1'234'567.12", "-USD$1234567.12"},
        {int_cell(0), "-USD$1'234'567", "-USD$1234567"},
        {int_cell(-3), "-USD$1'234'567", "-USD$1234567"},
        {int_cell(3), "-USD$1'234'567.123", "-USD$1234567.123"},
        {int_cell(9), "-USD$1'234'567.12345", "-USD$1234567.12345"},
        {string_cell("4"), "-USD$1'234'567.12", "-USD$1234567.12"},
    };
    for (const auto& c : cases) {
        money_set_digits_option(&c.setting);
        EXPECT_EQ(form_of(m), c.form);
        EXPECT_EQ(mold_of(m), c.mold);
    }
    Cell out = string_cell("");
    EXPECT_EQ(money_serialize(&m, &out, 50, false, 5), 50 - 18);
    EXPECT_EQ(string_utf8_text(&out), "-USD$1234567.12345");
    EXPECT_EQ(form_of(money_text("$999")), "$999.00");
    EXPECT_EQ(form_of(money_text("$1000")), "$1'000.00");
}

TEST_F(Money, TheCurrencyListDecidesCodesAndOutlivesCollections) {
    EXPECT_EQ(money_currency_index(symbol_make("AED")), 1);
    EXPECT_EQ(money_currency_index(symbol_make("usd")), 155);
    EXPECT_EQ(money_currency_index(symbol_make("ZMW")), 170);
    EXPECT_EQ(money_currency_index(symbol_make("XYZ")), -1);
    EXPECT_EQ(money_currency_symbol(171), 0u);
    for (int round = 0; round < 3; round++) {
        collector_collect();
        for (int i = 0; i < 200; i++) {
            Cell garbage;
            block_make_at(&garbage, 8);
        }
    }
    EXPECT_EQ(form_of(money_text("eur$5")), "EUR$5.00");
    // A shorter list leaves the codes of old amounts unprinted.
    Cell list;
    block_make_at(&list, 1);
    Cell m = money_text("EUR$5");
    money_set_currency_list(&list);
    EXPECT_EQ(form_of(m), "$5.00");
}

} // namespace
