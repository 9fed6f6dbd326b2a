// pair!, point2D! and point3D!: cell helpers, the math hand-overs, and what
// the language's action specs keep out of reach (coordinate scales of round,
// pick on points, compare codes of searches).
#include "number_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/pair/pair.h"
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/tuple/tuple.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Coordinates : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        stack_mark_try(g_word_try);
        stack_mark_native(g_word_try);
    }
};

Cell pair_cell(int32_t x, int32_t y) {
    Cell c{};
    pair_make_at(&c, x, y);
    return c;
}
Cell point2(float x, float y) {
    Cell c{};
    point2d_make_at(&c, x, y);
    return c;
}
Cell point3(float x, float y, float z) {
    Cell c{};
    point3d_make_at(&c, x, y, z);
    return c;
}

TEST_F(Coordinates, CellHelpers) {
    Cell blk = block_cell({});
    pair_make_in(&blk, 3, -4);
    ASSERT_EQ(block_length_at(&blk), 1);
    EXPECT_EQ(mold_of(*block_rs_head(&blk)), "3x-4");

    Cell* top = g_stack_top;
    EXPECT_EQ(mold_of(*pair_push(1, 2)), "1x2");
    EXPECT_EQ(mold_of(*point2d_push(1.5f, 2)), "(1.5, 2)");
    EXPECT_EQ(mold_of(*point3d_push(1, 2, 3)), "(1, 2, 3)");
    EXPECT_EQ(g_stack_top, top + 3);

    Cell p = pair_cell(-7, 9);
    pair_to_point2d(&p);
    EXPECT_EQ(mold_of(p), "(-7, 9)");
}

TEST_F(Coordinates, RegisterTheirMathHandOvers) {
    EXPECT_EQ(g_number_handovers.math[T_PAIR], &pair_do_math);
    EXPECT_EQ(g_number_handovers.math[T_POINT2D], &point_do_math);
    EXPECT_EQ(g_number_handovers.math[T_POINT3D], &point_do_math);
    EXPECT_EQ(g_number_handovers.math[T_TUPLE], &tuple_do_math);
}

// round's spec takes number! money! time! scales; the coordinate scales are
// reached from C++ only.
TEST_F(Coordinates, RoundByCoordinateScales) {
    const struct {
        Cell value, scale;
        const char* result;
    } cases[] = {
        {pair_cell(17, 23), pair_cell(10, 4), "20x24"},
        {pair_cell(17, 23), point2(0.5f, 2), "17x24"},
        {point2(1.26f, 2.4f), point2(0.1f, 1), "(1.3, 2)"},
        {point2(17, 23), pair_cell(10, 4), "(20, 24)"},
        {point3(17, 23, 2.5f), pair_cell(10, 4), "(20, 24, 3)"},
        {point3(17, 23, 2.5f), point3(10, 4, 2), "(20, 24, 2)"},
    };
    for (const auto& c : cases) {
        Cell* args = frame(c.value, c.scale);
        actions_round_typed(args, args + 1, false, false, false, false, false, false);
        EXPECT_EQ(mold_of(*stack_arguments()), c.result) << mold_of(c.value);
    }
}

// pick's spec leaves points out; the action itself is there.
TEST_F(Coordinates, PickOnPoints) {
    Cell z = Cell{};
    word_make_at(&z, g_sym_z);
    Cell* args = frame(point3(1, 2, 3), z);
    actions_pick_typed(args, 0, args + 1);
    EXPECT_EQ(mold_of(*stack_arguments()), "3.0");
    args = frame(point2(1, 2), int_cell(2));
    actions_pick_typed(args, 2, args + 1);
    EXPECT_EQ(mold_of(*stack_arguments()), "2.0");
    Cell three = int_cell(3);
    args = frame(point2(1, 2), three);
    EXPECT_EQ(error_of([] {
                  Cell* a = stack_arguments();
                  actions_pick_typed(a, 3, a + 1);
              }),
              kOutOfRange);
}

TEST_F(Coordinates, CompareCodes) {
    const struct {
        Cell a, b;
        int op;
        int result;
    } cases[] = {
        {pair_cell(1, 2), pair_cell(1, 2), kCmpStrictEqual, 0},
        {pair_cell(1, 2), pair_cell(1, 3), kCmpFind, -1},
        {pair_cell(-1, 9), pair_cell(1, 0), kCmpSort, -1},
        {pair_cell(1, 2), int_cell(1), kCmpEqual, -2},
        {pair_cell(1, 2), point2(1, 2), kCmpSame, 0},
        {point2(0.0f, 1), point2(-0.0f, 1), kCmpStrictEqual, 0},
        {point2(0.0f, 1), point2(-0.0f, 1), kCmpSame, 1},
        {point2(1, 2), point2(1.0000001f, 2), kCmpFind, 0},
        {point2(1, 2), point3(1, 2, 0), kCmpEqual, -2},
        {point3(1, 2, 3), point3(1, 2, 2), kCmpCaseSort, 1},
    };
    for (const auto& c : cases) {
        Cell a = c.a, b = c.b;
        EXPECT_EQ(action_of<A_COMPARE>(type_of(&a))(&a, &b, c.op), c.result)
            << mold_of(c.a) << " " << mold_of(c.b) << " op " << c.op;
    }
}

} // namespace
