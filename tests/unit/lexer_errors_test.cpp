// Syntax errors: the id, the line and the text near the error; and the
// modes in which errors only stop the scan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "case_names.h"
#include "lexer_test_support.h"
#include "runtime/datatypes/constants.h"
#include "runtime/runtime-init.h"

using namespace xel;
using xel::test::syntax_error_of;

namespace {

struct ErrorCase {
    const char* text;
    const char* error;
};

const ErrorCase kErrorCases[] = {
    // Missing closers.
    {"[a (b] c)", "(line 1) missing ) at (b] c)"},
    {"]", "(line 1) missing [ at ]"},
    {"a )", "(line 1) missing ( at a )"},
    {"[a", "(line 1) missing ] at [a"},
    {"x (a", "(line 1) missing ) at (a"},
    {"#[a 1", "(line 1) missing ] at #[a 1"},
    {"[a)", "(line 1) missing ] at [a)"},
    {"[\n[\n", "(line 3) missing ] at ["},
    // Brace strings.
    {"{abc", "(line 1) invalid string! at {abc"},
    {"{a{b}", "(line 1) invalid string! at {a{b}"},
    {"{a\nb", "(line 2) invalid string! at {a"},
    {"}", "(line 1) invalid character at }"},
    // Bad characters.
    {"\\", "(line 1) invalid character at \\"},
    {"a \x80", "(line 1) invalid character at \xEF\xBF\xBD"},
    {"\xC0\x80", "(line 1) invalid character at \xEF\xBF\xBD\xEF\xBF\xBD"},
    // Construction syntax.
    {"#(foo)", "(line 1) invalid construction spec at #(foo)"},
    {"#(true", "(line 1) invalid construction spec at #(true"},
    {"#(tru)", "(line 1) invalid construction spec at #(tru)"},
    {"#()", "(line 1) invalid construction spec at #()"},
    // Maps.
    {"#[a]", "(line 1) invalid map! at #[a]"},
    {"#[[a] 1]", "(line 1) invalid map! at #[[a] 1]"},
    // Paths.
    {"a/", "(line 1) invalid path! at a/"},
    {"a/ b", "(line 1) invalid path! at a/ b"},
    {"a/b:/c", "(line 1) invalid path! at a/b:/c"},
    {"a/b:c", "(line 1) invalid path! at a/b:c"},
    {"a//b", "(line 1) invalid path! at a//b"},
    {"a/%c", "(line 1) invalid path! at a/%c"},
    // Words.
    {":a:", "(line 1) invalid word! at :a:"},
    {"'a:", "(line 1) invalid lit-word! at 'a:"},
    {"'", "(line 1) invalid word! at '"},
    {"a\\b", "(line 1) invalid word! at a\\b"},
    {":a:b", "(line 1) invalid get-word! at :a:b"},
    {"'a:b", "(line 1) invalid lit-word! at 'a:b"},
    {"/a:", "(line 1) invalid refinement! at /a:"},
    {"#", "(line 1) invalid issue! at #"},
    // Numbers.
    {"1abc", "(line 1) invalid integer! at 1abc"},
    {"\n\n 1abc", "(line 3) invalid integer! at 1abc"},
    {"1''0", "(line 1) invalid integer! at 1''0"},
    {"12AB", "(line 1) invalid integer! at 12AB"},
    {"123456789h", "(line 1) invalid integer! at 123456789h"},
    {"1h", "(line 1) invalid integer! at 1h"},
    {"1.5e", "(line 1) invalid float! at 1.5e"},
    {"1.#XYZ", "(line 1) invalid float! at 1.#XYZ"},
    {"1.2.300", "(line 1) invalid tuple! at 1.2.300"},
    {"1..2", "(line 1) invalid tuple! at 1..2"},
    {"1.2.3.4.5.6.7.8.9.10.11.12.13", "(line 1) invalid tuple! at 1.2.3.4.5.6.7.8.9.10.11.12.13"},
    {"1x2.5", "(line 1) invalid pair! at 1x2.5"},
    {"1x", "(line 1) invalid pair! at 1x"},
    {"1:30:60", "(line 1) invalid time! at 1:30:60"},
    {"1:3e", "(line 1) invalid time! at 1:3e"},
    {"99999999999:00", "(line 1) invalid time! at 99999999999:00"},
    {"$1.123456", "(line 1) invalid money! at $1.123456"},
    {"$123456789012345678", "(line 1) invalid money! at $123456789012345678"},
    {"$1''0", "(line 1) invalid money! at $1''0"},
    {"$", "(line 1) invalid money! at $"},
    {"50x%", "(line 1) invalid pair! at 50x%"},
    // Dates.
    {"30-Feb-2000", "(line 1) invalid date! at 30-Feb-2000"},
    {"15-", "(line 1) invalid date! at 15-"},
    {"29-Feb-2001", "(line 1) invalid date! at 29-Feb-2001"},
    {"1-Foo-2000", "(line 1) invalid date! at 1-Foo-2000"},
    {"1-Jan/2000", "(line 1) invalid date! at 1-Jan/2000"},
    {"1-Jan-2000/24:00", "(line 1) invalid date! at 1-Jan-2000/24:00"},
    {"1-Jan-2000/10:00+16:00", "(line 1) invalid date! at 1-Jan-2000/10:00+16:00"},
    {"2000-000", "(line 1) invalid date! at 2000-000"},
    {"2001-366", "(line 1) invalid date! at 2001-366"},
    {"2021-W54", "(line 1) invalid date! at 2021-W54"},
    // Binaries.
    {"#{0}", "(line 1) invalid binary! at #{0}"},
    {"#{0g}", "(line 1) invalid binary! at #{0g}"},
    {"2#{0101}", "(line 1) invalid binary! at 2#{0101}"},
    {"64#{Y===}", "(line 1) invalid binary! at 64#{Y===}"},
    {"8#{00}", "(line 1) invalid binary! at 8#{00}"},
    {"#{00", "(line 1) invalid binary! at #{00"},
    // Chars, strings, files, tags.
    {"#\"ab\"", "(line 1) invalid char! at #\"ab\""},
    {"#\"\"", "(line 1) invalid char! at #\"\""},
    {"#\"^(110000)\"", "(line 1) invalid char! at #\"^(110000)\""},
    {"\"ab\ncd\"", "(line 1) invalid string! at \"ab"},
    {"\"^(bag)\"", "(line 1) invalid string! at \"^(bag)\""},
    {"%\"abc", "(line 1) invalid file! at %\"abc"},
    {"<a", "(line 1) invalid tag! at <a"},
    {"%%{abc}%", "(line 1) invalid string! at %%{abc}%"},
    // Points and commas.
    {"a, b", "(line 1) invalid point2D! at , b"},
    {"(1 + 2, 3)", "(line 1) invalid point2D! at (1 + 2, 3)"},
    {"(x + 1, 2)", "(line 1) invalid point2D! at (x + 1, 2)"},
    {"(x, [a])", "(line 1) invalid point2D! at (x, [a])"},
    {"(1, 2, 3, 4)", "(line 1) invalid point3D! at (1, 2, 3, 4)"},
    // Inside a series the text near starts at its opener.
    {"[a 1abc]", "(line 1) invalid integer! at [a 1abc]"},
    // The text near stops at a line feed or after 30 bytes of whole characters.
    {"1abc 0123456789012345678901234567890",
     "(line 1) invalid integer! at 1abc 0123456789012345678901234"},
    {"1abc\nnext", "(line 1) invalid integer! at 1abc"},
    {"1ab\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
     "\xC3\xA9\xC3\xA9\xC3\xA9",
     "(line 1) invalid integer! at "
     "1ab\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
     "\xC3\xA9\xC3\xA9"},
};

class LexerErrors : public ::testing::TestWithParam<ErrorCase> {
  protected:
    void SetUp() override { runtime_init(); }
};

TEST_P(LexerErrors, RaisesTheSyntaxError) {
    const ErrorCase& c = GetParam();
    EXPECT_EQ(syntax_error_of(c.text), c.error) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, LexerErrors, ::testing::ValuesIn(kErrorCases),
                         xel_test::NamedBy<&ErrorCase::text>());

class LexerModes : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    static int scan(const std::string& text, uint32_t flags, int32_t* consumed = nullptr,
                    Cell* result = nullptr) {
        return lexer_scan(result, reinterpret_cast<const uint8_t*>(text.data()),
                          static_cast<uint32_t>(text.size()), flags, consumed, nullptr, nullptr,
                          nullptr);
    }
};

