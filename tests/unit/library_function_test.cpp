#include <gtest/gtest.h>

#include <string>

#include "boot/boot-load.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/series-memory.h"
#include "tests/unit/evaluator_test_support.h"
#include "tests/unit/runtime_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

class LibraryFunctions : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        boot_run_top_level();
    }

    Cell load(const std::string& code) {
        Cell source = *string_load(reinterpret_cast<const uint8_t*>(code.data()),
                                   static_cast<uint32_t>(code.size()), 0);
        Cell block;
        lexer_load_string(&block, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        return block;
    }

    Cell eval(const std::string& code) {
        Cell result{};
        uint32_t caught = under_try([&] {
            Cell block = load(code);
            stack_reset();
            EXPECT_FALSE(interp_eval_block(&block, true).exit_pending()) << code;
            result = *stack_arguments();
        });
        EXPECT_EQ(caught, 0u) << code;
        return result;
    }

    // A block as the boot data carries it, set to a global word.
    void boot_block(const char* name, const std::string& code) {
        Cell block = load(code);
        series_or_flags(block.data2, kFlagLibrary);
        Cell w = word(name);
        context_set(&w, &block);
    }

    static bool library(const Cell& fn) {
        EXPECT_EQ(type_of(&fn), T_FUNCTION);
        return type_of(&fn) == T_FUNCTION &&
               type_of(&function_record(&fn)[kRecordCode]) == T_INTEGER;
    }
};

TEST_F(LibraryFunctions, BodiesOfTheBootDataMakeTheProgramsOwnFunctions) {
    boot_block("lib-body", "x + 1");
    boot_block("maker-body", "func [y] [y * 2]");
    Cell lib = eval("lib-f: func [x] lib-body");
    Cell user = eval("user-f: func [x] [x + 1]");
    EXPECT_TRUE(library(lib));
    EXPECT_FALSE(library(user));
    Cell made = eval("maker: func [] maker-body maker");
    EXPECT_TRUE(library(made)) << "a function defined inside a library function";
    EXPECT_EQ(eval("lib-f 41").data2, 42u);
    EXPECT_EQ(eval("f: maker f 21").data2, 42u);
}

TEST_F(LibraryFunctions, TracersDoNotStepIntoThem) {
    boot_block("lib-body", "x + 1 + 2");
    eval("lib-f: func [x] lib-body user-f: func [x] [x + 1 + 2]");
    eval("events: copy [] tracer: func [event code offset value ref frame] [append events event "
         "true]");
    uint32_t lib_events = eval("do/trace [lib-f 1] :tracer length? events").data2;
    uint32_t user_events = eval("events: copy [] do/trace [user-f 1] :tracer length? events").data2;
    EXPECT_GT(lib_events, 0u) << "the call itself is traced";
    EXPECT_LT(lib_events, user_events) << "its body is not";
}

} // namespace
