// The block core of the set natives where scripts cannot reach it yet: hash!
// operands, whose own table is used and whose result keeps one.
#include <gtest/gtest.h>

#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/natives/series/series-natives.h"
#include "tests/unit/evaluator_test_support.h"

namespace xel::test {
namespace {

class BlockSets : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        stack_mark_try(g_word_try);
    }

    static Cell hashed(std::initializer_list<Cell> values) {
        Cell b = block(values);
        Offset table = hash_make(static_cast<uint32_t>(values.size()), &b, kHashBlock, 0);
        return Cell{T_HASH, 0, b.data2, table};
    }
    static std::vector<int32_t> integers(const Cell& b) {
        std::vector<int32_t> out;
        for (uint32_t i = 0; i < block_buffer_length(&b); i++)
            out.push_back(static_cast<int32_t>(block_cell_at(&b, i)->data2));
        return out;
    }
};

TEST_F(BlockSets, HashOperandGivesAHashWithATableOfTheResult) {
    struct Case {
        int op;
        bool hash_first;
        std::vector<int32_t> expected;
    } cases[] = {
        {kSetUnique, true, {1, 2, 3}},    {kSetUnion, true, {1, 2, 3, 4}},
        {kSetUnion, false, {1, 2, 3, 4}}, {kSetIntersect, false, {2, 3}},
        {kSetExclude, true, {1}},         {kSetDifference, false, {1, 4}},
    };
    for (const Case& c : cases) {
        Cell first = c.hash_first ? hashed({integer(1), integer(2), integer(2), integer(3)})
                                  : block({integer(1), integer(2), integer(2), integer(3)});
        Cell second = c.hash_first ? block({integer(2), integer(3), integer(4)})
                                   : hashed({integer(2), integer(3), integer(4)});
        Cell result = first;
        block_set_operation(&result, &second, false, nullptr, c.op);
        ASSERT_EQ(type_of(&result), T_HASH) << c.op;
        EXPECT_EQ(integers(result), c.expected) << c.op;
        ASSERT_NE(result.data3, 0u);
        EXPECT_NE(result.data3, first.data3);
        for (int32_t v : c.expected) {
            Cell probe = integer(v);
            EXPECT_NE(hash_find(result.data3, &probe, 0, 1, 0, false, false), nullptr) << v;
        }
        EXPECT_EQ(integers(first), (std::vector<int32_t>{1, 2, 2, 3})) << "source unchanged";
    }
}

TEST_F(BlockSets, HashResultIndexesEveryCellOfItsRecords) {
    Cell set = hashed({integer(1), integer(10), integer(1), integer(11), integer(2), integer(12)});
    Cell skip = integer(2);
    block_set_operation(&set, nullptr, false, &skip, kSetUnique);
    EXPECT_EQ(integers(set), (std::vector<int32_t>{1, 10, 2, 12}));
    Cell probe = integer(12);
    EXPECT_NE(hash_find(set.data3, &probe, 0, 1, 0, false, false), nullptr);
}

TEST_F(BlockSets, PlainBlocksDropTheirTemporaryTables) {
    Cell set = block({integer(3), integer(3)});
    Cell* top = g_stack_top;
    block_set_operation(&set, nullptr, false, nullptr, kSetUnique);
    EXPECT_EQ(type_of(&set), T_BLOCK);
    EXPECT_EQ(set.data3, 0u);
    EXPECT_EQ(g_stack_top, top);
}

} // namespace
} // namespace xel::test