TEST_F(LexerModes, ScanAndPrescanStopAtAnErrorWithoutRaising) {
    EXPECT_EQ(scan("[a 1abc]", 0), T_ERROR);
    EXPECT_EQ(scan("[a", 0), T_ERROR);
    EXPECT_EQ(scan("a 1.2.3", 0), T_TUPLE);
    EXPECT_EQ(scan("[a b]", 0), T_BLOCK);
    EXPECT_EQ(scan("", 0), 0);
    EXPECT_EQ(scan("  ; c", 0), 0);
    EXPECT_EQ(scan("1abc", kScanLoad), T_ERROR) << "no output: not raised";
    int32_t consumed = -1;
    EXPECT_EQ(scan("  abc def", kScanPrescan, &consumed), T_WORD);
    EXPECT_EQ(consumed, 5);
    EXPECT_EQ(scan("1abc", kScanPrescan), T_ERROR);
    EXPECT_EQ(scan("a/b c", kScanOneValue, &consumed), T_PATH);
    EXPECT_EQ(consumed, 3);
}

TEST_F(LexerModes, AnOpenSeriesLeftWithoutRaisingGivesNone) {
    Cell result{T_INTEGER, 0, 1, 0};
    EXPECT_EQ(scan("[a", kScanOutput, nullptr, &result), T_ERROR);
    EXPECT_EQ(type_of(&result), T_NONE);
}

