// The automaton alone: which token class each text starts with, and where
// that token ends.
#include <gtest/gtest.h>

#include <string>

#include "case_names.h"
#include "runtime/lexer/lexer-state.h"

using namespace xel;

namespace {

struct TokenCase {
    const char* text;
    TokenClass token;
    int length; // bytes of the token from its start (for errors: up to the offending byte)
    int skipped = 0;
};

LexerState state_over(const std::string& text, int start_state = kStStart) {
    LexerState s{};
    auto* p = reinterpret_cast<const uint8_t*>(text.data());
    s.input_start = s.position = p;
    s.input_end = p + text.size();
    s.line = 1;
    s.start_state = start_state;
    return s;
}

const TokenCase kStartCases[] = {
    {"", kTokEnd, 0},
    {"  \t\r\n ", kTokEnd, 0, 6},
    {"[", kTokBlockOpen, 1},
    {"]", kTokBlockClose, 1},
    {"(", kTokParenOpen, 1},
    {")", kTokParenClose, 1},
    {"{abc}", kTokBraceOpen, 1},
    {"}", kTokError, 0},
    {"\\", kTokError, 0},
    {"\x80", kTokError, 0},
    {"\xFF", kTokError, 0},
    {"#[a]", kTokMapOpen, 2},
    {"a/b", kTokPathHead, 1},
    {"'a/b", kTokPathHead, 2},
    {"#(true) x", kTokConstruct, 7},
    {"#(true", kTokConstruct, 6},
    {"; note\nx", kTokComment, 6},
    {",", kTokComma, 1},
    {"\"a^\"b\" x", kTokString, 6},
    {"\"ab\ncd\"", kTokError, 3},
    {"abc def", kTokWord, 3},
    {"abc[", kTokWord, 3},
    {"a: 1", kTokWord, 2},
    {":a", kTokWord, 2},
    {"'a", kTokWord, 2},
    {"<", kTokWord, 1},
    {"<=", kTokWord, 2},
    {"<> x", kTokWord, 2},
    {"/", kTokWord, 1},
    {"//", kTokWord, 2},
    {"-", kTokWord, 1},
    {"-a", kTokWord, 2},
    {".", kTokWord, 1},
    {"Fh", kTokWord, 2},
    {"ABC", kTokWord, 3},
    {"a\xC3\xA9z", kTokWord, 4},
    {"#abc", kTokIssue, 4},
    {"#", kTokIssue, 1},
    {"123", kTokInteger, 3},
    {"-1'000 x", kTokInteger, 6},
    {"1abc", kTokError, 1},
    {"/ref x", kTokRefinement, 4},
    {"'/", kTokRefinement, 2},
    {"/:", kTokRefinement, 2},
    {"#\"a\"", kTokChar, 4},
    {"#\"^\"\"", kTokChar, 5},
    {"%a/b.txt", kTokFile, 8},
    {"%\"a b\" x", kTokFile, 6},
    {"%", kTokFile, 1},
    {"#{0102}", kTokBinary, 7},
    {"#{01 ; }\n 02}", kTokBinary, 13},
    {"64#{YQ==}", kTokBinary, 9},
    {"50%", kTokPercent, 3},
    {"1.5%", kTokPercent, 4},
    {"1.5", kTokFloat, 3},
    {"1e10", kTokFloat, 4},
    {"1.5E-3", kTokFloat, 6},
    {".5", kTokFloat, 2},
    {"-.5", kTokFloat, 3},
    {"1.#INF", kTokSpecialFloat, 6},
    {"-1.#nan", kTokSpecialFloat, 7},
    {"1.2.3", kTokTuple, 5},
    {"1-Jan-2000", kTokDate, 10},
    {"2000-01-01T10:00:00+01:00", kTokDate, 25},
    {"1/2/2000/10:00", kTokDate, 14},
    {"20000101T1000", kTokDate, 13},
    {"10x20", kTokPair, 5},
    {"-10x-20", kTokPair, 7},
    {"1:30", kTokTime, 4},
    {"1:30:45.5", kTokTime, 9},
    {"$1.50", kTokMoney, 5},
    {"-USD$1'000", kTokMoney, 10},
    {"<a href=x>", kTokTag, 10},
    {"http://a.b/c?d=1", kTokUrl, 16},
    {"a@b.c", kTokEmail, 5},
    {"1@b", kTokEmail, 3},
    {"0FFh", kTokHex, 4},
    {"1E5h", kTokHex, 4},
    {"FFh", kTokHex, 3},
    {"1E5", kTokFloat, 3},
    {"%{a}% x", kTokRawString, 5},
    {"%%{a}%b}%%", kTokRawString, 10},
    {"@ref x", kTokRef, 4},
};

class LexerTokens : public ::testing::TestWithParam<TokenCase> {};

TEST_P(LexerTokens, ClassAndSpanFromTheStartState) {
    const TokenCase& c = GetParam();
    std::string text = c.text;
    LexerState s = state_over(text);
    EXPECT_EQ(lexer_next_token(&s), c.token) << text;
    EXPECT_EQ(s.token_start - s.input_start, c.skipped) << text;
    EXPECT_EQ(s.token_end - s.token_start, c.length) << text;
}

INSTANTIATE_TEST_SUITE_P(Start, LexerTokens, ::testing::ValuesIn(kStartCases),
                         xel_test::NamedBy<&TokenCase::text>());

TEST(LexerTokensAlone, LinesCountFeedsBeforeAndInsideTheToken) {
    std::string text = "\n\n%%{a\nb}%% x";
    LexerState s = state_over(text);
    EXPECT_EQ(lexer_next_token(&s), kTokRawString);
    EXPECT_EQ(s.line, 4);
    EXPECT_EQ(s.leading_lines, 2);
}

TEST(LexerTokensAlone, ControlBytesAndUnicodeBlanksAreSkipped) {
    std::string text = "\x01\x02 \xC2\xA0\xE3\x80\x80 abc";
    LexerState s = state_over(text);
    EXPECT_EQ(lexer_next_token(&s), kTokWord);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.token_start),
                          static_cast<size_t>(s.token_end - s.token_start)),
              "abc");
}

