// time!: fields, text and its budget, cells at a block's tail, path access
// without a container, and the operand rules of its math.
#include "runtime/datatypes/time/time.h"

#include <limits>

#include "number_test_support.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/text/float-text.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Time : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        g_float_pretty = true;
    }
};

std::string text_of(double seconds, int part, int* left) {
    Cell out = string_cell("");
    *left = time_serialize(seconds, &out, part);
    return string_utf8_text(&out);
}

TEST_F(Time, HoursTruncateAndMinutesCountTheMagnitude) {
    const struct {
        double s;
        int32_t hours, minutes;
    } cases[] = {
        {5400, 1, 30},  {-5400, -1, 30},       {3599.9, 0, 59},  {-59, 0, 0},
        {90000, 25, 0}, {1e20, INT32_MIN, 46}, {-7325.5, -2, 2}, {0, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(time_get_hours(c.s), c.hours) << c.s;
        EXPECT_EQ(time_get_minutes(c.s), c.minutes) << c.s;
    }
}

TEST_F(Time, SerializeReturnsThePartLessTheCharactersAppended) {
    const struct {
        double s;
        const char* text;
    } cases[] = {
        {5400, "1:30:00"},     {-5400, "-1:30:00"},
        {3723.5, "1:02:03.5"}, {3723.123456789, "1:02:03.12346"},
        {1e-7, "0:00:00"},     {59.9999999, "0:01:00"},
        {-0.0, "0:00:00"},     {360000, "100:00:00"},
    };
    for (const auto& c : cases) {
        int left = 0;
        EXPECT_EQ(text_of(c.s, 50, &left), c.text) << c.s;
        EXPECT_EQ(left, 50 - static_cast<int>(std::strlen(c.text))) << c.s;
    }
    // Appends after what the string holds.
    Cell out = string_cell("at ");
    time_serialize(61, &out, 100);
    EXPECT_EQ(string_utf8_text(&out), "at 0:01:01");
}

TEST_F(Time, MakeInAppendsAtTheTail) {
    Cell blk = block_cell({int_cell(1)});
    time_make_in(&blk, -90.5);
    ASSERT_EQ(block_buffer_length(&blk), 2u);
    const Cell* c = block_cell_at(&blk, 1);
    EXPECT_EQ(type_of(c), T_TIME);
    EXPECT_EQ(cell_double(c), -90.5);
    EXPECT_EQ(mold_of(*c), "-0:01:30.5");
}

TEST_F(Time, PathSetWithoutAContainerChangesTheCellOnly) {
    stack_reset();
    stack_push_cell();
    Cell t = time_cell(3723);
    Cell hour = int_cell(1);
    Cell five = int_cell(5);
    Cell* r =
        time_eval_path(&t, &hour, &five, nullptr, nullptr, nullptr, 1, false, false, true, false);
    EXPECT_EQ(integer_get(r), 5);
    EXPECT_EQ(cell_double(&t), 5 * 3600.0 + 123);
    Cell second = int_cell(3);
    r = time_eval_path(&t, &second, nullptr, nullptr, nullptr, nullptr, 1, false, true, true,
                       false);
    EXPECT_EQ(type_of(r), T_FLOAT);
    EXPECT_EQ(cell_double(r), 3.0);
}

TEST_F(Time, PathAndPickErrors) {
    Cell t = time_cell(60);
    Cell four = int_cell(4);
    Cell half = dbl_cell(0.5);
    Cell minute = int_cell(2);
    EXPECT_EQ(error_of([&] {
                  time_eval_path(&t, &four, nullptr, nullptr, nullptr, nullptr, 1, false, true,
                                 true, false);
              }),
              error_code(kCatScript, err::script::kInvalidPath));
    EXPECT_EQ(error_of([&] {
                  time_eval_path(&t, &minute, &half, nullptr, nullptr, nullptr, 1, false, false,
                                 true, false);
              }),
              error_code(kCatScript, err::script::kInvalidArg));
    EXPECT_EQ(error_of([&] { time_pick(&t, 4, &four); }), kOutOfRange);
    Cell foo = *word_load("foo");
    EXPECT_EQ(error_of([&] { time_pick(&t, 0, &foo); }), kCannotUse);
}

TEST_F(Time, MathOperandRules) {
    struct Case {
        int slot;
        Cell a, b;
        uint8_t type;
        double value;
    };
    const Case cases[] = {
        {A_ADD, time_cell(60), time_cell(30), T_TIME, 90},
        {A_ADD, time_cell(60), int_cell(30), T_TIME, 90},
        {A_SUBTRACT, time_cell(60), dbl_cell(90), T_TIME, -30},
        {A_MULTIPLY, time_cell(60), pct_cell(0.5), T_TIME, 30},
        {A_DIVIDE, time_cell(60), time_cell(30), T_FLOAT, 2},
        {A_DIVIDE, time_cell(60), int_cell(0), T_TIME, std::numeric_limits<double>::infinity()},
    };
    for (const Case& c : cases) {
        Cell r = direct(c.slot, c.a, c.b);
        EXPECT_EQ(type_of(&r), c.type) << c.slot;
        EXPECT_EQ(cell_double(&r), c.value) << c.slot;
    }
    Cell date{T_DATE, 0, 0, 0};
    EXPECT_EQ(error_of([&] { direct(A_MULTIPLY, time_cell(1), time_cell(1)); }), kNotRelated);
    EXPECT_EQ(error_of([&] { direct(A_SUBTRACT, time_cell(1), date); }), kNotRelated);
}

TEST_F(Time, AddWithADateHandsTheDateFirst) {
    static double seen_seconds;
    static uint8_t seen_first;
    g_number_handovers.math[T_DATE] = [](int op) {
        Cell* args = stack_arguments();
        seen_first = type_of(args);
        seen_seconds = op == kMathAdd ? cell_double(args + 1) : -1;
    };
    Cell date{T_DATE, 0, 0, 0};
    direct(A_ADD, time_cell(90), date);
    g_number_handovers.math[T_DATE] = nullptr;
    EXPECT_EQ(seen_first, T_DATE);
    EXPECT_EQ(seen_seconds, 90.0);
}

} // namespace
