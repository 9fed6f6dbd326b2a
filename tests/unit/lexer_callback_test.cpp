// The lexer event callback: the events a callback's body selects, the
// arguments it receives, and what its answers do to the scan.
#include <gtest/gtest.h>

#include "evaluator_test_support.h"
#include "lexer_test_support.h"
#include "runtime/datatypes/function/function.h"

using namespace xel;
using xel::test::describe;
using xel::test::load_text;

namespace {

class LexerCallback : public ::testing::Test {
  protected:
    void SetUp() override { xel::test::fresh_runtime(); }

    // A function [event input type line token] with the given body.
    static Cell callback(const char* body) {
        Cell outer = load_text("[event input type line token]");
        Cell spec = *block_rs_head(&outer);
        outer = load_text(std::string("[") + body + "]");
        Cell code = *block_rs_head(&outer);
        return *function_make_compiled(&spec, &code, 0, 0, 0, 0);
    }

    std::string scan(const char* text, const Cell& fn, uint32_t flags = kScanLoad | kScanOutput) {
        Cell result{};
        Cell f = fn;
        std::string error = xel::test::syntax_error_in([&] {
            lexer_scan(&result, reinterpret_cast<const uint8_t*>(text),
                       static_cast<uint32_t>(std::strlen(text)), flags, nullptr, &f, nullptr,
                       nullptr);
        });
        return error.empty() ? describe(&result) : "error: " + error;
    }

    static Cell value_of(const char* name) {
        Cell w = *word_load(name);
        return *context_get(&w);
    }
    static std::string global(const char* name) {
        Cell v = value_of(name);
        return describe(&v);
    }
};

TEST_F(LexerCallback, TheArgumentsOfAnEvent) {
    Cell fn = callback("[open close] ev: event ty: type ln: line tk: token in: input #(true)");
    Cell input;
    const char* text = "\xC3\xA9 a\n[b]";
    string_load_at(reinterpret_cast<const uint8_t*>(text), std::strlen(text), &input, 0);
    Cell result{};
    EXPECT_EQ(xel::test::syntax_error_in([&] {
                  lexer_load_string(&result, &input, -1, kScanLoad | kScanOutput, nullptr, &fn,
                                    nullptr);
              }),
              "");
    EXPECT_EQ(describe(&result), "[\xC3\xA9 a ^/[b]]");
    EXPECT_EQ(global("ev"), "close");
    EXPECT_EQ(global("ty"), "block!");
    EXPECT_EQ(global("ln"), "2");
    EXPECT_EQ(global("tk"), "7x8") << "code points of the string, 1-based";
    Cell in = value_of("in");
    EXPECT_EQ(type_of(&in), T_STRING);
    EXPECT_EQ(in.data1, 7u) << "the input at the token's end";
}

TEST_F(LexerCallback, StructuralTokensNameTheirExitState) {
    Cell fn = callback("[prescan] ty: type tk: token #(true)");
    EXPECT_EQ(scan("a ]", fn), "error: (line 1) missing [ at a ]");
    EXPECT_EQ(global("ty"), "block-end");
    EXPECT_EQ(global("tk"), "3x4");
}

TEST_F(LexerCallback, LoadEventsPassTheValue) {
    Cell fn = callback("[load] tk: token #(true)");
    EXPECT_EQ(scan("1 x/y 2.5", fn), "[1 x/y 2.5]");
    EXPECT_EQ(global("tk"), "2.5");
}

TEST_F(LexerCallback, FalseAnswers) {
    EXPECT_EQ(scan("a [b] c", callback("[load] #(false)")), "[[]]");
    EXPECT_EQ(scan("a [b] c", callback("[prescan] #(false)")), "[]");
    EXPECT_EQ(scan("\xC0\x9D#[ a", callback("[prescan] #(false)")), "[]")
        << "skipped bad bytes are stepped over";
    EXPECT_EQ(scan("a [b] c", callback("[scan] #(false)")), "[[]]");
    EXPECT_EQ(scan("a 1abc b", callback("[error] #(false)")), "[a]");
    EXPECT_EQ(scan("a [b] c", callback("[open] #(false)")), "error: (line 1) missing [ at a [b] c");
}

TEST_F(LexerCallback, TheErrorEventSeesTheTypeBeforeTheErrorIsRaised) {
    Cell fn = callback("[error] ty: type ln: line #(true)");
    EXPECT_EQ(scan("a\n 1abc", fn), "error: (line 2) invalid integer! at 1abc");
    EXPECT_EQ(global("ty"), "integer!");
    EXPECT_EQ(global("ln"), "2");
}

} // namespace