TEST(LexerTokensAlone, AWordEndsAtAUnicodeBlank) {
    std::string text = "ab\xE2\x80\x83"
                       "cd";
    LexerState s = state_over(text);
    EXPECT_EQ(lexer_next_token(&s), kTokWord);
    EXPECT_EQ(s.token_end - s.token_start, 2);
    EXPECT_EQ(lexer_next_token(&s), kTokWord);
    EXPECT_EQ(s.token_end - s.token_start, 2);
}

TEST(LexerTokensAlone, ANumberAfterUnicodeBlanksIsANumber) {
    std::string text = "\xC2\xA0"
                       "12";
    LexerState s = state_over(text);
    EXPECT_EQ(lexer_next_token(&s), kTokInteger);
}

TEST(LexerTokensAlone, TheBraceStateReadsUpToTheNextBrace) {
    std::string text = "ab^}c{d";
    LexerState s = state_over(text, kStBrace);
    EXPECT_EQ(lexer_next_token(&s), kTokBraceOpen);
    EXPECT_EQ(s.token_end - s.token_start, 6);
    std::string open = "x";
    LexerState t = state_over(open, kStBrace);
    EXPECT_EQ(lexer_next_token(&t), kTokError);
}

TEST(LexerTokensAlone, PathSegments) {
    const struct {
        const char* text;
        TokenClass token;
        int length;
    } cases[] = {
        {"b/c", kTokWord, 1}, {"12:", kTokInteger, 2},   {"#x/", kTokIssue, 2},
        {"'b", kTokWord, 2},  {"(x)", kTokParenOpen, 1}, {"\"s\"/", kTokString, 3},
        {"/", kTokError, 0},  {" ", kTokError, 0},       {"-x", kTokWord, 2},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        LexerState s = state_over(text, kStPath);
        EXPECT_EQ(lexer_next_token(&s), c.token) << c.text;
        EXPECT_EQ(s.token_end - s.token_start, c.length) << c.text;
    }
}

TEST(LexerTokensAlone, PointLiteralsRunToTheParen) {
    std::string text = "(1.5, -2e3, 1.#INF) x";
    LexerState s = state_over(text, kStPoint);
    EXPECT_EQ(lexer_next_token(&s), kTokPoint);
    EXPECT_EQ(s.token_end - s.token_start, 19);
    std::string broken = "(1,\n2)";
    LexerState t = state_over(broken, kStPoint);
    EXPECT_EQ(lexer_next_token(&t), kTokError);
}

TEST(LexerTokensAlone, ErrorStatesNameTheirDatatype) {
    std::string text = "1.2.x";
    LexerState s = state_over(text);
    EXPECT_EQ(lexer_next_token(&s), kTokError);
    EXPECT_EQ(g_lexer_tables.type[s.previous_state], T_TUPLE);
}

} // namespace
