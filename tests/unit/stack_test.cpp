// The argument stack, call frames, unwinding and the raisers of non-local exits.
#include "evaluator_test_support.h"
#include "runtime/datatypes/constants.h"
#include "runtime/printing/cycles.h"

#include <vector>

using namespace xel;
using namespace xel::test;

namespace {

class Stack : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }

    // A function context of two words whose values live in a block.
    Offset function_context() {
        Cell spec = block({word("a"), word("b")});
        return context_make_from_words(&spec, kContextFunction, false);
    }
};

TEST_F(Stack, NineteenThousandNineHundredNinetyNineCellsFitThe20000thOverflows) {
    cycles_push(g_root.data2);
    Cell e = error_of([] {
        for (int i = 0; i < 19999; i++)
            stack_push_cell();
        EXPECT_EQ(g_stack_top - g_stack_base, 19999);
        stack_push_cell();
    });
    EXPECT_EQ(error_id(e), "stack-overflow");
    EXPECT_EQ(error_message(e), "stack overflow");
    EXPECT_EQ(cycles_depth(), 0u) << "the cycle stack is emptied";
    EXPECT_EQ(g_frames_top, g_frames_base);
    // The error sits where the top was moved back to: five cells below the 20,000th.
    EXPECT_EQ(stack_top() - g_stack_base, 19995);
}

TEST_F(Stack, AFullFrameStackOverflowsToo) {
    Cell w = word("f");
    Cell e = error_of([&] {
        for (uint32_t i = 1; i < kCallFrameCapacity; i++)
            stack_mark_native(&w);
        EXPECT_EQ(g_frames_top, g_frames_end);
        stack_mark_native(&w);
    });
    EXPECT_EQ(error_id(e), "stack-overflow");
    EXPECT_EQ(g_frames_top, g_frames_base);
}

TEST_F(Stack, PopAndTopNeverGoBelowTheBase) {
    EXPECT_EQ(stack_top(), g_stack_base) << "empty stack answers the base cell";
    Cell one = integer(1);
    stack_push(&one);
    stack_push(&one);
    stack_pop(5);
    EXPECT_EQ(g_stack_top, g_stack_base);
    EXPECT_EQ(stack_top(), g_stack_base);
}

TEST_F(Stack, PushersWriteTheirHeadersAndNewFrameBases) {
    struct Case {
        Cell* (*push)(const Cell*);
        uint32_t header;
    };
    const Case cases[] = {
        {stack_mark_native, 0x02000000},        {stack_mark_try, 0x04000000},
        {stack_mark_try_all, 0x05000000},       {stack_mark_catch, 0x06000000},
        {stack_mark_eval, 0x87000000},          {stack_mark_loop, 0x08000000},
        {stack_mark_interp_native, 0x82000000},
    };
    Cell w = word("f");
    for (const Case& c : cases) {
        Cell one = integer(1);
        stack_push(&one);
        Cell* caller = stack_arguments();
        Cell* base = c.push(&w);
        CallFrame* f = stack_top_frame();
        EXPECT_EQ(f->header, word_symbol(&w) << 8 | c.header);
        EXPECT_EQ(frame_saved_base(f), caller);
        EXPECT_EQ(f->word_ctx, word_context(&w));
        EXPECT_EQ(base, g_stack_top);
        EXPECT_EQ(stack_arguments(), g_stack_top);
    }
}

TEST_F(Stack, FunctionFramesSaveAndUnwindsRestoreTheContextValues) {
    Offset ctx = function_context();
    Offset values = context_cell(ctx)->data2;
    Cell w = word("f");
    stack_mark_func(&w, ctx);
    EXPECT_EQ(stack_top_frame()->saved_values, values);
    context_cell(ctx)->data2 = 12345; // the body points them elsewhere
    stack_unwind_func();
    EXPECT_EQ(context_cell(ctx)->data2, values);

    // A compiled function points the values at the caller's arguments.
    Cell one = integer(1);
    stack_push(&one);
    stack_mark_func(&w, ctx);
    Cell* args = stack_arguments();
    stack_mark_compiled_func(&w, ctx);
    EXPECT_EQ(context_cell(ctx)->data2, offset_of(args));
    EXPECT_EQ(stack_top_frame()->header, word_symbol(&w) << 8 | 0x12000000);
    stack_unwind_keep();
    stack_unwind_func();
    EXPECT_EQ(context_cell(ctx)->data2, values);
}

