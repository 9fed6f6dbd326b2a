// print and prin as the print hooks see them, and the print buffer they
// share: nested prints, and prints left by an error or an exit.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "boot/boot-load.h"
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/natives.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/printing/print-hooks.h"
#include "tests/unit/evaluator_test_support.h"

namespace xel::test {
namespace {

std::vector<std::pair<std::string, int>> g_printed;
int g_second_hook_calls = 0;

void capture(const Cell* string, int new_line) {
    g_printed.emplace_back(string_utf8_text(string), new_line);
}
void count(const Cell*, int) {
    g_second_hook_calls++;
}

class PrintNative : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        stack_mark_try(g_word_try);
        boot_run_top_level();
        g_printed.clear();
        g_second_hook_calls = 0;
        printhooks_add(capture, nullptr);
    }

    // Runs the code; the error it raised, or unset!.
    static Cell run(const char* source) {
        Cell proto{T_DATATYPE, T_BLOCK, 0, 0};
        Cell text_value = text(source);
        Cell code = *block_to(&proto, &text_value, T_BLOCK);
        Cell* mark = stack_push_cell();
        Cell err = error_of([&] { EXPECT_FALSE(interp_eval_block(&code, false).exit_pending()); });
        g_stack_top = mark;
        return err;
    }
};

using Printed = std::vector<std::pair<std::string, int>>;

TEST_F(PrintNative, HooksGetTheTextAndTheNewLineFlag) {
    printhooks_add(count, nullptr);
    Cell err = run("print [1 + 2] prin {ab}");
    ASSERT_EQ(type_of(&err), T_UNSET) << error_text(err);
    EXPECT_EQ(g_printed, (Printed{{"3", 1}, {"ab", 0}}));
    EXPECT_EQ(g_second_hook_calls, 2);
    EXPECT_EQ(g_last_new_line, 0u);
    run("print 'word");
    EXPECT_EQ(g_printed.back(), (std::pair<std::string, int>{"word", 1}));
    EXPECT_EQ(g_last_new_line, 1u);
}

TEST_F(PrintNative, StringPastItsTailPrintsEmpty) {
    run("s: {abcd} t: skip s 3 clear s print t");
    EXPECT_EQ(g_printed, (Printed{{"", 1}}));
}

TEST_F(PrintNative, NestedPrintGoesFirstAndKeepsTheOuterValues) {
    run("print [1 print [2 3] 4 prin [5]]");
    EXPECT_EQ(g_printed, (Printed{{"2 3", 1}, {"5", 0}, {"1  4 ", 1}}));
}

TEST_F(PrintNative, BufferIsCutBackAfterErrorsAndExits) {
    uint32_t length = block_buffer_length(&g_print_buffer);
    int32_t index = block_index(&g_print_buffer);
    const char* cases[] = {
        "try [print [1 2 1 / 0]]",         "loop 1 [print [1 break]]",
        "catch [print [1 throw 2]]",       "f: func [] [print [1 return 2]] f",
        "try [print [1 print [2 1 / 0]]]",
    };
    for (const char* c : cases) {
        Cell err = run(c);
        EXPECT_EQ(type_of(&err), T_UNSET) << c << ": " << error_text(err);
        EXPECT_EQ(block_buffer_length(&g_print_buffer), length) << c;
        EXPECT_EQ(block_index(&g_print_buffer), index) << c;
    }
    EXPECT_TRUE(g_printed.empty());
    run("print [7]");
    EXPECT_EQ(g_printed, (Printed{{"7", 1}}));
}

TEST_F(PrintNative, ErrorOfTheReductionComesThrough) {
    uint32_t length = block_buffer_length(&g_print_buffer);
    Cell err = run("print [1 1 / 0]");
    EXPECT_EQ(error_id(err), "zero-divide");
    EXPECT_EQ(block_buffer_length(&g_print_buffer), length);
}

TEST_F(PrintNative, ChecksumHashPrintsItsStandInMessage) {
    Cell err = run("x: checksum/with {abc} 'hash 7");
    ASSERT_EQ(type_of(&err), T_UNSET) << error_text(err);
    EXPECT_EQ(g_printed, (Printed{{"** /hash support not yet implemented; algorithm TBD.", 1}}));
}

} // namespace
} // namespace xel::test