TEST_F(LexerModes, OneValueGivesTheFirstValueAndWhatItConsumed) {
    Cell result{};
    int32_t consumed = 0;
    scan(" 12 34", kScanLoad | kScanOutput | kScanOneValue, &consumed, &result);
    EXPECT_EQ(type_of(&result), T_INTEGER);
    EXPECT_EQ(result.data2, 12u);
    EXPECT_EQ(consumed, 3);
    scan("[1 [2]] 3", kScanLoad | kScanOutput | kScanOneValue | kScanBlock, &consumed, &result);
    EXPECT_EQ(xel::test::describe(&result), "[[1 [2]]]");
    EXPECT_EQ(consumed, 7);
    scan("{a}b", kScanLoad | kScanOutput | kScanOneValue, &consumed, &result);
    EXPECT_EQ(xel::test::describe(&result), "\"a\"");
    EXPECT_EQ(consumed, 3);
}

TEST_F(LexerModes, OutputIsAppendedToAGivenBlock) {
    Cell into;
    block_make_at(&into, 4);
    set_integer(block_alloc_tail_cell(&into), 0);
    std::string text = "1 2";
    Cell result{};
    lexer_scan(&result, reinterpret_cast<const uint8_t*>(text.data()), 3, kScanLoad | kScanOutput,
               nullptr, nullptr, nullptr, &into);
    EXPECT_EQ(xel::test::describe(&into), "[0 1 2]");
}

TEST_F(LexerModes, LoadSingle) {
    const struct {
        const char* text;
        const char* loaded;
    } cases[] = {
        {"12", "12"}, {"  [a] ; note\n ", "[a]"}, {"1 2", "none"}, {"", "unset"}, {" ; c", "unset"},
    };
    for (const auto& c : cases) {
        Cell str;
        string_load_at(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text), &str, 0);
        Cell destination;
        Cell* loaded = lexer_scan_single(&str, &destination);
        EXPECT_EQ(xel::test::describe(loaded), c.loaded) << c.text;
    }
}

