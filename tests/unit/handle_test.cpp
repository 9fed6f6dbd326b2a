// handle!: the cell helpers, its text forms with and without a class, and
// its comparison.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/handle/handle.h"
#include "series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class Handle : public SeriesFixture {};

TEST_F(Handle, CellHelpersWriteTheLayout) {
    Cell h;
    handle_make_at(&h, 0x1234, 2);
    EXPECT_EQ(type_of(&h), T_HANDLE);
    EXPECT_EQ(h.data1, 2u);
    EXPECT_EQ(h.data2, 0x1234u);
    EXPECT_EQ(h.data3, 0xFFFFFFFFu);

    Cell* boxed = handle_box(7, 0);
    EXPECT_EQ(boxed, stack_arguments());
    EXPECT_EQ(boxed->data2, 7u);

    Cell blk = block({integer(1)});
    handle_make_in(&blk, 9, 1);
    ASSERT_EQ(block_buffer_length(&blk), 2u);
    EXPECT_EQ(type_of(block_cell_at(&blk, 1)), T_HANDLE);
    EXPECT_EQ(block_cell_at(&blk, 1)->data2, 9u);

    Cell* top = g_stack_top;
    Cell* null = handle_push_null();
    EXPECT_EQ(null, top);
    EXPECT_EQ(null->data1, 0u);
    EXPECT_EQ(null->data2, 0u);
}

TEST_F(Handle, FormAndMold) {
    uint32_t window = handle_register_class("window");
    Cell plain, classed;
    handle_make_at(&plain, 0xBEEF, 0);
    handle_make_at(&classed, 0xFFFFFFF0u, window);
    EXPECT_EQ(form(plain), "0000BEEFh");
    EXPECT_EQ(mold(plain), "handle!");
    EXPECT_EQ(mold(plain, false, true), "#[handle! 0000BEEFh]");
    EXPECT_EQ(mold(classed, false, true), "#[handle! FFFFFFF0h window]");
    int left = 0;
    mold(classed, false, true, false, 100, &left);
    EXPECT_EQ(left, 100 - 27);
}

TEST_F(Handle, CompareOrdersByValueAndRefusesOtherTypes) {
    Cell a, b, a_other_class;
    handle_make_at(&a, 1, 0);
    handle_make_at(&b, 0x80000000u, 0);
    handle_make_at(&a_other_class, 1, 1);
    Cell n = integer(1);
    EXPECT_EQ(handle_compare(&a, &b, kCmpLesser), -1);
    EXPECT_EQ(handle_compare(&b, &a, kCmpLesser), 1);
    EXPECT_EQ(handle_compare(&a, &a_other_class, kCmpEqual), 0);
    EXPECT_EQ(handle_compare(&a, &a_other_class, kCmpSame), -1);
    EXPECT_EQ(handle_compare(&a, &a, kCmpSame), 0);
    EXPECT_EQ(handle_compare(&a, &n, kCmpEqual), -2);
    EXPECT_FALSE(actions_compare(&a, &n, kCmpEqual));
    EXPECT_TRUE(actions_compare(&a, &n, kCmpNotEqual));
}

} // namespace
