// integer!: text, the 32-bit math core with its float fall-over, power,
// round, conversions and comparison.
#include "runtime/datatypes/integer/integer.h"

#include "number_test_support.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Integer : public test::RuntimeFixture {};

// What a computation left: its type and its number.
struct Number {
    uint8_t type;
    double value;
};
Number number_of(const Cell& c) {
    uint8_t t = type_of(&c);
    if (t == T_INTEGER || t == T_CHAR) return {t, double(static_cast<int32_t>(c.data2))};
    return {t, cell_double(&c)};
}
void expect_number(const Cell& c, uint8_t type, double value, const std::string& what) {
    Number n = number_of(c);
    EXPECT_EQ(n.type, type) << what;
    EXPECT_EQ(n.value, value) << what;
}

TEST_F(Integer, FormAndMold) {
    const struct {
        int32_t v;
        const char* text;
    } cases[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {2147483647, "2147483647"}, {INT32_MIN, "-2147483648"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(form_of(int_cell(c.v)), c.text);
        EXPECT_EQ(mold_of(int_cell(c.v)), c.text);
    }
    Cell out = string_cell("");
    Cell v = int_cell(-123);
    EXPECT_EQ(integer_form(&v, &out, nullptr, 10), 6);
}

TEST_F(Integer, Arithmetic) {
    const struct {
        int slot;
        Cell a, b;
        uint8_t type;
        double value;
    } cases[] = {
        {A_ADD, int_cell(1), int_cell(2), T_INTEGER, 3},
        {A_ADD, int_cell(2147483647), int_cell(1), T_FLOAT, 2147483648.0},
        {A_ADD, int_cell(INT32_MIN), int_cell(-1), T_FLOAT, -2147483649.0},
        {A_SUBTRACT, int_cell(INT32_MIN), int_cell(1), T_FLOAT, -2147483649.0},
        {A_SUBTRACT, int_cell(0), int_cell(INT32_MIN), T_FLOAT, 2147483648.0},
        {A_SUBTRACT, int_cell(-1), int_cell(2147483647), T_INTEGER, INT32_MIN},
        {A_MULTIPLY, int_cell(65536), int_cell(65536), T_FLOAT, 4294967296.0},
        {A_MULTIPLY, int_cell(INT32_MIN), int_cell(-1), T_FLOAT, 2147483648.0},
        {A_MULTIPLY, int_cell(-46341), int_cell(46340), T_INTEGER, -2147441940},
        {A_DIVIDE, int_cell(7), int_cell(2), T_FLOAT, 3.5},
        {A_DIVIDE, int_cell(6), int_cell(2), T_INTEGER, 3},
        {A_DIVIDE, int_cell(-7), int_cell(2), T_FLOAT, -3.5},
        {A_DIVIDE, int_cell(INT32_MIN), int_cell(1), T_INTEGER, INT32_MIN},
        {A_REMAINDER, int_cell(-7), int_cell(2), T_INTEGER, -1},
        {A_REMAINDER, int_cell(7), int_cell(-2), T_INTEGER, 1},
        {A_REMAINDER, int_cell(INT32_MIN), int_cell(3), T_INTEGER, -2},
        {A_AND_T, int_cell(12), int_cell(10), T_INTEGER, 8},
        {A_OR_T, int_cell(12), int_cell(10), T_INTEGER, 14},
        {A_XOR_T, int_cell(12), int_cell(10), T_INTEGER, 6},
        {A_AND_T, int_cell(-1), int_cell(INT32_MIN), T_INTEGER, INT32_MIN},
        // A char! right operand counts as its code point; the result stays integer!.
        {A_ADD, int_cell(1), char_cell('A'), T_INTEGER, 66},
        // Float-kind right operands go to the float core.
        {A_ADD, int_cell(1), dbl_cell(0.5), T_FLOAT, 1.5},
        {A_ADD, int_cell(1), pct_cell(0.5), T_FLOAT, 1.5},
        {A_MULTIPLY, int_cell(2), time_cell(30), T_TIME, 60},
        {A_DIVIDE, int_cell(1), dbl_cell(0.0), T_FLOAT, INFINITY},
    };
    for (const auto& c : cases) {
        Cell r = direct(c.slot, c.a, c.b);
        expect_number(r, c.type, c.value,
                      std::to_string(c.slot) + " " + std::to_string(number_of(c.a).value));
    }
}

TEST_F(Integer, ArithmeticErrors) {
    const struct {
        int slot;
        Cell a, b;
        int error;
    } cases[] = {
        {A_DIVIDE, int_cell(1), int_cell(0), kZeroDivide},
        {A_REMAINDER, int_cell(1), int_cell(0), kZeroDivide},
        {A_DIVIDE, int_cell(INT32_MIN), int_cell(-1), kOverflow},
        {A_REMAINDER, int_cell(INT32_MIN), int_cell(-1), kOverflow},
        {A_ADD, int_cell(1), string_cell("2"), kInvalidType},
        // Operations the other type's math does not define with a number.
        {A_DIVIDE, int_cell(1), Cell{T_PAIR, 1, 2, 0}, kNotRelated},
        {A_SUBTRACT, int_cell(1), Cell{T_TUPLE, 0, 0, 0}, kNotRelated},
        {A_DIVIDE, int_cell(1), Cell{T_TUPLE, 0, 0, 0}, kNotRelated},
        {A_MULTIPLY, int_cell(1), Cell{T_DATE, 0, 0, 0}, kNotRelated},
    };
    for (const auto& c : cases) {
        frame(c.a, c.b);
        int slot = c.slot;
        EXPECT_EQ(error_of([slot] { reinterpret_cast<DirectFn>(action_entry(T_INTEGER, slot))(); }),
                  c.error)
            << slot;
    }
    ASSERT_EQ(error_of([] { direct(A_ADD, int_cell(1), string_cell("2")); }), kInvalidType);
    ASSERT_EQ(g_pending_error.arg_count, 1);
    EXPECT_EQ(g_pending_error.args[0].data1, T_STRING);
}

TEST_F(Integer, MathCoreWithoutResultCellTruncates) {
    EXPECT_EQ(integer_do_math_op(7, 2, kMathDivide, nullptr), 3);
    EXPECT_EQ(integer_do_math_op(-7, 2, kMathDivide, nullptr), -3);
    // A given result cell keeps its header when the result stays an integer.
    Cell c = char_cell('a');
    EXPECT_EQ(integer_do_math_op(97, 1, kMathAdd, &c), 98);
    EXPECT_EQ(type_of(&c), T_CHAR);
    EXPECT_EQ(c.data2, 98u);
    c.header = T_CHAR | kNewLineFlag;
    EXPECT_EQ(integer_do_math_op(2147483647, 2147483647, kMathAdd, &c), 0);
    EXPECT_EQ(c.header, T_FLOAT);
    EXPECT_EQ(cell_double(&c), 4294967294.0);
}

// A hand-over registered by a type with its own math gets the frame swapped
// as that type expects.
uint8_t g_seen_first;
uint8_t g_seen_second;
int g_seen_op;
void record_math(int op) {
    g_seen_first = type_of(stack_arguments());
    g_seen_second = type_of(stack_arguments() + 1);
    g_seen_op = op;
}

TEST_F(Integer, HandsMixedMathToTheOtherType) {
    NumberHandovers saved = g_number_handovers;
    g_number_handovers.math[T_TUPLE] = record_math;
    g_number_handovers.math[T_MONEY] = record_math;
    direct(A_MULTIPLY, int_cell(3), Cell{T_TUPLE, 0, 0, 0});
    EXPECT_EQ(g_seen_first, T_TUPLE);
    EXPECT_EQ(g_seen_second, T_INTEGER);
    EXPECT_EQ(g_seen_op, kMathMultiply);
    direct(A_SUBTRACT, int_cell(3), Cell{T_MONEY, 0, 0, 0});
    EXPECT_EQ(g_seen_first, T_INTEGER);
    EXPECT_EQ(g_seen_second, T_MONEY);
    EXPECT_EQ(g_seen_op, kMathSubtract);
    g_number_handovers = saved;
}

TEST_F(Integer, UnaryActions) {
    frame(int_cell(5));
    EXPECT_EQ(integer_get(integer_negate(stack_arguments())), -5);
    EXPECT_EQ(integer_get(integer_complement(stack_arguments())), 4);
    EXPECT_EQ(number_of(direct(A_ABSOLUTE, int_cell(-5))).value, 5);
    EXPECT_EQ(number_of(direct(A_ABSOLUTE, int_cell(INT32_MIN + 1))).value, 2147483647);
    EXPECT_EQ(error_of([] { direct(A_ABSOLUTE, int_cell(INT32_MIN)); }), kOverflow);
    EXPECT_EQ(error_of([] {
                  frame(int_cell(INT32_MIN));
                  integer_negate(stack_arguments());
              }),
              kOverflow);
    for (int32_t v : {0, 1, -1, 2, -2, INT32_MIN, 2147483647}) {
        Cell c = int_cell(v);
        EXPECT_EQ(integer_even(&c), v % 2 == 0) << v;
        EXPECT_EQ(integer_odd(&c), v % 2 != 0) << v;
    }
}

TEST_F(Integer, Power) {
    const struct {
        Cell base, exponent;
        uint8_t type;
        double value;
    } cases[] = {
        {int_cell(2), int_cell(10), T_INTEGER, 1024},
        {int_cell(2), int_cell(30), T_INTEGER, 1073741824},
        {int_cell(2), int_cell(31), T_FLOAT, 2147483648.0},
        {int_cell(-2), int_cell(31), T_INTEGER, INT32_MIN},
        {int_cell(3), int_cell(20), T_FLOAT, 3486784401.0},
        {int_cell(2), int_cell(-2), T_FLOAT, 0.25},
        {int_cell(2), int_cell(-1), T_FLOAT, 0.5},
        {int_cell(0), int_cell(0), T_INTEGER, 1},
        {int_cell(-1), int_cell(2147483647), T_INTEGER, -1},
        {int_cell(46341), int_cell(1), T_INTEGER, 46341},
        {int_cell(4), dbl_cell(0.5), T_FLOAT, 2.0},
    };
    for (const auto& c : cases)
        expect_number(direct(A_POWER, c.base, c.exponent), c.type, c.value,
                      std::to_string(number_of(c.base).value) + " ^ " +
                          std::to_string(number_of(c.exponent).value));
    EXPECT_EQ(error_of([] { direct(A_POWER, int_cell(2), pct_cell(0.5)); }), kExpectArg);
    EXPECT_EQ(g_pending_error.args[1].data1, T_PERCENT);
}

struct RoundCase {
    int32_t n;
    Cell scale; // unset!: no /to
    const char* rule;
    uint8_t type;
    double value;
};

TEST_F(Integer, Round) {
    const Cell none{T_UNSET, 0, 0, 0};
    const RoundCase cases[] = {
        {17, int_cell(5), "", T_INTEGER, 15},
        {18, int_cell(5), "", T_INTEGER, 20},
        {-18, int_cell(5), "", T_INTEGER, -20},
        {15, int_cell(10), "", T_INTEGER, 20},
        {-15, int_cell(10), "", T_INTEGER, -20},
        {25, int_cell(10), "even", T_INTEGER, 20},
        {35, int_cell(10), "even", T_INTEGER, 40},
        {15, int_cell(10), "half-down", T_INTEGER, 10},
        {-15, int_cell(10), "half-ceiling", T_INTEGER, -10},
        {15, int_cell(10), "half-ceiling", T_INTEGER, 20},
        {-11, int_cell(5), "floor", T_INTEGER, -15},
        {11, int_cell(5), "floor", T_INTEGER, 10},
        {-11, int_cell(5), "ceiling", T_INTEGER, -10},
        {11, int_cell(5), "ceiling", T_INTEGER, 15},
        {-19, int_cell(5), "down", T_INTEGER, -15},
        {17, int_cell(-5), "", T_INTEGER, 15},
        {7, int_cell(0), "", T_INTEGER, 7},
        {20, int_cell(5), "ceiling", T_INTEGER, 20},
        {INT32_MIN, none, "", T_INTEGER, INT32_MIN},
        {INT32_MIN, int_cell(10), "", T_INTEGER, INT32_MIN},
        {42, none, "", T_INTEGER, 42},
        {2147483647, int_cell(10), "down", T_INTEGER, 2147483640},
        // A scale that is not an integer! rounds through float!.
        {7, dbl_cell(2.0), "", T_FLOAT, 8.0},
        {7, dbl_cell(0.5), "", T_FLOAT, 7.0},
        {7, pct_cell(0.5), "", T_PERCENT, 7.0},
    };
    for (const RoundCase& c : cases)
        expect_number(round_by(int_cell(c.n), c.scale, c.rule), c.type, c.value,
                      std::to_string(c.n) + " " + c.rule + " " +
                          std::to_string(number_of(c.scale).value));

    const RoundCase overflows[] = {
        {2147483647, int_cell(10), "", 0, 0},       {2147483647, int_cell(10), "ceiling", 0, 0},
        {-2147483647, int_cell(10), "floor", 0, 0}, {2147483647, int_cell(2), "even", 0, 0},
        {5, int_cell(INT32_MIN), "", 0, 0},
    };
    for (const RoundCase& c : overflows)
        EXPECT_EQ(error_of([&c] { round_by(int_cell(c.n), c.scale, c.rule); }), kOverflow)
            << c.n << " " << c.rule;
    EXPECT_EQ(error_of([] { round_by(int_cell(5), Cell{T_MONEY, 0, 0, 0}, ""); }), kNotRelated);
    EXPECT_EQ(g_pending_error.args[1].data1, T_MONEY);
}

TEST_F(Integer, Conversions) {
    const struct {
        Cell source;
        int32_t value;
    } cases[] = {
        {int_cell(-5), -5},
        {char_cell(0x20AC), 0x20AC},
        {dbl_cell(3.99), 3},
        {dbl_cell(-3.99), -3},
        {dbl_cell(2147483647.0), 2147483647},
        {pct_cell(12.5), 12},
        {time_cell(90.4), 90},
        {time_cell(90.5), 91},
        {binary_cell({1, 2, 3, 4}), 16909060},
        {binary_cell({1, 2, 3, 4, 5}), 16909060},
        {binary_cell({0xFF}), 255},
        {binary_cell({0xFF, 0xFF, 0xFF, 0xFF}), -1},
        {binary_cell({}), 0},
        {issue_cell("FF"), 255},
        {issue_cell("ff"), 255},
        {issue_cell("7FFFFFFF"), 2147483647},
        {issue_cell("FFFFFFFF"), -1},
        {string_cell("12"), 12},
        {string_cell("-2147483648"), INT32_MIN},
    };
    for (const auto& c : cases) {
        Cell* slot = frame(type_cell(T_INTEGER), c.source);
        Cell* r = integer_to(slot, slot + 1, T_INTEGER);
        EXPECT_EQ(type_of(r), T_INTEGER);
        EXPECT_EQ(integer_get(r), c.value) << mold_of(c.source);
    }

    const struct {
        Cell source;
        int error;
    } failures[] = {
        {dbl_cell(1e10), kTypeLimit},
        {dbl_cell(2147483648.0), kTypeLimit},
        {dbl_cell(-2147483649.0), kTypeLimit},
        {dbl_cell(NAN), kTypeLimit},
        {pct_cell(-1e300), kTypeLimit},
        {issue_cell("123456789"), kInvalidData},
        {issue_cell("FG"), kInvalidData},
        // Only ASCII hex digits count, whatever the low bits of a wider character.
        {issue_cell("\xC3\x81"), kInvalidData},
        {string_cell("abc"), kBadToArg},
        {string_cell("2147483648"), kBadToArg},
        {block_cell({int_cell(1)}), kBadToArg},
        {Cell{T_NONE, 0, 0, 0}, kBadToArg},
    };
    for (const auto& c : failures) {
        Cell source = c.source;
        EXPECT_EQ(error_of([&source] {
                      Cell* slot = frame(type_cell(T_INTEGER), source);
                      integer_to(slot, slot + 1, T_INTEGER);
                  }),
                  c.error)
            << type_of(&source);
    }
}

TEST_F(Integer, MakeTakesLogic) {
    for (bool truth : {true, false}) {
        Cell* slot = frame(type_cell(T_INTEGER), Cell{T_LOGIC, truth ? 1u : 0u, 0, 0});
        EXPECT_EQ(integer_get(integer_make(slot, slot + 1, T_INTEGER)), truth ? 1 : 0);
    }
    Cell* slot = frame(type_cell(T_INTEGER), dbl_cell(-2.5));
    EXPECT_EQ(integer_get(integer_make(slot, slot + 1, T_INTEGER)), -2);
}

TEST_F(Integer, Compare) {
    const struct {
        Cell other;
        int op;
        int answer;
    } cases[] = {
        {int_cell(1), kCmpEqual, 0},
        {int_cell(2), kCmpLesser, -1},
        {int_cell(INT32_MIN), kCmpGreater, 1},
        {char_cell(1), kCmpEqual, 0},
        {char_cell(1), kCmpStrictEqual, 1},
        {char_cell(1), kCmpFind, 1},
        {dbl_cell(1.0), kCmpEqual, 0},
        {dbl_cell(1.0), kCmpStrictEqual, 1},
        {dbl_cell(1.0000000000000002), kCmpEqual, 0},
        {dbl_cell(1.5), kCmpLesser, -1},
        {pct_cell(1.0), kCmpEqual, 0},
        {string_cell("1"), kCmpEqual, -2},
    };
    for (const auto& c : cases) {
        Cell one = int_cell(1);
        Cell other = c.other;
        EXPECT_EQ(integer_compare(&one, &other, c.op), c.answer) << type_of(&other) << " " << c.op;
    }
}

TEST_F(Integer, Random) {
    Cell* v = frame(int_cell(0));
    EXPECT_EQ(integer_get(integer_random(v, false, false, false)), 0);
    for (int32_t n : {1, -1, 6, -6, INT32_MIN, 2147483647}) {
        for (int i = 0; i < 50; i++) {
            v = frame(int_cell(n));
            int32_t r = integer_get(integer_random(v, false, i % 2 == 1, false));
            if (n > 0) {
                EXPECT_GE(r, 1);
                EXPECT_LE(r, n);
            } else {
                EXPECT_LE(r, -1);
                EXPECT_GE(r, n);
            }
        }
    }
    // Seeding repeats the sequence and returns unset!.
    int32_t first[5];
    for (int round = 0; round < 2; round++) {
        v = frame(int_cell(1234));
        EXPECT_EQ(type_of(integer_random(v, true, false, false)), T_UNSET);
        for (int i = 0; i < 5; i++) {
            v = frame(int_cell(1000000));
            int32_t r = integer_get(integer_random(v, false, false, false));
            if (round == 0)
                first[i] = r;
            else
                EXPECT_EQ(r, first[i]);
        }
    }
    // A char! takes integer!'s random and stays a char!.
    v = frame(char_cell('z'));
    Cell* r = action_of<A_RANDOM>(T_CHAR)(v, false, false, false);
    EXPECT_EQ(type_of(r), T_CHAR);
    EXPECT_GE(r->data2, 1u);
    EXPECT_LE(r->data2, uint32_t{'z'});
}

TEST_F(Integer, CellHelpers) {
    Cell c{T_NONE | kNewLineFlag, 9, 9, 9};
    integer_make_at(&c, -4);
    EXPECT_EQ(c.header, T_INTEGER | kNewLineFlag);
    EXPECT_EQ(integer_get(&c), -4);
    Cell blk = block_cell({});
    integer_make_in(&blk, 77);
    EXPECT_EQ(block_buffer_length(&blk), 1u);
    EXPECT_EQ(integer_get(block_cell_at(&blk, 0)), 77);
    frame(dbl_cell(1.0));
    EXPECT_EQ(integer_arg_or_zero(), 0);
    integer_box(12);
    EXPECT_EQ(integer_get_arg(), 12);
    EXPECT_EQ(integer_arg_or_zero(), 12);
    EXPECT_EQ(integer_get(integer_push(3)), 3);
    EXPECT_EQ(integer_sign_of(INT32_MIN), -1);
    EXPECT_EQ(integer_sign_of(0), 0);
    EXPECT_EQ(integer_sign_of(9), 1);
    const struct {
        double d;
        bool overflow;
    } limits[] = {{2147483647.0, false}, {2147483647.5, true}, {-2147483648.0, false},
                  {-2147483648.5, true}, {NAN, true},          {INFINITY, true}};
    for (const auto& l : limits) {
        Cell f = dbl_cell(l.d);
        EXPECT_EQ(integer_float_overflow(&f), l.overflow) << l.d;
    }
}

} // namespace