TEST_F(LexerModes, StringInputCountsCodePoints) {
    Cell str;
    const char* text = "\xC3\xA9t\xC3\xA9 x";
    string_load_at(reinterpret_cast<const uint8_t*>(text), std::strlen(text), &str, 0);
    Cell result{};
    int32_t consumed = 0;
    lexer_load_string(&result, &str, -1, kScanLoad | kScanOutput | kScanOneValue, &consumed,
                      nullptr, nullptr);
    EXPECT_EQ(xel::test::describe(&result), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(consumed, 3);
    lexer_load_string(&result, &str, 2, kScanLoad | kScanOutput, &consumed, nullptr, nullptr);
    EXPECT_EQ(xel::test::describe(&result), "[\xC3\xA9t]");
}

TEST_F(LexerModes, ALoneSurrogateInAStringCountsAsOneCodePoint) {
    Cell str;
    const char* text = "\"\xED\xAC\x90\" a";
    string_load_at(reinterpret_cast<const uint8_t*>(text), std::strlen(text), &str, 0);
    ASSERT_EQ(string_xs_length(&str), 5);
    int32_t consumed = 0;
    EXPECT_EQ(lexer_load_string(nullptr, &str, -1, kScanPrescan, &consumed, nullptr, nullptr),
              T_STRING);
    EXPECT_EQ(consumed, 3);
}

TEST_F(LexerModes, ANoneCallbackIsNoCallback) {
    Cell none{T_NONE, 0, 0, 0};
    std::string text = "a";
    Cell result{};
    lexer_scan(&result, reinterpret_cast<const uint8_t*>(text.data()), 1, kScanLoad | kScanOutput,
               nullptr, &none, nullptr, nullptr);
    EXPECT_EQ(xel::test::describe(&result), "[a]");
}

struct UnitText {
    std::vector<uint8_t> bytes;
    uint32_t unit;
    int32_t length;
};

UnitText units(const char* text, uint32_t unit) {
    UnitText t{{}, unit, static_cast<int32_t>(std::strlen(text))};
    t.bytes.resize(t.length * unit + 1);
    for (int32_t i = 0; i < t.length; i++)
        string_put_char(t.bytes.data() + i * unit, unit, static_cast<uint8_t>(text[i]));
    return t;
}

TEST_F(LexerModes, ToIntegerFromText) {
    const struct {
        const char* text;
        int32_t value;
        int error;
    } cases[] = {
        {"1'000", 1000, 0},    {"-2147483648", INT32_MIN, 0}, {"+7", 7, 0},
        {"2147483648", 0, -2}, {"99999999999", 0, -2},        {"12a", 0, -1},
        {"", 0, -1},           {"0000000000012", 12, 0},      {"1.5", 0, -1},
    };
    for (uint32_t unit : {1u, 2u, 4u})
        for (const auto& c : cases) {
            UnitText t = units(c.text, unit);
            int error = 99;
            EXPECT_EQ(lexer_scan_integer(t.bytes.data(), t.length, unit, &error), c.value)
                << c.text << " unit " << unit;
            EXPECT_EQ(error, c.error) << c.text;
        }
}

TEST_F(LexerModes, ToFloatTupleMoneyFromText) {
    int error;
    UnitText f = units("1,5e1", 2);
    EXPECT_EQ(lexer_scan_float(f.bytes.data(), f.length, 2, &error), 15.0);
    EXPECT_EQ(error, 0);
    std::string long_text(313, '1');
    UnitText l = units(long_text.c_str(), 1);
    EXPECT_TRUE(std::isnan(lexer_scan_float(l.bytes.data(), l.length, 1, &error)));
    EXPECT_EQ(error, -1);
    Cell out;
    UnitText t = units("1.2.3", 4);
    lexer_scan_tuple_text(&out, t.bytes.data(), t.length, 4, &error);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(xel::test::describe(&out), "1.2.3");
    const struct {
        const char* text;
        const char* money;
    } money[] = {{"12.5", "$12.50000"}, {"-$1'000", "-$1000.00000"},
                 {"$1.", "error"},      {"1''2", "error"},
                 {".5", "error"},       {"USD1", "error"}};
    for (const auto& m : money) {
        UnitText u = units(m.text, 1);
        lexer_scan_money(&out, u.bytes.data(), u.length, 1, &error);
        EXPECT_EQ(error ? std::string("error") : xel::test::describe(&out), m.money) << m.text;
    }
}

} // namespace
