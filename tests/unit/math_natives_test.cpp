// The math natives on values the language tests cannot mold yet (pairs,
// points, tuples, money), called directly in a native frame.
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "evaluator_test_support.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/point3d/point3d-cell.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

using namespace xel;
using namespace xel::test;

namespace {

Cell pair(int32_t x, int32_t y) {
    Cell c;
    pair_make_at(&c, x, y);
    return c;
}
Cell point2(float x, float y) {
    Cell c;
    point2d_make_at(&c, x, y);
    return c;
}
Cell point3(float x, float y, float z) {
    Cell c;
    point3d_make_at(&c, x, y, z);
    return c;
}
Cell tuple(std::initializer_list<uint8_t> bytes) {
    Cell c;
    tuple_make_at(&c, bytes.begin(), static_cast<uint32_t>(bytes.size()));
    return c;
}
Cell number(double d) {
    Cell c{T_FLOAT, 0, 0, 0};
    cell_set_double(&c, d);
    return c;
}
// A money! of whole units (at most 8 digits here), no currency.
Cell money(bool negative, uint32_t units) {
    uint8_t digits[11] = {};
    for (int i = 17; i >= 1 && units; i--, units /= 10) {
        uint8_t& b = digits[(i - 1) / 2];
        b |= static_cast<uint8_t>((i & 1) ? (units % 10) << 4 : units % 10);
    }
    Cell c{};
    money_make_at(&c, negative, 0, digits);
    return c;
}

bool same_cell(const Cell& a, const Cell& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class MathNatives : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }

    // Runs a native in a frame named name on the arguments; answers the result.
    Cell call(NativeFn fn, std::initializer_list<Cell> args) {
        Cell w = word("native");
        stack_mark_native(&w);
        for (const Cell& a : args)
            stack_push(&a);
        int32_t refs[4] = {-1, -1, -1, -1};
        fn(0, refs);
        stack_unwind_keep();
        Cell result = *stack_top();
        stack_pop(1);
        return result;
    }
};

TEST_F(MathNatives, MaxAndMinGoCoordinateByCoordinate) {
    struct Case {
        NativeFn fn;
        Cell a, b, expected;
    };
    const Case cases[] = {
        {natives_max, pair(3, 4), integer(5), pair(5, 5)},
        {natives_max, integer(5), pair(3, 7), pair(5, 7)}, // the number moves second
        {natives_min, pair(3, 4), number(3.9), pair(3, 3)},
        {natives_max, pair(1, 9), pair(4, 2), pair(4, 9)},
        {natives_max, pair(1, 2), point2(1.5f, 0.5f), point2(1.5f, 2.0f)},
        {natives_min, point2(1.0f, 5.0f), pair(3, 4), point2(1.0f, 4.0f)},
        {natives_max, point3(1, 2, 3), integer(2), point3(2, 2, 3)},
        {natives_min, point3(1, 2, 3), point3(0, 5, 1), point3(0, 2, 1)},
        {natives_min, tuple({1, 2, 3}), integer(2), tuple({1, 2, 2})},
        {natives_max, tuple({1, 2, 3}), integer(300), tuple({255, 255, 255})},
        {natives_min, tuple({1, 2, 3}), integer(-4), tuple({0, 0, 0})},
        {natives_max, tuple({1, 9, 3}), tuple({4, 2, 3}), tuple({4, 9, 3})},
        {natives_max, integer(1), tuple({0, 2, 3}), tuple({1, 2, 3})},
    };
    for (const Case& c : cases) {
        Cell r = call(c.fn, {c.a, c.b});
        EXPECT_TRUE(same_cell(r, c.expected)) << &c - cases;
    }
}

TEST_F(MathNatives, APairMeetingAFloatBeyondTheIntegersBecomesAPoint) {
    Cell r = call(natives_max, {pair(1, 2), number(1e10)});
    EXPECT_TRUE(same_cell(r, point2(1e10f, 1e10f)));
    r = call(natives_min, {pair(1, 2), number(NAN)});
    ASSERT_EQ(type_of(&r), T_POINT2D);
    EXPECT_TRUE(std::isnan(point_coordinate(&r, 0)));
}

