// vector!: the item encoding and the cell helpers other code calls.
#include "runtime/datatypes/vector/vector.h"

#include "number_test_support.h"
#include "runtime/datatypes/series/series.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Vector : public test::RuntimeFixture {};

constexpr int kNoMemory = 902;

TEST_F(Vector, ItemsReadBackAtTheirWidth) {
    const struct {
        uint8_t type;
        uint32_t unit;
        Cell stored;
        Cell read;
    } cases[] = {
        {T_INTEGER, 1, int_cell(200), int_cell(-56)},
        {T_INTEGER, 1, int_cell(300), int_cell(44)},
        {T_INTEGER, 2, int_cell(40000), int_cell(-25536)},
        {T_INTEGER, 4, int_cell(-7), int_cell(-7)},
        {T_CHAR, 2, char_cell(0x263A), char_cell(0x263A)},
        {T_CHAR, 4, char_cell(0x1F600), char_cell(0x1F600)},
        {T_FLOAT, 8, dbl_cell(0.1), dbl_cell(0.1)},
        {T_FLOAT, 4, dbl_cell(0.1), dbl_cell(static_cast<float>(0.1))},
        {T_PERCENT, 8, pct_cell(0.5), pct_cell(0.5)},
    };
    for (const auto& c : cases) {
        uint8_t item[8] = {};
        vector_set_item(item, &c.stored, c.unit);
        Cell got = vector_item_value(item, c.unit, c.type);
        EXPECT_EQ(type_of(&got), c.type);
        EXPECT_EQ(got.data2, c.read.data2) << mold_of(c.stored) << " " << c.unit;
        EXPECT_EQ(got.data3, c.read.data3) << mold_of(c.stored) << " " << c.unit;
    }
}

TEST_F(Vector, ItemsAreLittleEndian) {
    uint8_t item[4] = {};
    Cell v = int_cell(0x01020304);
    vector_set_item(item, &v, 4);
    EXPECT_EQ(item[0], 0x04);
    EXPECT_EQ(item[3], 0x01);
}

TEST_F(Vector, OnlyNumbersAndCharactersAreItems) {
    uint8_t item[8] = {};
    Cell s = string_cell("1");
    frame(s);
    EXPECT_EQ(error_of([&] { vector_set_item(item, &s, 4); }), kInvalidType);
}

TEST_F(Vector, SizesBeyondThirtyTwoBitsAreRefused) {
    Cell slot{};
    frame(slot);
    EXPECT_EQ(error_of([&] { vector_make_at(&slot, 0x40000000u, 8, T_FLOAT); }), kNoMemory);
}

TEST_F(Vector, AppendingGrowsTheBuffer) {
    Cell v{};
    vector_make_at(&v, 1, 2, T_INTEGER);
    for (int i = 0; i < 100; i++)
        vector_xs_append_int(&v, i * 1000);
    ASSERT_EQ(vector_xs_length(&v), 100);
    EXPECT_EQ(vector_get(&v, 99).data2, static_cast<uint32_t>(int16_t(99000)));
    Cell f{};
    vector_make_at(&f, 1, 8, T_FLOAT);
    vector_xs_append_int(&f, 3);
    EXPECT_EQ(mold_of(f), "make vector! [3.0]");
}

TEST_F(Vector, ClearAndBlocksWorkFromThePosition) {
    Cell v{};
    vector_make_at(&v, 4, 4, T_INTEGER);
    for (int i = 1; i <= 4; i++)
        vector_xs_append_int(&v, i);
    Cell at_two = v;
    series_set_index(&at_two, 2);
    Cell block{};
    vector_to_block(&at_two, &block);
    EXPECT_EQ(mold_of(block), "[3 4]");
    vector_xs_clear(&at_two);
    EXPECT_EQ(vector_xs_length(&v), 2);
    EXPECT_EQ(vector_xs_length(&at_two), 0);
}

} // namespace
