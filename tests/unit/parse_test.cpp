// The parse engine's shared stacks (cut back however a call ends) and the
// bitset! bitwise core under every operation code.
#include <climits>
#include <cstring>

#include "boot/boot-load.h"
#include "evaluator_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/parse/parse.h"

using namespace xel;
using namespace xel::test;

namespace {

class ParseStacks : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        boot_run_top_level();
        stack_mark_try(g_word_try);
    }

    // Evaluates code in a try frame; answers the mold of its value or the
    // error's message, and whether an exit was left pending.
    std::string eval(const char* code, bool* pending = nullptr) {
        std::string result;
        Cell error = error_of([&] {
            Cell source = *string_load(reinterpret_cast<const uint8_t*>(code),
                                       static_cast<uint32_t>(std::strlen(code)), 0);
            Cell block;
            lexer_load_string(&block, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr,
                              nullptr);
            Cell* base = stack_mark_eval(g_word_body_marker);
            bool exited = interp_eval_block(&block, true).exit_pending();
            if (pending) *pending = exited;
            exit_take();
            Cell value = *base;
            Cell out;
            string_make_at(&out, 64);
            actions_mold_typed(&value, &out, false, false, false, nullptr, INT_MAX, 0);
            result = utf8(out);
        });
        if (type_of(&error) == T_ERROR) return error_message(error);
        return result;
    }
};

TEST_F(ParseStacks, EmptyAfterEveryWayOut) {
    struct Case {
        const char* code;
        const char* result;
    };
    const Case cases[] = {
        {"parse [1 [2 [3]]] [some [integer! | into [some [integer! | into [integer!]]]]]", "true"},
        {"parse [1 [2 x]] [integer! into [integer! some [ahead word! copy w skip]] end]", "true"},
        {"parse [1 [2 [x]]] [integer! into [integer! into [foo-has-no-value]]]",
         "PARSE - invalid rule or usage of rule: foo-has-no-value"},
        {"parse \"ab\" [collect [keep skip (1 / 0)]]", "attempt to divide by zero"},
        {"parse \"ab\" [some [skip (parse [x] [into [skip]])]]", "true"},
        {"loop 2 [parse [a [b]] [skip into [(break)]]]", "unset"},
        {"f: func [] [parse \"ab\" [collect [keep skip (return 3)]]] f", "3"},
        {"parse/trace \"ab\" [some skip] func [e m r i s] [e <> 'pop]", "true"},
        {"r: [opt r] parse \"abc\" r", "PARSE - stack limit reached"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(eval(c.code), c.result) << c.code;
        EXPECT_EQ(parse::rule_height(), 0u) << c.code;
        EXPECT_EQ(parse::input_height(), 0u) << c.code;
    }
}

TEST_F(ParseStacks, ExitsFromActionsStayPending) {
    bool pending = false;
    EXPECT_EQ(
        eval("f: func [] [loop 1 [parse [1] [(break)]] parse [1] [(return 7)] 8] f", &pending),
        "7");
    EXPECT_FALSE(pending);
    // A break with no loop to take it reaches the try frame as an error.
    EXPECT_EQ(eval("parse [1] [(break)]"), "no loop to break");
    EXPECT_EQ(parse::rule_height(), 0u);
}

// The stack the callback receives is a copy: clearing it changes nothing.
TEST_F(ParseStacks, TraceStackIsACopy) {
    EXPECT_EQ(eval("parse/trace [1 [2]] [integer! into [integer!]] "
                   "func [e m r i s] [clear s true]"),
              "true");
    EXPECT_EQ(eval("n: 0 parse/trace [1 [2]] [integer! into [integer!]] "
                   "func [e m r i s] [n: max n length? s true] n"),
              "8");
}

class BitsetCore : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }

    Cell bits(const char* hex, bool negated = false) {
        size_t n = std::strlen(hex) / 2;
        Cell b;
        bitset_make_at(&b, static_cast<uint32_t>(n), 0);
        for (size_t i = 0; i < n; i++) {
            unsigned v = 0;
            std::sscanf(hex + 2 * i, "%2x", &v);
            bitset_xs_head(&b)[i] = static_cast<uint8_t>(v);
        }
        if (negated) series_or_flags(b.data2, kBitsetNegated);
        return b;
    }
    std::string molded(Cell v) {
        Cell s = text("");
        actions_mold_typed(&v, &s, false, false, false, nullptr, 1000, 0);
        return utf8(s);
    }
    std::string bitwise(int op, Cell a, Cell b) {
        stack_reset();
        stack_push(&a);
        stack_push(&b);
        bitset_do_bitwise(op);
        Cell out = *stack_arguments();
        stack_reset();
        return molded(out);
    }
};

TEST_F(BitsetCore, OperationCodes) {
    struct Case {
        int op;
        const char* a;
        bool na;
        const char* b;
        bool nb;
        const char* result;
    };
    const Case cases[] = {
        {kMathOr, "F0", false, "0F0F", false, "make bitset! #{FF0F}"},
        {kSetUnion, "F0", false, "0F0F", false, "make bitset! #{FF0F}"},
        {kMathAnd, "F0FF", false, "3C", false, "make bitset! #{30}"},
        {kSetIntersect, "F0FF", false, "3C", false, "make bitset! #{3000}"},
        {kMathXor, "F0", false, "FF0F", false, "make bitset! #{0F0F}"},
        {kSetDifference, "F0", false, "FF0F", false, "make bitset! #{0F0F}"},
        {kSetExclude, "F0FF", false, "30", false, "make bitset! #{C0FF}"},
        {kSetExclude, "F0", false, "30FF", false, "make bitset! #{C000}"},
        {kSetUnique, "F0", false, "FF", false, "make bitset! #{F0}"},
        // Negated operands keep exact set semantics: the background of each
        // operand takes part beyond its bytes.
        {kSetUnion, "F0", true, "0F", true, "make bitset! [not #{00}]"},
        {kMathAnd, "F0", true, "0F0F", false, "make bitset! #{000F}"},
        {kSetIntersect, "00", true, "0F", true, "make bitset! [not #{FF}]"},
        {kSetExclude, "0F", false, "F0", true, "make bitset! #{0F}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bitwise(c.op, bits(c.a, c.na), bits(c.b, c.nb)), c.result)
            << c.op << " " << c.a << " " << c.b;
    }
}

TEST_F(BitsetCore, SecondOperandMustBeABitset) {
    Cell e = error_of([&] {
        stack_reset();
        Cell a = bits("01");
        Cell b = integer(1);
        stack_push(&a);
        stack_push(&b);
        bitset_do_bitwise(kSetUnion);
    });
    EXPECT_EQ(error_id(e), "invalid-type");
}

} // namespace
