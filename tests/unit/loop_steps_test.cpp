// The step routines of the series loops and the state layout below the loop
// frame that compiled loops share with them: the iteration series at base - 2,
// the word or words at base - 1, remove-each's part count at base - 3.
#include "evaluator_test_support.h"
#include "runtime/datatypes/constants.h"
#include "runtime/natives/loops/loops.h"

using namespace xel;
using namespace xel::test;

namespace {

class LoopSteps : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        stack_mark_native(g_word_anon_marker);
    }

    // Pushes the state cells and the loop frame; answers the frame base.
    Cell* start_loop(const Cell& series, const Cell& words, const Cell* part = nullptr) {
        if (part) stack_push(part);
        stack_push(&series);
        stack_push(&words);
        Cell* base = stack_mark_loop(g_word_body_marker);
        stack_push(&g_unset_cell);
        return base;
    }

    static Cell value_of(const char* name) {
        Cell w = word(name);
        return *context_get(&w);
    }
    static uint8_t type_named(const char* name) {
        Cell v = value_of(name);
        return type_of(&v);
    }
    static int32_t index_of(const Cell* series) { return static_cast<int32_t>(series->data1); }
};

TEST_F(LoopSteps, TheLoopFrameIsKindEightNamedBody) {
    start_loop(block({integer(1)}), word("x"));
    const CallFrame* f = stack_top_frame();
    EXPECT_EQ(frame_kind(f), kFrameLoop);
    EXPECT_EQ(frame_symbol(f), word_symbol(g_word_body_marker));
}

TEST_F(LoopSteps, ForeachSetFillsTheWordsAndAdvancesEvenPastTheTail) {
    Cell* base =
        start_loop(block({integer(1), integer(2), integer(3)}), block({word("a"), word("b")}));
    ASSERT_TRUE(natives_foreach_set(2));
    EXPECT_EQ(value_of("a").data2, 1u);
    EXPECT_EQ(value_of("b").data2, 2u);
    EXPECT_EQ(index_of(base - 2), 2);
    ASSERT_TRUE(natives_foreach_set(2));
    EXPECT_EQ(value_of("a").data2, 3u);
    EXPECT_EQ(type_named("b"), T_NONE) << "past the tail";
    EXPECT_EQ(index_of(base - 2), 4);
    EXPECT_FALSE(natives_foreach_set(2));
    EXPECT_EQ(index_of(base - 2), 6) << "the index grows also when nothing was left";
}

TEST_F(LoopSteps, ForeachStepsOverTextKeepTheLoopResult) {
    Cell* base = start_loop(text("ab"), word("c"));
    Cell marker = integer(77);
    *base = marker;
    ASSERT_TRUE(natives_foreach_next());
    EXPECT_EQ(type_named("c"), T_CHAR);
    EXPECT_EQ(value_of("c").data2, static_cast<uint32_t>('a'));
    EXPECT_EQ(base->data2, 77u) << "picking an item must not overwrite the running result";

    Cell* words_base = start_loop(text("xyz"), block({word("a"), word("b")}));
    ASSERT_TRUE(natives_foreach_set(2));
    EXPECT_EQ(value_of("b").data2, static_cast<uint32_t>('y'));
    ASSERT_TRUE(natives_foreach_set(2));
    EXPECT_EQ(value_of("a").data2, static_cast<uint32_t>('z'));
    EXPECT_EQ(type_named("b"), T_NONE);
    EXPECT_EQ(index_of(words_base - 2), 4);
}

TEST_F(LoopSteps, CheckForallAsksForAnItemAtThePosition) {
    struct Case {
        Cell series;
        uint32_t index;
        bool expected;
    };
    Cell three = block({integer(1), integer(2), integer(3)});
    const char euro[] = "a\xE2\x82\xAC"; // two characters in 2-byte units
    Cell wide = *string_load(reinterpret_cast<const uint8_t*>(euro), 4, 0);
    ASSERT_EQ(buffer_of(wide.data2)->unit(), 2u);
    const Case cases[] = {
        {three, 0, true},  {three, 2, true},    {three, 3, false},
        {three, 9, false}, {three, ~0u, false}, // an index below the head has no item
        {wide, 1, true},   {wide, 2, false},    {text(""), 0, false},
    };
    for (const Case& c : cases) {
        Cell s = c.series;
        s.data1 = c.index;
        EXPECT_EQ(natives_check_forall(&s), c.expected) << "index " << c.index;
    }
}

TEST_F(LoopSteps, RemoveEachCoreRemovesTheItemsJustSetWhenTheBodyIsTruthy) {
    Cell part = integer(2);
    Cell data = block({integer(1), integer(2), integer(3), integer(4)});
    Cell* base = start_loop(data, block({word("a"), word("b")}), &part);
    ASSERT_TRUE(natives_foreach_set(2));
    set_none(base);
    natives_remove_each_core(2);
    EXPECT_EQ(block_buffer_length(&data), 4u) << "a falsy body keeps them";
    ASSERT_TRUE(natives_foreach_set(2));
    set_logic(base, true);
    natives_remove_each_core(2);
    EXPECT_EQ(block_buffer_length(&data), 2u);
    EXPECT_EQ(index_of(base - 2), 2) << "the next items follow the removed ones";
    EXPECT_FALSE(natives_foreach_set(2));
}

TEST_F(LoopSteps, ForallNextWalksTheWordsOwnValueAndEndRestoresIt) {
    Cell w = word("s");
    Cell series = block({integer(1), integer(2)});
    context_set(&w, &series);
    start_loop(series, w);
    EXPECT_FALSE(natives_forall_next(false));
    EXPECT_FALSE(natives_forall_next(true));
    EXPECT_EQ(index_of(context_get(&w)), 1);
    EXPECT_TRUE(natives_forall_next(true)) << "at its tail";
    natives_forall_end();
    EXPECT_EQ(index_of(context_get(&w)), 0);
}

TEST_F(LoopSteps, LoopCountTruncatesAFloatInPlace) {
    struct Case {
        double count;
        int32_t expected;
    };
    for (Case c : {Case{2.9, 2}, Case{-2.9, -2}, Case{0.5, 0}}) {
        stack_reset();
        Cell* slot = stack_push_cell();
        *slot = Cell{T_FLOAT, 0, 0, 0};
        cell_set_double(slot, c.count);
        natives_loop_count();
        EXPECT_EQ(type_of(slot), T_INTEGER);
        EXPECT_EQ(static_cast<int32_t>(slot->data2), c.expected);
    }
    Cell e = error_of([] {
        Cell* slot = stack_push_cell();
        *slot = Cell{T_FLOAT, 0, 0, 0};
        cell_set_double(slot, 1e20);
        natives_loop_count();
    });
    EXPECT_EQ(error_id(e), "out-of-range");
}

} // namespace
