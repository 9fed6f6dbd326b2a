// Loading text into values: a table of text and the loaded block, then the
// cases that need more than one comparison.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "case_names.h"
#include "lexer_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/runtime-init.h"

using namespace xel;
using xel::test::describe;
using xel::test::load_text;

namespace {

struct LoadCase {
    const char* text;
    const char* loaded;
};

const LoadCase kLoadCases[] = {
    // Blanks.
    {"", "[]"},
    {" \t\r\n ", "[]"},
    {"\xC2\xA0\xE3\x80\x80\xE2\x80\x8A", "[]"},
    {"; only a comment", "[]"},
    {"a\xC2\xA0"
     "b",
     "[a b]"},
    // Integers and floats.
    {"0 1 -2 +3 007", "[0 1 -2 3 7]"},
    {"-2147483648 2147483647", "[-2147483648 2147483647]"},
    {"2147483648 -2147483649", "[2147483648.0 -2147483649.0]"},
    {"1'000'000", "[1000000]"},
    {"12345678901", "[12345678901.0]"},
    {"1.5 .5 -.5 1. 1e3 1.5E-3 2'000.5", "[1.5 0.5 -0.5 1.0 1000.0 0.0015 2000.5]"},
    {"1.#INF -1.#inf +1.#Inf 1.#NaN", "[1.#INF -1.#INF 1.#INF 1.#NaN]"},
    {"0FFh 1Eh 7FFFFFFFh FFFFFFFFh ABh", "[255 30 2147483647 -1 171]"},
    {"Fh Eh DEAD", "[Fh Eh DEAD]"},
    {"50% 1.5% -2%", "[percent(0.5) percent(0.015) percent(-0.02)]"},
    // Words.
    {"a set: :get 'lit /ref #iss", "[a set: :get 'lit /ref #iss]"},
    {"/ // '/ :/ /: < <= <> > >= = == + - * ** . ..",
     "[/ // '/ :/ /: < <= <> > >= = == + - * ** . ..]"},
    {"a.b a-b? a! caf\xC3\xA9 a'b", "[a.b a-b? a! caf\xC3\xA9 a'b]"},
    {"-a +b .c", "[-a +b .c]"},
    {"#1 ## #a:b", "[#1 ## #a:b]"},
    // Strings.
    {"\"abc\" \"\" {} {a{b}c}", "[\"abc\" \"\" \"\" \"a{b}c\"]"},
    {"\"a^\"b^^c\"", "[\"a\"b^c\"]"},
    {"\"^(41)^(line)^(TAB)^-^/^a^Z^~\"", "[\"A\n\t\t\n\x01\x1A\x7F\"]"},
    {"{^{^}}", "[\"{}\"]"},
    {"{multi\nline}", "[\"multi\nline\"]"},
    {"%{a}% %%{x}%y}%%", "[\"a\" \"x}%y\"]"},
    {"%%{a}%}%% %{^}%", "[\"a}%\" \"^\"]"},
    {"\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"", "[\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"]"},
    // Chars.
    {"#\"a\" #\"^\"\" #\"^(tab)\" #\"^(1F600)\" #\"\xC3\xA9\"",
     "[char(97) char(34) char(9) char(128512) char(233)]"},
    // Files, urls, emails, tags, refs.
    {"%a/b.txt %\"a b\" %a%20b %", "[%a/b.txt %a b %a b %]"},
    {"http://a.b/c?d=1&e a:b", "[url(http://a.b/c?d=1&e) url(a:b)]"},
    {"http://x/%C3%A9%41 ftp://%zz", "[url(http://x/\xC3\xA9"
                                     "A) url(ftp://%zz)]"},
    {"a@b.c 1@b", "[email(a@b.c) email(1@b)]"},
    {"<a> <a href=\"x\"> </a>", "[<a> <a href=\"x\"> </a>]"},
    {"@ref @", "[@ref @]"},
    // Binaries.
    {"#{0102ff} #{} 16#{AB}", "[#{0102FF} #{} #{AB}]"},
    {"#{0a 0B\t\r\n0c} #{0A0B0C}", "[#{0A0B0C} #{0A0B0C}]"},
    {"#{01 02\n ; skip } this\n 0A}", "[#{01020A}]"},
    {"2#{00000001 11111111}", "[#{01FF}]"},
    {"64#{YWJj} 64#{YWI=} 64#{YQ==} 64#{}", "[#{616263} #{6162} #{61} #{}]"},
    // Tuples, pairs, points.
    {"1.2.3 255.255.255.0 1.2.3.4.5.6.7.8.9.10.11.12 1.2.",
     "[1.2.3 255.255.255.0 1.2.3.4.5.6.7.8.9.10.11.12 1.2.0]"},
    {"10x20 -1x-2 +3X4 1'000x2", "[10x20 -1x-2 3x4 1000x2]"},
    {"(1, 2) (1.5,-2e1) (1, 2, 3) ( 1 , 2 )",
     "[(1.0, 2.0) (1.5, -20.0) (1.0, 2.0, 3.0) (1.0, 2.0)]"},
    {"(1.#INF, 0)", "[(1.#INF, 0.0)]"},
    {"(1 2) (a b)", "[(1 2) (a b)]"},
    // Times.
    {"1:30 -1:30 0:00:05.5 1:30:45 10:30.5",
     "[time(5400.0) time(-5400.0) time(5.5) time(5445.0) time(630.5)]"},
    {"100:00 1:75", "[time(360000.0) time(8100.0)]"},
    // Money.
    {"$1 $1.50 -$0.01 $1'000.5 $1,5 $00012",
     "[$1.00000 $1.50000 -$0.01000 $1000.50000 $1.50000 $12.00000]"},
    {"$99999999999999999.99999", "[$99999999999999999.99999]"},
    // Dates.
    {"1-Jan-2000 31/12/1999 2000-02-29 1-jan-99 1-Jan-49",
     "[date(2000-1-1) date(1999-12-31) date(2000-2-29) date(1999-1-1) date(2049-1-1)]"},
    {"5-September-2021 5-sep-2021 5-Sept-2021", "[date(2021-9-5) date(2021-9-5) date(2021-9-5)]"},
    {"1-Jan-2000/10:00 2000-01-01T10:00:00Z",
     "[date(2000-1-1 t=36000.0 z=0) date(2000-1-1 t=36000.0 z=0)]"},
    {"1-Jan-2000/10:00+2:00 1-Jan-2000/1:00+2:00 1-Jan-2000/23:00-1:30",
     "[date(2000-1-1 t=28800.0 z=8) date(2000-1-1 t=-3600.0 z=8) date(2000-1-1 t=88200.0 z=-6)]"},
    {"20000101T1030 20000101T103015.5+0100",
     "[date(2000-1-1 t=37800.0 z=0) date(2000-1-1 t=34215.5 z=4)]"},
    {"2021-W01 2021-W01-7 2020-W53-5 2000-060 2000-366",
     "[date(2021-1-4) date(2021-1-10) date(2021-1-1) date(2000-2-29) date(2000-12-31)]"},
    // Construction syntax.
    {"#(true) #(FALSE) #(none) #(unset) #(integer!) #(Block) #(point2D!)",
     "[true false none unset integer! block! point2D!]"},
    // Blocks, parens, maps, paths.
    {"[] [[a] (b)] ([])", "[[] [[a] (b)] ([])]"},
    {"#[a 1 b [2]]", "[#[a: 1 b: [2]]]"},
    {"#[a 1 \"b\" 2 3 c]", "[#[a: 1 \"b\" 2 3 c]]"},
    {"a/b 'a/b :a/b a/b: a/1/(c)/\"d\"/#e", "[a/b 'a/b :a/b a/b: a/1/(c)/\"d\"/#e]"},
    {"a/b/c:[x] (a/b)", "[a/b/c: [x] (a/b)]"},
    {"a/:b/'c a/-1", "[a/:b/'c a/-1]"},
};

class LexerLoad : public ::testing::TestWithParam<LoadCase> {
  protected:
    void SetUp() override { runtime_init(); }
};

TEST_P(LexerLoad, LoadsTheValuesOfTheText) {
    const LoadCase& c = GetParam();
    EXPECT_EQ(xel::test::load_described(c.text), c.loaded) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, LexerLoad, ::testing::ValuesIn(kLoadCases),
                         xel_test::NamedBy<&LoadCase::text>());

// Where the types' mold actions exist, the loaded block molds back to the
// text's canonical form.
const LoadCase kMoldCases[] = {
    {"1 -2 +3 1.5 1e3 2147483648 -2147483648 0FFh",
     "[1 -2 3 1.5 1000.0 2147483648.0 -2147483648 255]"},
    {"\"a\" {b^/c} {x\"y} \"^(tab)\" {}", "[\"a\" \"b^/c\" {x\"y} \"^-\" \"\"]"},
    {"#\"x\" #\"^(tab)\" #\"^\"\"", "[#\"x\" #\"^-\" #\"^\"\"]"},
    {"a b: :c 'd /e #f / // '/ <>", "[a b: :c 'd /e #f / // '/ <>]"},
    {"a/b 'a/b :a/b a/b: a/(b)/1", "[a/b 'a/b :a/b a/b: a/(b)/1]"},
    {"#(true) #(none) #(integer!) #(unset)", "[true none integer! unset]"},
    {"%a/b.txt %\"a b\" %a%20b", "[%a/b.txt %\"a b\" %\"a b\"]"},
    {"http://a.b/c?d=1 http://x/%C3%A9", "[http://a.b/c?d=1 http://x/%C3%A9]"},
    {"1:30 -0:00:05.5 10:30.5", "[1:30:00 -0:00:05.5 0:10:30.5]"},
};

class LexerMold : public ::testing::TestWithParam<LoadCase> {
  protected:
    void SetUp() override { runtime_init(); }
};

TEST_P(LexerMold, MoldsBackToTheText) {
    const LoadCase& c = GetParam();
    Cell block = load_text(c.text);
    Cell out;
    string_make_at(&out, 64);
    actions_mold_typed(&block, &out, false, false, false, nullptr, INT_MAX, 0);
    EXPECT_EQ(string_utf8_text(&out), c.loaded) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, LexerMold, ::testing::ValuesIn(kMoldCases),
                         xel_test::NamedBy<&LoadCase::text>());

class LexerLoadCells : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

TEST_F(LexerLoadCells, NewLineMarkersFollowLineFeedsBeforeAValue) {
    Cell block = load_text("a b\nc ; note\n [d\n e] {x\ny}\n\"s\" a/b\n\n#[k 1]");
    EXPECT_EQ(describe(&block), "[a b ^/c ^/[d ^/e] \"x\ny\" ^/\"s\" a/b ^/#[k: 1]]");
}

TEST_F(LexerLoadCells, StringsTakeTheNarrowestUnit) {
    Cell block = load_text("\"abc\" \"\xC3\xA9\" \"\xF0\x9F\x98\x80\" \"^(100)\" \"^(1F600)\"");
    const uint32_t units[] = {1, 2, 4, 2, 4};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(string_buffer(block_rs_head(&block) + i)->unit(), units[i]) << i;
}

TEST_F(LexerLoadCells, WordsAreBoundToTheGlobalContextIssuesAreNot) {
    Cell block = load_text("alpha #alpha");
    const Cell* word = block_rs_head(&block);
    const Cell* issue = word + 1;
    EXPECT_NE(word_context(word), 0u);
    EXPECT_GE(word_index(word), 0);
    EXPECT_EQ(word_symbol(word), word_symbol(issue));
    EXPECT_EQ(word_index(issue), -1);
}

TEST_F(LexerLoadCells, NulEscapesGiveCodePointZero) {
    Cell block = load_text("\"a^@b^(null)c^(00)\"");
    const Cell* str = block_rs_head(&block);
    ASSERT_EQ(string_xs_length(str), 6);
    const uint32_t expected[] = {'a', 0, 'b', 0, 'c', 0};
    for (uint32_t i = 0; i < 6; i++)
        EXPECT_EQ(string_char_at(str, i), expected[i]) << i;
}

TEST_F(LexerLoadCells, NaNIsTheQuietNaN) {
    Cell block = load_text("-1.#NaN");
    double d = cell_double(block_rs_head(&block));
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    EXPECT_EQ(bits, 0x7FF8000000000000u);
}

TEST_F(LexerLoadCells, MoneyCurrencyCodesComeFromTheList) {
    Cell list;
    block_make_at(&list, 2);
    word_make_at(block_alloc_tail_cell(&list), symbol_make("USD"));
    word_make_at(block_alloc_tail_cell(&list), symbol_make("EUR"));
    money_set_currency_list(&list);
    Cell block = load_text("EUR$1 -usd$2.5");
    EXPECT_EQ(describe(&block), "[c2$1.00000 -c1$2.50000]");
    EXPECT_EQ(xel::test::syntax_error_of("XYZ$1"), "(line 1) invalid money! at XYZ$1");
    Cell none{T_NONE, 0, 0, 0};
    money_set_currency_list(&none);
}

TEST_F(LexerLoadCells, ValuesSurviveACollectionAtEveryAllocation) {
    const char* text = "[a \"s\" {b{c}} #{0102} [x (y) #[k [1]]] p/q/(r) %f%20g http://h/%41]"
                       " 1-Jan-2000/10:00 $1.5 1.2.3 <t> @r e@m 'w :w w: /w #w 1:30 50% (1, 2)";
    Cell plain = load_text(text);
    std::string expected = describe(&plain);
    uint32_t collections = g_collection_count;
    g_collector_enabled = true;
    g_collector_torture = true;
    Cell block = load_text(text);
    EXPECT_GT(g_collection_count, collections) << "collections ran";
    std::string collected = describe(&block);
    g_collector_torture = false;
    g_collector_enabled = false;
    EXPECT_EQ(collected, expected);
}

TEST_F(LexerLoadCells, ABlockOfManyValuesOutgrowsTheValueBuffer) {
    std::string text = "[";
    for (int i = 0; i < 5000; i++)
        text += std::to_string(i) + " [x] ";
    text += "]";
    Cell block = load_text(text);
    Cell inner = *block_rs_head(&block);
    ASSERT_EQ(block_length_at(&inner), 10000);
    EXPECT_EQ(block_rs_head(&inner)[9998].data2, 4999u);
}

TEST_F(LexerLoadCells, DeepNesting) {
    std::string text(3000, '[');
    text += std::string(3000, ']');
    Cell block = load_text(text);
    int depth = 0;
    Cell c = block;
    while (block_length_at(&c) == 1) {
        c = *block_rs_head(&c);
        depth++;
    }
    EXPECT_EQ(depth, 3000);
}

} // namespace