TEST_F(MathNatives, ANaNCoordinateWinsOnEitherSide) {
    Cell r = call(natives_max, {point2(NAN, 1.0f), point2(2.0f, NAN)});
    EXPECT_TRUE(std::isnan(point_coordinate(&r, 0)));
    EXPECT_TRUE(std::isnan(point_coordinate(&r, 1)));
}

TEST_F(MathNatives, ZeroAndSignOfCompoundAndMoneyValues) {
    struct Case {
        Cell value;
        bool zero;
    };
    const Case cases[] = {
        {pair(0, 0), true},       {pair(0, 1), false},         {point2(0.0f, -0.0f), true},
        {point3(0, 0, 1), false}, {tuple({0, 0, 0, 0}), true}, {tuple({0, 0, 1}), false},
        {money(false, 0), true},  {money(true, 0), true},      {money(false, 120), false},
    };
    for (const Case& c : cases) {
        Cell r = call(natives_zero, {c.value});
        EXPECT_EQ(r.data1, c.zero ? 1u : 0u) << &c - cases;
    }
    // A negative zero amount has no sign.
    EXPECT_EQ(static_cast<int32_t>(call(natives_sign, {money(true, 0)}).data2), 0);
    EXPECT_EQ(static_cast<int32_t>(call(natives_sign, {money(true, 5)}).data2), -1);
    EXPECT_EQ(call(natives_positive, {money(false, 5)}).data1, 1u);
    EXPECT_EQ(call(natives_negative, {money(true, 0)}).data1, 0u);
}

TEST_F(MathNatives, AsPairTruncatesAndRefusesFloatsWithoutAnIntegerValue) {
    EXPECT_TRUE(same_cell(call(natives_as_pair, {integer(3), number(-4.9)}), pair(3, -4)));
    for (double bad : {double(NAN), double(INFINITY), 3e9, -2147483649.0}) {
        Cell e = error_of([&] { call(natives_as_pair, {number(bad), integer(1)}); });
        EXPECT_EQ(error_id(e), "invalid-arg") << bad;
    }
}

TEST_F(MathNatives, AsPointMakesFloat32Coordinates) {
    EXPECT_TRUE(same_cell(call(natives_as_point2d, {integer(1), number(2.5)}), point2(1, 2.5f)));
    EXPECT_TRUE(same_cell(call(natives_as_point3d, {number(0.1), integer(-2), integer(3)}),
                          point3(0.1f, -2, 3)));
}

TEST_F(MathNatives, SameComparesTheStoredBitsOfPairsPointsAndTuples) {
    struct Case {
        Cell a, b;
        bool same;
    };
    const Case cases[] = {
        {pair(1, 2), pair(1, 2), true},
        {pair(1, 2), pair(2, 1), false},
        {point2(0.0f, 1), point2(-0.0f, 1), false},
        {point2(1, 2), point2(1, 2), true},
        {tuple({1, 2, 3}), tuple({1, 2, 3}), true},
        {tuple({1, 2, 3}), tuple({1, 2, 3, 0}), false},
        {pair(1, 2), point2(1, 2), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(natives_same_values(&c.a, &c.b), c.same) << &c - cases;
}

TEST_F(MathNatives, DegreesFoldIntoTheRangeOfEachFunction) {
    struct Case {
        double degrees;
        int mode;
        double radians_in_degrees;
    };
    const Case cases[] = {
        {150, kTrigSine, 30},     {-150, kTrigSine, -30},   {150, kTrigCosine, 150},
        {135, kTrigTangent, -45}, {-135, kTrigTangent, 45}, {540, kTrigSine, 0},
        {-270, kTrigCosine, 90},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(math_degrees_to_radians(c.degrees, c.mode),
                         c.radians_in_degrees * 3.141592653589793 / 180)
            << c.degrees << " " << c.mode;
}

} // namespace
