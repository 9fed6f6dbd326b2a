#include <gtest/gtest.h>

#include <vector>

#include "runtime/memory/raw-array.h"
#include "runtime/memory/series-memory.h"
#include "runtime/runtime-init.h"

using namespace xel;

namespace {

class RawArray : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    // An array of 32-bit items with room for n of them.
    static Offset make(uint32_t n) { return alloc_units(n, 4); }
};

TEST_F(RawArray, AppendPickSetAndLength) {
    Offset a = make(4);
    EXPECT_EQ(array_length(a), 0u);
    for (int32_t v : {7, -1, 42})
        array_append_int(a, v);
    EXPECT_EQ(array_length(a), 3u);
    EXPECT_EQ(array_pick_int(a, 1), 7);
    EXPECT_EQ(array_get_int(a, 2), -1);
    array_set_int(a, 3, 99);
    EXPECT_EQ(array_pick_int(a, 3), 99);
    array_clear(a);
    EXPECT_EQ(array_length(a), 0u);
}

TEST_F(RawArray, LengthDividesByTheUnit) {
    Offset bytes = alloc_bytes(16);
    array_append_int(bytes, 1);
    array_append_int(bytes, 2);
    EXPECT_EQ(array_length(bytes), 8u) << "a byte array counts bytes";
}

TEST_F(RawArray, AppendingToAFullArrayDoublesAndKeepsItems) {
    Offset a = make(4);
    uint32_t size = buffer_of(a)->size;
    uint32_t items = size / 4;
    for (uint32_t i = 0; i < items; i++)
        array_append_int(a, static_cast<int32_t>(i * 3));
    EXPECT_EQ(buffer_of(a)->size, size);
    int32_t* last = array_append_int(a, -5);
    EXPECT_EQ(*last, -5);
    EXPECT_EQ(buffer_of(a)->size, 2 * size);
    ASSERT_EQ(array_length(a), items + 1);
    for (uint32_t i = 0; i < items; i++)
        ASSERT_EQ(array_pick_int(a, i + 1), static_cast<int32_t>(i * 3)) << i;
    EXPECT_EQ(array_pick_int(a, items + 1), -5);
}

TEST_F(RawArray, FindGivesTheByteOffsetOfTheFirstMatch) {
    Offset a = make(8);
    for (int32_t v : {5, 9, 5, 12})
        array_append_int(a, v);
    EXPECT_EQ(array_find_int(a, 5), 0);
    EXPECT_EQ(array_find_int(a, 12), 12);
    EXPECT_EQ(array_find_int(a, 4), -1);
    EXPECT_EQ(array_find_pointer(a, 9u), 4);
    EXPECT_EQ(array_find_pointer(make(2), 9u), -1) << "empty array";
}

TEST_F(RawArray, RemoveBytesClosesTheGap) {
    struct Case {
        uint32_t offset;
        std::vector<int32_t> left;
    };
    for (const Case& c : {Case{12, {1, 2, 3}}, Case{0, {2, 3, 4}}, Case{4, {1, 3, 4}}}) {
        Offset a = make(8);
        for (int32_t v : {1, 2, 3, 4})
            array_append_int(a, v);
        array_remove_bytes(a, c.offset, 4);
        ASSERT_EQ(array_length(a), 3u) << c.offset;
        for (uint32_t i = 0; i < 3; i++)
            EXPECT_EQ(array_pick_int(a, i + 1), c.left[i]) << c.offset;
    }
}

} // namespace
