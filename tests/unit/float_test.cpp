// float! and the float routines percent! and time! share: text, near-equality,
// the math core and the kind of its results, round, conversions, random.
#include "runtime/datatypes/float/float.h"

#include <limits>

#include "number_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/text/float-text.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Float : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        g_float_pretty = true;
    }
};

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

double next_up(double x, int ulps) {
    for (int i = 0; i < ulps; i++)
        x = std::nextafter(x, kInf);
    return x;
}

TEST_F(Float, FormAndMold) {
    const struct {
        double x;
        const char* form;
        const char* mold;
    } cases[] = {
        {0.1 + 0.2, "0.3", "0.30000000000000004"},
        {0.3, "0.3", "0.3"},
        {1.5, "1.5", "1.5"},
        {100.0, "100.0", "100.0"},
        {1e20, "1.0e20", "1.0e20"},
        {1e-5, "1.0e-5", "0.00001"},
        {1.0 / 3.0, "0.3333333333333333", "0.3333333333333333"},
        {-0.0, "0.0", "-0.0"},
        {0.0, "0.0", "0.0"},
        {kInf, "1.#INF", "1.#INF"},
        {-kInf, "-1.#INF", "-1.#INF"},
        {kNaN, "1.#NaN", "1.#NaN"},
        {2147483648.0, "2147483648.0", "2147483648.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(form_of(dbl_cell(c.x)), c.form) << c.mold;
        EXPECT_EQ(mold_of(dbl_cell(c.x)), c.mold) << c.mold;
    }
    Cell out = string_cell("");
    Cell v = dbl_cell(-2.5);
    EXPECT_EQ(float_mold(&v, &out, false, false, false, nullptr, 10, 0), 6);
    EXPECT_EQ(float_form(&v, &out, nullptr, 3), -1);
}

TEST_F(Float, AlmostEqual) {
    const struct {
        double a, b;
        bool equal;
    } cases[] = {
        {0.1 + 0.2, 0.3, true},
        {1.0, 1.0000000000000002, true},
        {1.0, next_up(1.0, 10), true},
        {1.0, next_up(1.0, 11), false},
        {1e10, next_up(1e10, 10), true},
        {1e10, 1e10 + 1, false},
        {0.0, -0.0, true},
        {1e-300, -1e-300, true},
        {5e-324, -5e-324, true},
        {-1.0, -next_up(1.0, 3), true},
        {1.0, -1.0, false},
        {kInf, kInf, true},
        {kInf, -kInf, false},
        {kNaN, kNaN, false},
        {kNaN, 1.0, false},
        {1.0, kNaN, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(float_almost_equal(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(float_almost_equal(c.b, c.a), c.equal) << c.b << " " << c.a;
    }
}

TEST_F(Float, AlmostEqual32) {
    auto up = [](float x, int n) {
        for (int i = 0; i < n; i++)
            x = std::nextafter(x, std::numeric_limits<float>::infinity());
        return x;
    };
    const float max = std::numeric_limits<float>::max();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float a, b;
        bool equal;
    } cases[] = {
        {1.0f, up(1.0f, 10), true},
        {1.0f, up(1.0f, 11), false},
        {0.0f, -0.0f, true},
        {1e-45f, -1e-45f, true},
        {-2.0f, -up(2.0f, 4), true},
        {max, inf, true},
        {max, -max, false},
        {inf, -inf, false},
        {std::nanf(""), std::nanf(""), false},
        {0.1f, 0.2f, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(float32_almost_equal(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(float32_almost_equal(c.b, c.a), c.equal) << c.b << " " << c.a;
    }
}

TEST_F(Float, Compare) {
    const struct {
        Cell a, b;
        int op;
        int answer;
    } cases[] = {
        {dbl_cell(0.1 + 0.2), dbl_cell(0.3), kCmpEqual, 0},
        {dbl_cell(0.1 + 0.2), dbl_cell(0.3), kCmpNotEqual, 0},
        {dbl_cell(0.1 + 0.2), dbl_cell(0.3), kCmpStrictEqual, 1},
        {dbl_cell(0.1 + 0.2), dbl_cell(0.3), kCmpGreater, 1},
        {dbl_cell(0.0), dbl_cell(-0.0), kCmpStrictEqual, 0},
        {dbl_cell(0.0), dbl_cell(-0.0), kCmpSame, 1},
        {dbl_cell(kNaN), dbl_cell(kNaN), kCmpEqual, 1},
        {dbl_cell(kNaN), dbl_cell(kNaN), kCmpStrictEqual, 1},
        {dbl_cell(kNaN), dbl_cell(kNaN), kCmpSame, 0},
        {dbl_cell(1.0), dbl_cell(kNaN), kCmpLesser, 1},
        {dbl_cell(1.0), dbl_cell(kNaN), kCmpLesserEqual, 1},
        {dbl_cell(1.0), dbl_cell(kNaN), kCmpGreater, -1},
        {dbl_cell(1.0), dbl_cell(kNaN), kCmpGreaterEqual, -1},
        {dbl_cell(1.0), dbl_cell(kNaN), kCmpSort, 0},
        {dbl_cell(1.0), int_cell(1), kCmpEqual, 0},
        {dbl_cell(1.0), int_cell(1), kCmpStrictEqual, 1},
        {dbl_cell(1.0), int_cell(2), kCmpLesser, -1},
        {dbl_cell(0.5), pct_cell(0.5), kCmpEqual, 0},
        {dbl_cell(0.5), pct_cell(0.5), kCmpFind, 1},
        {pct_cell(0.5), pct_cell(0.5), kCmpFind, 0},
        {time_cell(60), dbl_cell(60), kCmpEqual, 0},
        {dbl_cell(1.0), char_cell(1), kCmpEqual, -2},
        {dbl_cell(1.0), string_cell("1.0"), kCmpLesser, -2},
    };
    for (const auto& c : cases) {
        Cell a = c.a, b = c.b;
        EXPECT_EQ(float_compare(&a, &b, c.op), c.answer)
            << mold_of(a) << " op " << c.op << " " << type_of(&b);
    }
}

struct MathCase {
    int slot;
    Cell a, b;
    uint8_t type;
    double value;
};

TEST_F(Float, ArithmeticAndResultKinds) {
    const MathCase cases[] = {
        {A_ADD, dbl_cell(0.5), dbl_cell(0.25), T_FLOAT, 0.75},
        {A_SUBTRACT, dbl_cell(0.5), int_cell(2), T_FLOAT, -1.5},
        {A_MULTIPLY, dbl_cell(0.5), char_cell('A'), T_FLOAT, 32.5},
        {A_DIVIDE, dbl_cell(1.0), dbl_cell(0.0), T_FLOAT, kInf},
        {A_DIVIDE, dbl_cell(-1.0), dbl_cell(0.0), T_FLOAT, -kInf},
        {A_REMAINDER, dbl_cell(5.5), dbl_cell(2.0), T_FLOAT, 1.5},
        {A_REMAINDER, dbl_cell(-5.5), dbl_cell(2.0), T_FLOAT, -1.5},
        {A_REMAINDER, dbl_cell(5.0), dbl_cell(kInf), T_FLOAT, 5.0},
        {A_REMAINDER, dbl_cell(5.0), dbl_cell(-kInf), T_FLOAT, 5.0},
        {A_ADD, dbl_cell(1.0), pct_cell(0.5), T_FLOAT, 1.5},
        {A_ADD, pct_cell(0.5), dbl_cell(1.0), T_PERCENT, 1.5},
        {A_MULTIPLY, pct_cell(0.5), int_cell(3), T_PERCENT, 1.5},
        {A_ADD, pct_cell(0.5), time_cell(60), T_TIME, 60.5},
        {A_MULTIPLY, dbl_cell(2.0), time_cell(60), T_TIME, 120},
        {A_DIVIDE, time_cell(60), dbl_cell(2.0), T_TIME, 30},
        {A_REMAINDER, time_cell(90), time_cell(60), T_TIME, 30},
    };
    for (const MathCase& c : cases) {
        Cell r = direct(c.slot, c.a, c.b);
        EXPECT_EQ(type_of(&r), c.type) << c.slot << " " << mold_of(c.a);
        EXPECT_EQ(cell_double(&r), c.value) << c.slot << " " << mold_of(c.a);
    }
    const MathCase nans[] = {
        {A_REMAINDER, dbl_cell(5.0), dbl_cell(0.0), T_FLOAT, 0},
        {A_REMAINDER, dbl_cell(kInf), dbl_cell(2.0), T_FLOAT, 0},
        {A_REMAINDER, dbl_cell(kInf), dbl_cell(kInf), T_FLOAT, 0},
        {A_REMAINDER, dbl_cell(5.0), dbl_cell(kNaN), T_FLOAT, 0},
        {A_DIVIDE, dbl_cell(0.0), dbl_cell(0.0), T_FLOAT, 0},
    };
    for (const MathCase& c : nans) {
        Cell r = direct(c.slot, c.a, c.b);
        EXPECT_TRUE(std::isnan(cell_double(&r))) << c.slot << " " << mold_of(c.a);
        EXPECT_EQ(mold_of(r), "1.#NaN");
    }
}

TEST_F(Float, ArithmeticErrors) {
    const struct {
        int slot;
        Cell a, b;
        int error;
    } cases[] = {
        {A_ADD, pct_cell(0.5), char_cell('A'), kInvalidType},
        {A_ADD, time_cell(1), char_cell('A'), kInvalidType},
        {A_ADD, dbl_cell(1.0), string_cell("1"), kInvalidType},
        {A_ADD, dbl_cell(1.0), Cell{T_LOGIC, 1, 0, 0}, kInvalidType},
        {A_SUBTRACT, dbl_cell(1.0), Cell{T_PAIR, 1, 2, 0}, kNotRelated},
        {A_DIVIDE, dbl_cell(1.0), Cell{T_POINT2D, 0, 0, 0}, kNotRelated},
    };
    for (const auto& c : cases) {
        frame(c.a, c.b);
        int slot = c.slot;
        uint8_t t = type_of(&c.a);
        EXPECT_EQ(error_of([slot, t] { reinterpret_cast<DirectFn>(action_entry(t, slot))(); }),
                  c.error)
            << slot << " " << mold_of(c.a) << " " << type_of(&c.b);
    }
    EXPECT_EQ(error_of([] { float_do_math_op(1.0, 2.0, kMathAnd); }), kCannotUse);
    EXPECT_EQ(g_pending_error.args[1].data1, T_FLOAT);
    // float! has no bitwise actions of its own.
    EXPECT_EQ(action_entry(T_FLOAT, A_AND_T), ActionEntry{0});
}

// A pair or point hand-over sees the pair first and the number second, of the number's kind.
uint8_t g_first;
uint8_t g_second;
double g_second_value;
void record_math(int) {
    g_first = type_of(stack_arguments());
    g_second = type_of(stack_arguments() + 1);
    g_second_value = cell_double(stack_arguments() + 1);
}

TEST_F(Float, HandsPairMathOverSwapped) {
    NumberHandovers saved = g_number_handovers;
    g_number_handovers.math[T_PAIR] = record_math;
    direct(A_MULTIPLY, pct_cell(0.25), Cell{T_PAIR, 0, 3, 4});
    EXPECT_EQ(g_first, T_PAIR);
    EXPECT_EQ(g_second, T_PERCENT);
    EXPECT_EQ(g_second_value, 0.25);
    g_number_handovers = saved;
}

TEST_F(Float, UnaryActions) {
    const struct {
        double x;
        double negated;
        double absolute;
        bool even;
    } cases[] = {
        {2.5, -2.5, 2.5, true},    {-2.5, 2.5, 2.5, true},    {3.9, -3.9, 3.9, false},
        {-3.9, 3.9, 3.9, false},   {0.0, 0.0, 0.0, true},     {-0.0, 0.0, 0.0, true},
        {1e10, -1e10, 1e10, true}, {kInf, -kInf, kInf, true},
    };
    for (const auto& c : cases) {
        Cell* v = frame(dbl_cell(c.x));
        Cell* r = float_negate(v);
        EXPECT_EQ(bits_of(cell_double(r)), bits_of(c.negated)) << c.x;
        Cell a = direct(A_ABSOLUTE, dbl_cell(c.x));
        EXPECT_EQ(bits_of(cell_double(&a)), bits_of(c.absolute)) << c.x;
        Cell e = dbl_cell(c.x);
        EXPECT_EQ(float_even(&e), c.even) << c.x;
        EXPECT_EQ(float_odd(&e), !c.even) << c.x;
    }
    Cell a = direct(A_ABSOLUTE, pct_cell(-0.5));
    EXPECT_EQ(type_of(&a), T_PERCENT);
    EXPECT_EQ(cell_double(&a), 0.5);
}

TEST_F(Float, Power) {
    const MathCase cases[] = {
        {A_POWER, dbl_cell(2.0), dbl_cell(0.5), T_FLOAT, 1.4142135623730951},
        {A_POWER, dbl_cell(2.0), int_cell(-2), T_FLOAT, 0.25},
        {A_POWER, dbl_cell(0.0), int_cell(0), T_FLOAT, 1.0},
        {A_POWER, pct_cell(0.5), int_cell(2), T_PERCENT, 0.25},
    };
    for (const MathCase& c : cases) {
        Cell r = direct(c.slot, c.a, c.b);
        EXPECT_EQ(type_of(&r), c.type);
        EXPECT_EQ(cell_double(&r), c.value);
    }
    EXPECT_EQ(error_of([] { direct(A_POWER, dbl_cell(2.0), string_cell("2")); }), kExpectArg);
    EXPECT_EQ(g_pending_error.args[1].data1, T_STRING);
}

struct RoundCase {
    Cell value;
    Cell scale; // unset!: no /to
    const char* rule;
    uint8_t type;
    double result;
};

TEST_F(Float, Round) {
    const Cell no{T_UNSET, 0, 0, 0};
    const RoundCase cases[] = {
        {dbl_cell(2.5), no, "", T_FLOAT, 3.0},
        {dbl_cell(-2.5), no, "", T_FLOAT, -3.0},
        {dbl_cell(2.4), no, "", T_FLOAT, 2.0},
        {dbl_cell(2.5), no, "even", T_FLOAT, 2.0},
        {dbl_cell(3.5), no, "even", T_FLOAT, 4.0},
        {dbl_cell(-3.5), no, "even", T_FLOAT, -4.0},
        {dbl_cell(-2.7), no, "down", T_FLOAT, -2.0},
        {dbl_cell(-2.1), no, "floor", T_FLOAT, -3.0},
        {dbl_cell(2.1), no, "ceiling", T_FLOAT, 3.0},
        {dbl_cell(2.5), no, "half-down", T_FLOAT, 2.0},
        {dbl_cell(-2.5), no, "half-ceiling", T_FLOAT, -2.0},
        {dbl_cell(2.5), no, "half-ceiling", T_FLOAT, 3.0},
        {dbl_cell(-0.4), no, "", T_FLOAT, 0.0},
        {dbl_cell(2.57), dbl_cell(0.1), "", T_FLOAT, 2.6},
        {dbl_cell(7.3), int_cell(2), "", T_INTEGER, 8},
        {dbl_cell(-7.3), int_cell(-2), "", T_INTEGER, -8},
        {dbl_cell(1e20), int_cell(1), "", T_FLOAT, 1e20},
        {dbl_cell(3e9), int_cell(1), "", T_INTEGER, INT32_MIN},
        {dbl_cell(12.0), dbl_cell(5.0), "", T_FLOAT, 10.0},
        {dbl_cell(0.125), pct_cell(0.5), "", T_PERCENT, 0.0},
        {dbl_cell(90.0), time_cell(60), "", T_TIME, 120.0},
        {dbl_cell(kInf), no, "", T_FLOAT, kInf},
        // percent! rounds to whole percents, an integer! scale counting percent points.
        {pct_cell(0.12345), no, "", T_PERCENT, 0.12},
        {pct_cell(0.125), int_cell(1), "", T_PERCENT, 0.13},
        {pct_cell(0.125), int_cell(5), "", T_PERCENT, 0.15},
        // A zero scale leaves the value as it is.
        {dbl_cell(2.5), dbl_cell(0.0), "", T_FLOAT, 2.5},
        {dbl_cell(0.0), int_cell(0), "", T_FLOAT, 0.0},
        // Scales too small for their inverse to be finite.
        {dbl_cell(3e-310), dbl_cell(1e-310), "", T_FLOAT, 3.0 * 1e-310},
        {dbl_cell(2.4e-322), dbl_cell(1e-322), "down", T_FLOAT, 2.0 * 1e-322},
    };
    for (const RoundCase& c : cases) {
        Cell r = round_by(c.value, c.scale, c.rule);
        EXPECT_EQ(type_of(&r), c.type) << mold_of(c.value) << " " << c.rule;
        double got = type_of(&r) == T_INTEGER ? integer_get(&r) : cell_double(&r);
        EXPECT_EQ(got, c.result) << mold_of(c.value) << " " << c.rule << " " << mold_of(c.scale);
    }
    // A negative quotient that rounds to zero gives +0.0.
    Cell zero = round_by(dbl_cell(-0.4), no, "");
    EXPECT_EQ(bits_of(cell_double(&zero)), 0u);
    EXPECT_EQ(error_of([] { round_by(dbl_cell(1.7e308), dbl_cell(1e308), ""); }), kOverflow);
    EXPECT_EQ(error_of([] { round_by(dbl_cell(2.5), Cell{T_MONEY, 0, 0, 0}, ""); }), kNotRelated);
}

TEST_F(Float, RoundInPlaceLeavesTheResultSlot) {
    // Types that round component by component call the routine on cells of their own.
    frame(int_cell(99));
    Cell v = dbl_cell(2.5);
    EXPECT_EQ(float_round(&v, nullptr, false, false, false, false, false, false), &v);
    EXPECT_EQ(cell_double(&v), 3.0);
    Cell i = int_cell(17);
    Cell s = int_cell(5);
    integer_round(&i, &s, false, false, false, false, false, false);
    EXPECT_EQ(integer_get(&i), 15);
    EXPECT_EQ(integer_get(stack_arguments()), 99);
}

TEST_F(Float, Conversions) {
    const struct {
        Cell source;
        uint8_t target;
        double value;
    } cases[] = {
        {int_cell(3), T_FLOAT, 3.0},
        {int_cell(INT32_MIN), T_FLOAT, -2147483648.0},
        {char_cell('A'), T_FLOAT, 65.0},
        {dbl_cell(0.5), T_PERCENT, 0.5},
        {pct_cell(0.5), T_FLOAT, 0.5},
        {time_cell(90.5), T_FLOAT, 90.5},
        {binary_cell({0x3F, 0xF0, 0, 0, 0, 0, 0, 0}), T_FLOAT, 1.0},
        {binary_cell({0x3F, 0xF0, 0, 0, 0, 0, 0, 0, 0xFF}), T_FLOAT, 1.0},
        {binary_cell({}), T_FLOAT, 0.0},
        {binary_cell({0x01}), T_FLOAT, 5e-324},
        {block_cell({dbl_cell(1.5), int_cell(3)}), T_FLOAT, 1500.0},
        {block_cell({int_cell(15), dbl_cell(-1.9)}), T_FLOAT, 1.5},
        {string_cell("1,5"), T_FLOAT, 1.5},
        {string_cell("-2.5e3"), T_FLOAT, -2500.0},
        {string_cell("12"), T_FLOAT, 12.0},
        {string_cell("50%"), T_PERCENT, 0.5},
        {string_cell("0.25"), T_PERCENT, 0.25},
        {string_cell("3"), T_PERCENT, 3.0},
    };
    for (const auto& c : cases) {
        Cell* slot = frame(type_cell(c.target), c.source);
        Cell* r = float_make(slot, slot + 1, c.target);
        EXPECT_EQ(type_of(r), c.target) << mold_of(c.source);
        EXPECT_EQ(cell_double(r), c.value) << mold_of(c.source);
    }
    const struct {
        Cell source;
        uint8_t target;
    } failures[] = {
        {string_cell(""), T_FLOAT},
        {string_cell("abc"), T_FLOAT},
        {string_cell("1.5x"), T_FLOAT},
        {string_cell("abc"), T_PERCENT},
        {block_cell({int_cell(1)}), T_FLOAT},
        {block_cell({int_cell(1), int_cell(2), int_cell(3)}), T_FLOAT},
        {block_cell({int_cell(1), string_cell("2")}), T_FLOAT},
        {Cell{T_NONE, 0, 0, 0}, T_FLOAT},
    };
    for (const auto& c : failures) {
        Cell source = c.source;
        uint8_t target = c.target;
        EXPECT_EQ(error_of([&source, target] {
                      Cell* slot = frame(type_cell(target), source);
                      float_make(slot, slot + 1, target);
                  }),
                  kBadToArg)
            << type_of(&source);
    }
}

TEST_F(Float, IntegerConversionHelpers) {
    const struct {
        double x;
        int32_t truncated;
        bool in_range;
    } cases[] = {
        {2147483647.0, 2147483647, true},
        {2147483647.9, 2147483647, false},
        {2147483648.0, INT32_MIN, false},
        {-2147483648.0, INT32_MIN, true},
        {-2147483648.9, INT32_MIN, false},
        {-2147483649.0, INT32_MIN, false},
        {-1.9, -1, true},
        {-0.5, 0, true},
        {kNaN, INT32_MIN, false},
        {kInf, INT32_MIN, false},
        {-kInf, INT32_MIN, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(float_to_int32(c.x), c.truncated) << c.x;
        Cell f = dbl_cell(c.x);
        int error = error_of([&f] { float_to_integer_checked(&f); });
        EXPECT_EQ(error, c.in_range ? -1 : kOutOfRange) << c.x;
        if (c.in_range) {
            EXPECT_EQ(float_to_integer_checked(&f), c.truncated);
        }
    }
    Cell i = int_cell(-7);
    EXPECT_EQ(float_to_integer_checked(&i), -7);
    EXPECT_EQ(float_round_to_int(2.4), 2);
    EXPECT_EQ(float_round_to_int(2.6), 3);
    EXPECT_EQ(float_round_to_int(0.49999999999999994), 0);
    EXPECT_EQ(float_round_to_int(3e9), INT32_MIN);
}

TEST_F(Float, SpecialValueTests) {
    EXPECT_TRUE(float_nan(kNaN));
    EXPECT_TRUE(float_nan(-kNaN));
    EXPECT_FALSE(float_nan(kInf));
    EXPECT_TRUE(float_special(kInf));
    EXPECT_TRUE(float_special(-kInf));
    EXPECT_TRUE(float_special(kNaN));
    EXPECT_FALSE(float_special(kFloatMax));
    EXPECT_TRUE(float32_nan(std::nanf("")));
    EXPECT_FALSE(float32_nan(1.0f));
    EXPECT_EQ(bits_of(float_abs(-0.0)), 0u);
}

TEST_F(Float, CellHelpers) {
    Cell c{T_INTEGER | kNewLineFlag, 1, 2, 3};
    float_make_at(&c, 1.25);
    EXPECT_EQ(c.header, T_FLOAT);
    EXPECT_EQ(float_get(&c), 1.25);
    Cell* p = float_push_bits(0x3FF00000u, 0u);
    EXPECT_EQ(type_of(p), T_FLOAT);
    EXPECT_EQ(float_get(p), 1.0);
    EXPECT_EQ(float_get(float_push(-3.0)), -3.0);
    frame(int_cell(1));
    float_box(0.5);
    EXPECT_EQ(type_of(stack_arguments()), T_FLOAT);
    Cell blk = block_cell({});
    float_make_in(&blk, 6.5);
    EXPECT_EQ(float_get(block_cell_at(&blk, 0)), 6.5);
}

TEST_F(Float, Random) {
    for (double x : {10.0, -10.0, 0.5}) {
        for (int i = 0; i < 50; i++) {
            Cell* v = frame(dbl_cell(x));
            double r = cell_double(float_random(v, false, i % 2 == 1, false));
            EXPECT_GE(std::fabs(r), 0.0);
            EXPECT_LE(std::fabs(r), std::fabs(x));
            EXPECT_TRUE(r == 0.0 || (r > 0) == (x > 0));
        }
    }
    Cell* v = frame(dbl_cell(0.0));
    EXPECT_EQ(cell_double(float_random(v, false, true, false)), 0.0);
    // Seeding from the double's two halves repeats the sequence.
    double first = 0;
    for (int round = 0; round < 2; round++) {
        v = frame(dbl_cell(3.25));
        EXPECT_EQ(type_of(float_random(v, true, false, false)), T_UNSET);
        v = frame(dbl_cell(100.0));
        double r = cell_double(float_random(v, false, false, false));
        if (round == 0)
            first = r;
        else
            EXPECT_EQ(r, first);
    }
    v = frame(pct_cell(0.5));
    EXPECT_EQ(type_of(float_random(v, false, false, false)), T_PERCENT);
}

} // namespace
