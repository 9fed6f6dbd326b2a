// char!: made from numbers, strings and binaries, formed, molded, compared and
// computed with, always within 0 to 0x10FFFF.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/registry.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "string_test_support.h"

using namespace xel;
using namespace xel::testing_text;

namespace {

Cell integer(int32_t v) {
    return Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
}
Cell floating(double d, uint8_t type = T_FLOAT) {
    Cell c{type, 0, 0, 0};
    cell_set_double(&c, d);
    return c;
}
Cell character(uint32_t cp) {
    Cell c;
    char_set(&c, cp);
    return c;
}
Cell binary(std::vector<uint8_t> bytes) {
    Cell c;
    string_bytes_to_binary(&c, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return c;
}

class Char : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    // Runs a math op on two values pushed as the current frame's arguments.
    static Cell math(Cell left, Cell right, int op) {
        Cell* args = stack_arguments();
        args[0] = left;
        args[1] = right;
        char_do_math(op);
        return args[0];
    }
};

TEST_F(Char, RowIsRegistered) {
    EXPECT_EQ(action_of<A_MAKE>(T_CHAR), &char_make);
    EXPECT_EQ(action_of<A_TO>(T_CHAR), &char_make);
    EXPECT_EQ(action_of<A_MOLD>(T_CHAR), &char_mold);
    EXPECT_EQ(action_of<A_COMPARE>(T_CHAR), &char_compare);
    EXPECT_NE(action_entry(T_CHAR, A_ADD), 0u);
    EXPECT_EQ(action_entry(T_CHAR, A_NEGATE), 0u);
    EXPECT_EQ(action_entry(T_CHAR, A_EVAL_PATH), 0u);
    EXPECT_EQ(action_entry(T_CHAR, A_EVEN_Q), action_entry(T_INTEGER, A_EVEN_Q));
}

TEST_F(Char, MadeFromValues) {
    Cell abc = string_from("abc");
    Cell at_c = abc;
    at_c.data1 = 2;
    Cell file = abc;
    cell_set_type(&file, T_FILE);
    struct {
        Cell spec;
        uint32_t cp;
    } cases[] = {{integer(65), 'A'},
                 {floating(65.9), 'A'},
                 {floating(65.9, T_PERCENT), 'A'},
                 {integer(0), 0},
                 {integer(0x10FFFF), 0x10FFFF},
                 {floating(-0.5), 0},
                 {character(0x20AC), 0x20AC},
                 {abc, 'a'},
                 {at_c, 'c'},
                 {file, 'a'},
                 {binary({0xE2, 0x82, 0xAC, 'x'}), 0x20AC},
                 {binary({'z'}), 'z'},
                 {binary({0xF0, 0x9F, 0x98, 0x80}), 0x1F600}};
    for (auto& c : cases) {
        Cell* r = char_make(nullptr, &c.spec, T_CHAR);
        EXPECT_EQ(r, stack_arguments());
        EXPECT_EQ(type_of(r), T_CHAR);
        EXPECT_EQ(char_value(r), c.cp);
    }
}

TEST_F(Char, NumbersOutsideTheRangeAreRefused) {
    for (Cell spec : {integer(-1), integer(1114112), integer(INT32_MIN), floating(-1.0),
                      floating(1114112.0), floating(std::nan("")), floating(1e300)}) {
        Raised r = raised_by([&] { char_make(nullptr, &spec, T_CHAR); });
        ASSERT_TRUE(r.raised);
        EXPECT_EQ(r.category, kCatScript);
        EXPECT_EQ(r.id, err::script::kOutOfRange);
        ASSERT_EQ(r.arg_count, 1);
        EXPECT_EQ(r.args[0].header, spec.header);
    }
}

TEST_F(Char, EmptyStringsAndOtherTypesAreRefused) {
    Cell empty = string_from("");
    Cell past = string_from("a");
    past.data1 = 1;
    Cell none{T_NONE, 0, 0, 0};
    Cell empty_bin = binary({});
    for (Cell spec : {empty, past, none, Cell{T_BLOCK, 0, alloc_cells(1), 0}, empty_bin}) {
        Raised r = raised_by([&] { char_make(nullptr, &spec, T_CHAR); });
        ASSERT_TRUE(r.raised);
        EXPECT_EQ(r.id, err::script::kBadToArg);
        EXPECT_EQ(type_of(&r.args[0]), T_DATATYPE);
        EXPECT_EQ(r.args[0].data1, uint32_t{T_CHAR});
        EXPECT_EQ(type_of(&r.args[1]), type_of(&spec));
    }
}

TEST_F(Char, InvalidBinaryRaisesInvalidUtf8) {
    struct {
        std::vector<uint8_t> bytes, arg;
    } cases[] = {{{0x80, 'a'}, {0x80}},
                 {{0xC3, 0x41}, {0xC3, 0x41}},
                 {{0xE2, 0x82}, {0xE2, 0x82}},
                 {{0xEF, 0xBF, 0xBE}, {0xEF, 0xBF, 0xBE}},
                 {{0xFF, 1, 2, 3, 4}, {0xFF, 1, 2, 3}}};
    for (auto& c : cases) {
        Cell spec = binary(c.bytes);
        Raised r = raised_by([&] { char_make(nullptr, &spec, T_CHAR); });
        ASSERT_TRUE(r.raised);
        EXPECT_EQ(r.category, kCatAccess);
        EXPECT_EQ(r.id, err::access::kInvalidUtf8);
        EXPECT_EQ(bytes_of(&r.args[0]), c.arg);
    }
}

TEST_F(Char, FormAppendsTheCharacter) {
    Cell out = string_from("x");
    Cell c = character(0xE9);
    EXPECT_EQ(char_form(&c, &out, nullptr, 10), 9);
    EXPECT_EQ(code_points(&out), (CodePoints{'x', 0xE9}));
    EXPECT_EQ(unit_of(&out), 2u);
}

TEST_F(Char, MoldWritesNumberSignAndQuotedEscape) {
    struct {
        uint32_t cp;
        bool all;
        CodePoints want;
    } cases[] = {{10, false, ascii("#\"^/\"")},          {'a', false, ascii("#\"a\"")},
                 {'"', false, ascii("#\"^\"\"")},        {0, false, ascii("#\"^@\"")},
                 {0xE9, false, {'#', '"', 0xE9, '"'}},   {0xE9, true, ascii("#\"^(E9)\"")},
                 {0x1F600, true, ascii("#\"^(1F600)\"")}};
    for (auto& c : cases) {
        Cell out = string_from("");
        Cell v = character(c.cp);
        EXPECT_EQ(char_mold(&v, &out, false, c.all, false, nullptr, 20, 0), 16);
        EXPECT_EQ(code_points(&out), c.want);
    }
}

TEST_F(Char, Compare) {
    Cell a = character('a');
    Cell b = character('b');
    Cell i97 = integer(97);
    Cell i200 = integer(200);
    Cell s = string_from("a");
    EXPECT_EQ(char_compare(&a, &i97, 0), 0);
    EXPECT_EQ(char_compare(&a, &i97, 2), 1);
    EXPECT_EQ(char_compare(&a, &i97, 12), 1);
    EXPECT_EQ(char_compare(&a, &b, 2), -1);
    EXPECT_EQ(char_compare(&b, &a, 3), 1);
    EXPECT_EQ(char_compare(&a, &i200, 3), -1);
    Cell a2 = character('a');
    EXPECT_EQ(char_compare(&a, &a2, 12), 0);
    EXPECT_EQ(char_compare(&a, &s, 0), -2);
    EXPECT_EQ(char_compare(&a, &s, 2), 1);
}

TEST_F(Char, Math) {
    struct {
        uint32_t left;
        Cell right;
        int op;
        uint32_t want;
    } cases[] = {{'a', integer(1), 0, 'b'},     {'b', integer(1), 1, 'a'},
                 {'a', integer(2), 3, 48},      {'a', character(2), 2, 194},
                 {'a', integer(10), 4, 7},      {'a', floating(1.9), 0, 'b'},
                 {'a', integer(0x20), 6, 0x20}, {'A', integer(0x20), 5, 'a'},
                 {'a', integer(0x20), 7, 'A'},  {0x10FFFE, integer(1), 0, 0x10FFFF},
                 {'a', integer(-97), 0, 0}};
    for (auto& c : cases) {
        Cell r = math(character(c.left), c.right, c.op);
        EXPECT_EQ(type_of(&r), T_CHAR);
        EXPECT_EQ(char_value(&r), c.want) << c.op;
    }
}

TEST_F(Char, MathOutOfRangeAndErrors) {
    struct {
        uint32_t left;
        Cell right;
        int op;
        int category, id;
    } cases[] = {{'a', integer(98), 1, kCatMath, err::math::kOverflow},
                 {0x10FFFF, integer(1), 0, kCatMath, err::math::kOverflow},
                 {'a', integer(0x7FFFFFFF), 2, kCatMath, err::math::kOverflow},
                 {'a', integer(0x7FFFFFFF), 0, kCatMath, err::math::kOverflow},
                 {'a', integer(-1), 5, kCatMath, err::math::kOverflow},
                 {'a', integer(0), 3, kCatMath, err::math::kZeroDivide},
                 {'a', integer(0), 4, kCatMath, err::math::kZeroDivide},
                 {'a', floating(1e20), 0, kCatMath, err::math::kOverflow},
                 {'a', Cell{T_NONE, 0, 0, 0}, 0, kCatScript, err::script::kInvalidType}};
    for (auto& c : cases) {
        Raised r = raised_by([&] { math(character(c.left), c.right, c.op); });
        ASSERT_TRUE(r.raised);
        EXPECT_EQ(r.category, c.category);
        EXPECT_EQ(r.id, c.id);
    }
    Raised r = raised_by([&] { math(character('a'), string_from("x"), 0); });
    ASSERT_EQ(r.arg_count, 1);
    EXPECT_EQ(type_of(&r.args[0]), T_DATATYPE);
    EXPECT_EQ(r.args[0].data1, uint32_t{T_STRING});
}

TEST_F(Char, PushAndMakeIn) {
    Cell* top = g_stack_top;
    Cell* c = char_push(0x41);
    EXPECT_EQ(c, top);
    EXPECT_EQ(char_value(c), 0x41u);
    Cell blk{T_BLOCK, 0, alloc_cells(1), 0};
    Cell* in = char_make_in(&blk, 0x20AC);
    EXPECT_EQ(char_value(in), 0x20ACu);
    EXPECT_EQ(buffer_of(blk.data2)->used(), sizeof(Cell));
}

} // namespace
