#include "runtime/datatypes/block/block.h"

#include "tests/unit/series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class BlockCells : public SeriesFixture {};

using Ints = std::vector<int32_t>;

TEST_F(BlockCells, MakersAndTailCells) {
    Cell b;
    block_make_at(&b, -5);
    EXPECT_EQ(type_of(&b), T_BLOCK);
    EXPECT_EQ(block_buffer(&b)->size, 16u) << "a capacity below 0 gives one cell";
    for (int i = 0; i < 5; i++) {
        Cell* c = block_alloc_tail_cell(&b);
        EXPECT_EQ(type_of(c), T_UNSET);
        *c = integer(i);
    }
    EXPECT_EQ(ints(b), (Ints{0, 1, 2, 3, 4})) << "the buffer doubles as cells arrive";

    Cell parent = int_block({});
    Cell* child = block_make_fixed_in(&parent, 3);
    EXPECT_TRUE(block_buffer(child)->flags & kFlagFixed);
    EXPECT_EQ(block_buffer_length(&parent), 1u);
    Cell* pushed = block_push_new(0);
    EXPECT_EQ(pushed, stack_top());
    EXPECT_EQ(block_buffer_length(pushed), 0u);
}

TEST_F(BlockCells, PositionsAreClamped) {
    Cell b = int_block({1, 2, 3});
    Cell past = at_index(b, 7);
    EXPECT_EQ(block_length_at(&past), 0);
    EXPECT_EQ(block_index(&past), 3);
    Cell before = at_index(b, -2);
    EXPECT_EQ(block_length_at(&before), 3);
    Cell walk = at_index(b, 1);
    EXPECT_FALSE(block_xs_next(&walk));
    EXPECT_TRUE(block_xs_next(&walk));
    EXPECT_TRUE(block_xs_next(&walk));
    EXPECT_EQ(block_index(&walk), 3) << "xs-next stops at the tail";
    Cell far = at_index(b, 9);
    EXPECT_EQ(block_cell_at_index(&far), block_tail_cell(&b));
    EXPECT_EQ(block_index(&far), 3);
}

TEST_F(BlockCells, ClearAndRemoveLast) {
    Cell b = int_block({1, 2, 3, 4});
    Cell pos = at_index(b, 4);
    block_clear_from(&b, 2);
    EXPECT_EQ(ints(b), (Ints{1, 2}));
    block_clear_from(&b, 9);
    EXPECT_EQ(ints(b), (Ints{1, 2}));
    block_remove_last(&pos);
    EXPECT_EQ(ints(b), (Ints{1}));
    EXPECT_EQ(block_index(&pos), 1) << "a position past the new tail moves back";
    block_remove_last(&b);
    block_remove_last(&b);
    EXPECT_EQ(block_buffer_length(&b), 0u);
    Cell mid = at_index(int_block({1, 2, 3}), 1);
    block_clear_at(&mid);
    EXPECT_EQ(ints(mid), (Ints{1}));
}

TEST_F(BlockCells, InsertValueAndBlock) {
    Cell b = at_index(int_block({1, 3}), 1);
    Cell two = integer(2);
    block_insert_value(&b, &two, false, true);
    EXPECT_EQ(ints(b), (Ints{1, 2, 3}));
    EXPECT_EQ(block_index(&b), 2);
    Cell zero = integer(0);
    block_insert_value(&b, &zero, true, false);
    EXPECT_EQ(ints(b), (Ints{0, 1, 2, 3}));
    EXPECT_EQ(block_index(&b), 2);

    struct Case {
        int32_t at, from;
        Ints expected;
    };
    const Case self_cases[] = {
        {0, 0, {1, 2, 3, 1, 2, 3}}, {1, 0, {1, 1, 2, 3, 2, 3}}, {1, 2, {1, 3, 2, 3}},
        {3, 0, {1, 2, 3, 1, 2, 3}}, {2, 1, {1, 2, 2, 3, 3}},
    };
    for (const Case& c : self_cases) {
        Cell s = int_block({1, 2, 3});
        Cell into = at_index(s, c.at);
        Cell source = at_index(s, c.from);
        block_insert_block(&into, &source);
        EXPECT_EQ(ints(s), c.expected) << "insert at " << c.at << " from " << c.from;
        EXPECT_EQ(block_index(&into), c.at + 3 - c.from);
    }
    Cell target = int_block({9});
    Cell other = int_block({7, 8});
    block_append_block(&target, &other);
    block_append_block(&target, &target);
    EXPECT_EQ(ints(target), (Ints{9, 7, 8, 9, 7, 8}));
}

TEST_F(BlockCells, ArgumentEntries) {
    Cell* slot = stack_push_cell();
    *slot = int_block({1});
    Cell* value = stack_push_cell();
    *value = integer(2);
    block_append_arg(value);
    block_insert_arg(value);
    EXPECT_EQ(ints(*slot), (Ints{2, 1, 2}));
    EXPECT_EQ(block_index(slot), 1);
    *stack_arguments() = int_block({});
    stack_arguments()[1] = integer(5);
    block_append_arg_to_result();
    EXPECT_EQ(ints(*stack_arguments()), (Ints{5}));
}

} // namespace
