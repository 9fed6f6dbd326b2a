#include "runtime/datatypes/block/block-actions.h"
#include "runtime/symbols/symbols.h"
#include "tests/unit/series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class BlockCompare : public SeriesFixture {};

int cmp(Cell a, Cell b, int op) {
    return block_compare(&a, &b, op);
}

TEST_F(BlockCompare, OrderAndEquality) {
    struct Case {
        Cell a, b;
        int op;
        int expected;
        const char* what;
    };
    const Case cases[] = {
        {int_block({1, 2}), int_block({1, 2}), 0, 0, "[1 2] = [1 2]"},
        {int_block({1, 2}), int_block({1, 2, 3}), 0, 1, "lengths differ: not equal"},
        {int_block({1, 2}), int_block({1, 2, 3}), 2, 1, "strictly: not equal"},
        {int_block({}), int_block({1}), 3, -1, "lesser? [] [1]"},
        {int_block({1}), int_block({}), 3, 1, "lesser? [1] []"},
        {int_block({1, 2}), int_block({1, 3}), 3, -1, "first difference decides"},
        {int_block({2}), int_block({1, 5}), 3, 1, "before the lengths"},
        {int_block({1}), int_block({1, 0}), 3, -1, "equal prefix: the shorter is lesser"},
        {block({none()}), block({integer(1)}), 3, -1, "different types: by type id"},
        {block({integer(1)}), block({none()}), 0, 1, "different types are not equal"},
        {at_index(int_block({9, 1}), 1), int_block({1}), 0, 0, "from the positions"},
        {int_block({1}), block({integer(1)}, T_PAREN), 0, -2, "block and paren"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cmp(c.a, c.b, c.op), c.expected) << c.what;
    EXPECT_EQ(cycles_depth(), 0u);
}

TEST_F(BlockCompare, WordsOfDifferentKindsCompareBySpelling) {
    Cell a = *word_load("alpha");
    Cell b = *word_load("alpha");
    cell_set_type(&b, T_SET_WORD);
    EXPECT_EQ(cmp(block({a}), block({b}), 0), 0);
    Cell c = *word_load("beta");
    EXPECT_NE(cmp(block({a}), block({c}), 0), 0);
}

TEST_F(BlockCompare, SameAndPaths) {
    Cell a = int_block({1, 2});
    Cell copy = int_block({1, 2});
    EXPECT_EQ(cmp(a, a, 9), 0);
    EXPECT_EQ(cmp(a, copy, 9), -1) << "same? of equal contents in two buffers";
    EXPECT_EQ(cmp(a, at_index(a, 1), 9), -1);
    Cell path = block({integer(1)}, T_PATH);
    Cell lit = block({integer(1)}, T_LIT_PATH);
    EXPECT_EQ(cmp(path, lit, 10), 0) << "path! and lit-path! under the strict path codes";
    EXPECT_EQ(cmp(path, lit, 0), -2);
}

TEST_F(BlockCompare, BlocksThatContainThemselvesTerminate) {
    Cell a = int_block({1});
    block_append_copy(&a, &a);
    Cell b = int_block({1});
    block_append_copy(&b, &b);
    EXPECT_EQ(cmp(a, b, 0), 0);
    Cell longer = int_block({1});
    block_append_copy(&longer, &longer);
    Cell two = integer(2);
    block_append_copy(&longer, &two);
    EXPECT_EQ(cmp(a, longer, 0), 1);
    EXPECT_EQ(cmp(a, longer, 3), -1);
    EXPECT_EQ(cycles_depth(), 0u);
}

} // namespace