TEST_F(Stack, FramePopsLeaveTheDesignedTopAndResult) {
    enum Top { kBasePlusOne, kCallerBase, kPoppedBase };
    struct Case {
        const char* name;
        void (*pop)();
        Top top;
        bool copies_result;
        bool restores;
    };
    const Case cases[] = {
        {"unwind", stack_unwind, kPoppedBase, false, true},
        {"unwind-keep", stack_unwind_keep, kBasePlusOne, false, false},
        {"unwind-func", stack_unwind_func, kBasePlusOne, false, true},
        {"unwind-func-reset", stack_unwind_func_reset, kCallerBase, false, true},
        {"unwind-reset", stack_unwind_reset, kCallerBase, false, false},
        {"unwind-last", stack_unwind_last, kBasePlusOne, true, false},
        {"unwind-func-last", stack_unwind_func_last, kBasePlusOne, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_runtime();
        Offset ctx = function_context();
        Offset values = context_cell(ctx)->data2;
        Cell w = word("f");
        Cell outer_frame = word("outer");
        stack_mark_native(&outer_frame);
        Cell seven = integer(7), eight = integer(8), nine = integer(9);
        stack_push(&seven);
        stack_push(&eight);
        Cell* caller = stack_arguments();
        Cell* base = stack_mark_func(&w, ctx);
        stack_push(&nine);
        stack_push(&nine);
        context_cell(ctx)->data2 = 1;
        c.pop();
        EXPECT_EQ(stack_arguments(), caller);
        Cell* expected = c.top == kBasePlusOne ? base + 1 : (c.top == kCallerBase ? caller : base);
        EXPECT_EQ(g_stack_top, expected);
        EXPECT_EQ(caller->data2, c.copies_result ? 9u : 7u);
        EXPECT_EQ(context_cell(ctx)->data2, c.restores ? values : 1u);
    }
}

TEST_F(Stack, UnwindingTheLastFrameEmptiesTheStack) {
    Cell w = word("f");
    Cell one = integer(1);
    stack_push(&one);
    stack_mark_native(&w);
    stack_push(&one);
    stack_unwind();
    EXPECT_EQ(g_stack_args, g_stack_base);
    EXPECT_EQ(g_stack_top, g_stack_base);
}

TEST_F(Stack, UnrollStopsAtTheKindOrATryAllBarrier) {
    Cell w = word("f");
    Cell one = integer(1);
    stack_mark_native(&w);
    stack_push(&one);
    Cell* loop_caller = stack_arguments();
    stack_mark_loop(&w);
    CallFrame* loop = stack_top_frame();
    Cell* loop_base = stack_push(&one);
    stack_mark_native(&w);
    stack_push(&one);
    stack_mark_native(&w);
    Cell* innermost = stack_arguments();
    *stack_push_cell() = integer(42);

    stack_unroll_last(kFrameLoop);
    EXPECT_EQ(stack_top_frame(), loop);
    EXPECT_EQ(stack_arguments(), loop_base);
    EXPECT_EQ(g_stack_top, loop_base);
    EXPECT_EQ(loop_base->data2, 42u) << "the innermost result";
    (void)innermost;

    stack_mark_native(&w);
    stack_unroll(kFrameLoop, false);
    EXPECT_EQ(stack_top_frame(), loop) << "the found frame stays";
    EXPECT_EQ(stack_arguments(), loop_caller) << "without inclusive the caller's base";

    // A try/all frame between stops every unroll.
    stack_mark_try_all(&w);
    CallFrame* barrier = stack_top_frame();
    stack_mark_native(&w);
    stack_unroll(kFrameLoop, true);
    EXPECT_EQ(stack_top_frame(), barrier);
}

TEST_F(Stack, ExitTargetAndInterpreterFlags) {
    Cell w = word("f");
    stack_mark_interp_native(&w);
    stack_mark_native(&w);
    stack_mark_native(&w);
    EXPECT_TRUE(stack_in_interp(nullptr, false));
    EXPECT_FALSE(stack_in_interp(nullptr, true)) << "only the next frame";
    CallFrame* marked = stack_mark_exit_target();
    ASSERT_NE(marked, nullptr);
    EXPECT_EQ(marked, stack_top_frame() - 1);
    EXPECT_EQ(stack_mark_exit_target(), nullptr) << "already marked";
    stack_clear_exit_target(marked);
    EXPECT_EQ(marked->header & kFrameExitTarget, 0u);
    stack_set_flag(true);
    EXPECT_NE(stack_top_frame()->header & kFrameExitTarget, 0u);
    stack_set_flag(false);
    EXPECT_EQ(stack_top_frame()->header & kFrameExitTarget, 0u);
}

TEST_F(Stack, BreakAndContinueUnwindToTheLoopAndLeaveAPendingCode) {
    struct Case {
        bool has_value, cont;
        uint32_t code;
        bool keeps_value;
    };
    for (Case c : {Case{false, false, kThrowBreak, false}, Case{true, false, kThrowBreak, true},
                   Case{false, true, kThrowContinue, false}}) {
        fresh_runtime();
        Offset ctx = function_context();
        Offset values = context_cell(ctx)->data2;
        Cell body = word_as("<body>", T_WORD);
        Cell f = word("f");
        stack_mark_loop(&body);
        CallFrame* loop = stack_top_frame();
        Cell* loop_base = stack_arguments();
        Cell one = integer(1);
        stack_push(&one);
        stack_mark_func(&f, ctx);
        context_cell(ctx)->data2 = 1;
        Cell brk = word("break");
        stack_mark_native(&brk);
        Cell value = integer(99);
        stack_push(&value);

        stack_throw_break(c.has_value, c.cont);
        EXPECT_EQ(exit_take(), c.code);
        EXPECT_EQ(stack_top_frame(), loop);
        EXPECT_EQ(stack_arguments(), loop_base);
        EXPECT_EQ(g_stack_top, loop_base);
        if (c.keeps_value)
            EXPECT_EQ(loop_base->data2, 99u);
        else
            EXPECT_EQ(type_of(loop_base), T_UNSET);
        EXPECT_EQ(context_cell(ctx)->data2, values) << "contexts passed are restored";
    }
}

TEST_F(Stack, ExitsAreRefusedAtATryAllFrameOrWithoutATarget) {
    struct Case {
        const char* name;
        void (*raise)();
        bool loop_outside;
        const char* id;
        const char* message;
    };
    const Case cases[] = {
        {"break", [] { stack_throw_break(false, false); }, true, "break", "no loop to break"},
        {"continue", [] { stack_throw_break(false, true); }, true, "continue",
         "no loop to continue"},
        {"return", [] { stack_throw_exit(true, false); }, true, "return",
         "return or exit not in function"},
        {"exit", [] { stack_throw_exit(false, false); }, true, "return",
         "return or exit not in function"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool through_try_all : {true, false}) {
            fresh_runtime();
            Cell w = word("f");
            // A loop and an exit target outside a try/all: still unreachable.
            stack_mark_loop(&w);
            stack_set_flag(true);
            CallFrame* outer = stack_top_frame();
            Cell e = error_of(
                [&] {
                    Cell nw = word(c.name);
                    stack_mark_native(&nw);
                    c.raise();
                },
                through_try_all);
            if (through_try_all) {
                EXPECT_EQ(error_type(e), "throw");
                EXPECT_EQ(error_id(e), c.id);
                EXPECT_EQ(error_message(e), c.message);
                EXPECT_EQ(stack_top_frame(), outer) << "the try/all frame caught it";
            } else {
                EXPECT_EQ(type_of(&e), T_UNSET) << "reached the outer target";
                EXPECT_TRUE(exit_pending());
            }
            EXPECT_EQ(exit_take() != 0, !through_try_all);
        }
    }
    // No target at all.
    fresh_runtime();
    Cell w = word("f");
    Cell e = error_of([&] {
        stack_mark_native(&w);
        stack_throw_break(false, false);
    });
    EXPECT_EQ(error_message(e), "no loop to break");
    EXPECT_FALSE(exit_pending());
}

TEST_F(Stack, ReturnCarriesItsValueAndExitStoresUnset) {
    for (bool ret : {true, false}) {
        for (bool include_top : {false, true}) {
            fresh_runtime();
            Cell f = word("f");
            stack_mark_interp_func(&f, 0);
            stack_set_flag(true);
            CallFrame* target = stack_top_frame();
            Cell* target_base = stack_arguments();
            Cell r = word("return");
            stack_mark_native(&r);
            if (include_top) stack_set_flag(true);
            Cell v = integer(5);
            stack_push(&v);
            stack_throw_exit(ret, include_top);
            EXPECT_EQ(exit_take(), ret ? kThrowReturn : kThrowExit);
            // With include-top the innermost frame is itself the target.
            CallFrame* expected = include_top ? target + 1 : target;
            EXPECT_EQ(stack_top_frame(), expected);
            Cell* slot = include_top ? stack_arguments() : target_base;
            EXPECT_EQ(stack_arguments(), slot);
            if (ret)
                EXPECT_EQ(slot->data2, 5u);
            else
                EXPECT_EQ(type_of(slot), T_UNSET);
        }
    }
}

TEST_F(Stack, ThrowReachesACatchInsideTryAllButNotOneOutsideIt) {
    Cell body = word_as("<body>", T_WORD);
    Cell thr = word("throw");
    Cell value = integer(42);
    Cell name = word_as("a", T_WORD);

    // catch inside try/all: the catch frame gets the value and the name.
    stack_mark_try_all(&body);
    stack_mark_catch(&body);
    CallFrame* catcher = stack_top_frame();
    Cell* catch_base = stack_arguments();
    stack_mark_native(&thr);
    stack_push(&value);
    stack_push(&name);
    stack_throw_throw(kThrowThrow);
    EXPECT_EQ(exit_take(), kThrowThrow);
    EXPECT_EQ(stack_top_frame(), catcher);
    EXPECT_EQ(g_stack_top, catch_base + 2);
    EXPECT_EQ(catch_base[0].data2, 42u);
    EXPECT_EQ(word_symbol(&catch_base[1]), word_symbol(&name));

    // The only catch lies outside the try/all.
    fresh_runtime();
    stack_mark_catch(&body);
    Cell e = error_of(
        [&] {
            stack_mark_native(&thr);
            stack_push(&value);
            stack_push(&name);
            stack_throw_throw(kThrowThrow);
        },
        true);
    EXPECT_EQ(error_id(e), "throw");
    EXPECT_EQ(error_field(&e, kErrFieldArg1)->data2, 42u);
    EXPECT_FALSE(exit_pending());
}

TEST_F(Stack, AnErrorInATryPopsTheFramesAboveAndRestoresTheirContexts) {
    Offset ctx = function_context();
    Offset values = context_cell(ctx)->data2;
    Cell f = word("f");
    Cell anon = word("<anon>");
    Cell one = integer(1);
    stack_push(&one);
    Cell* args_before = stack_arguments();
    CallFrame* frames_before = g_frames_top;
    Cell e = error_of([&] {
        stack_mark_func(&f, ctx);
        context_cell(ctx)->data2 = 1;
        stack_push(&one);
        stack_mark_native(&anon);
        stack_push(&one);
        error_fire(kCatMath, err::math::kZeroDivide);
    });
    EXPECT_EQ(error_id(e), "zero-divide");
    EXPECT_EQ(g_frames_top, frames_before) << "the try frame is popped too";
    EXPECT_EQ(stack_arguments(), args_before);
    EXPECT_EQ(context_cell(ctx)->data2, values);
    const Cell* where = error_field(&e, kErrFieldWhere);
    EXPECT_EQ(word_symbol(where), word_symbol(&f)) << "<anon> is never the where";
    const Cell* stack = error_field(&e, kErrFieldStack);
    EXPECT_EQ(type_of(stack), T_INTEGER);
    EXPECT_EQ(stack->data2, 3u) << "the frames-top position at the throw";
}

TEST_F(Stack, GetCallSkipsAnonymousFramesAndStartsAtTheThrowOrigin) {
    EXPECT_EQ(word_symbol(stack_get_call()), word_symbol(g_word_not_found_marker));
    Cell f = word("f"), g = word("g"), body = word("<body>"), anon = word("<anon>");
    stack_mark_native(&f);
    CallFrame* origin = stack_top_frame();
    stack_mark_native(&g);
    stack_mark_eval(&body);
    stack_mark_native(&anon);
    EXPECT_EQ(word_symbol(stack_get_call()), word_symbol(&g));
    g_throw_origin = origin;
    EXPECT_EQ(word_symbol(stack_get_call()), word_symbol(&f));
    EXPECT_EQ(g_throw_origin, nullptr) << "cleared by the read";
}

TEST_F(Stack, TracesNameFunctionCallsOnlyUnlessDeeper) {
    Cell f = word("f"), nat = word("nat"), body = word("<body>");
    // f names a function!, nat does not.
    Cell fn{T_FUNCTION, 0, 0, 0};
    context_set(&f, &fn);
    stack_mark_native(&nat);
    stack_mark_native(&f);
    stack_mark_eval(&body);
    Cell blk = block({});
    stack_trace_where(1, &blk, frame_position(g_frames_top));
    ASSERT_EQ(block_length_at(&blk), 1);
    EXPECT_EQ(word_symbol(block_rs_head(&blk)), word_symbol(&f));
    Cell deep = block({});
    stack_trace_where(2, &deep, frame_position(g_frames_top));
    EXPECT_EQ(block_length_at(&deep), 2);

    Cell s = text("");
    int left = stack_trace_print(2, &s, frame_position(g_frames_top), 100);
    EXPECT_EQ(utf8(s), "nat f ");
    EXPECT_EQ(left, 100 - 3 - 1 - 1 - 1);
}

TEST_F(Stack, CollectCallsListsNamedFramesFromTheTopWithTheirBases) {
    Cell outer = word("outer"), f = word("f"), body = word("<body>");
    stack_mark_native(&outer);
    Cell one = integer(1);
    stack_push(&one);
    stack_push(&one);
    Cell* f_caller = stack_arguments();
    stack_mark_native(&f);
    stack_mark_eval(&body);
    Cell blk = block({});
    stack_trace(&blk);
    // The bottom frame (outer) is not listed, nor the <body> frame.
    ASSERT_EQ(block_length_at(&blk), 2);
    EXPECT_EQ(word_symbol(block_rs_head(&blk)), word_symbol(&f));
    EXPECT_EQ(static_cast<int32_t>(block_rs_head(&blk)[1].data2), f_caller - g_stack_base);
}

TEST_F(Stack, FrameMarkingVisitsContextsAndSavedValues) {
    static std::vector<Offset> contexts, blocks;
    contexts.clear();
    blocks.clear();
    Offset ctx = function_context();
    Cell f = word("f"), self = word("self");
    stack_mark_func(&f, ctx);
    stack_mark_native(&self);
    stack_mark_frames([](Offset c) { contexts.push_back(c); },
                      [](Offset b) { blocks.push_back(b); });
    EXPECT_EQ(contexts, (std::vector<Offset>{g_global_context, ctx}));
    // The saved values, then the word context of a frame called through self.
    EXPECT_EQ(blocks, (std::vector<Offset>{context_cell(ctx)->data2, g_global_context}));
}

TEST_F(Stack, ExitBoundaryTurnsAnExitThrowBackIntoAPendingCode) {
    exit_boundary([] {
        exit_set(kThrowReturn);
        exit_raise_pending();
    });
    EXPECT_EQ(exit_take_if(kThrowBreak, kThrowContinue), 0u) << "not a loop's code";
    EXPECT_EQ(exit_take_if(kThrowReturn, kThrowExit), kThrowReturn);
    EXPECT_FALSE(exit_pending());
    EXPECT_THROW(exit_boundary([] { throw_code(kThrowError); }), Throw);
}

using StackDeathTest = Stack;

TEST_F(StackDeathTest, AnUncaughtErrorIsWrittenOnStandardErrorAndEndsWith254) {
    Cell body = word("<body>");
    stack_mark_eval(&body);
    EXPECT_EXIT(error_fire(kCatMath, err::math::kZeroDivide), ::testing::ExitedWithCode(254),
                "\\*\\*\\* Math Error: attempt to divide by zero\n\\*\\*\\* Where: "
                "<not-found>\n\\*\\*\\* Near : none");
    Cell f = word("f");
    stack_mark_native(&f);
    EXPECT_EXIT(error_fire(kCatMath, err::math::kZeroDivide), ::testing::ExitedWithCode(254),
                "Where: f\n");
}

TEST_F(Stack, WithNoFrameAtAllAnErrorGoesToTheCxxCatchPoint) {
    Cell* top = g_stack_top;
    uint32_t code = catch_at(kCatchErrors, [] { error_fire(kCatMath, err::math::kZeroDivide); });
    EXPECT_EQ(code, kThrowError);
    EXPECT_EQ(g_stack_top, top) << "the stacks are left as they are";
    Cell e = g_frameless_error;
    EXPECT_EQ(error_id(e), "zero-divide");
    EXPECT_EQ(error_text(e), "*** Math Error: attempt to divide by zero\n*** Where: ???\n"
                             "*** Near : none");
}

} // namespace
