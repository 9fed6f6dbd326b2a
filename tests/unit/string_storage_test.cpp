// String buffers: making, reading, and the two widening thresholds of
// appending and poking.
#include <gtest/gtest.h>

#include <vector>

#include "case_names.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "string_test_support.h"

using namespace xel;

namespace {

class StringStorage : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    static std::vector<uint32_t> code_points(const Cell* str) {
        std::vector<uint32_t> out;
        for (uint32_t i = 0; i < string_xs_length_from_head(str); i++)
            out.push_back(string_char_at(str, i));
        return out;
    }
    static uint32_t unit_of(const Cell* str) { return string_buffer(str)->unit(); }
};

TEST_F(StringStorage, MakeAtGivesAnEmptyOneByteString) {
    Cell s;
    string_make_at(&s, 0);
    EXPECT_EQ(type_of(&s), T_STRING);
    EXPECT_EQ(s.data1, 0u);
    EXPECT_EQ(s.data3, 0u);
    EXPECT_EQ(unit_of(&s), 1u);
    EXPECT_EQ(string_xs_length(&s), 0);
    EXPECT_TRUE(string_xs_tail(&s));
    string_make_at_unit(&s, 3, 4);
    EXPECT_EQ(unit_of(&s), 4u);
    EXPECT_GE(string_buffer(&s)->size, 12u);
}

struct WidenCase {
    uint32_t start_unit; // unit of the buffer holding "ab" before the write
    uint32_t cp;
    uint32_t append_unit; // unit after appending cp
    uint32_t poke_unit;   // unit after poking cp over the second character
};

class StringWidening : public StringStorage, public ::testing::WithParamInterface<WidenCase> {};

TEST_P(StringWidening, AppendAndPokeThresholds) {
    const WidenCase& w = GetParam();
    Cell a, b;
    string_make_at_unit(&a, 2, w.start_unit);
    string_append_char(string_buffer(&a), 'a');
    string_append_char(string_buffer(&a), 'b');
    ASSERT_EQ(unit_of(&a), w.start_unit);
    b = a;
    b.data2 = copy_series(string_buffer(&a));
    a.data1 = 1; // a value positioned on "b" must stay there

    string_append_char(string_buffer(&a), w.cp);
    EXPECT_EQ(unit_of(&a), w.append_unit);
    EXPECT_EQ(code_points(&a), (std::vector<uint32_t>{'a', 'b', w.cp}));
    EXPECT_EQ(string_char_at(&a, a.data1), uint32_t{'b'});

    string_poke_char_at(string_buffer(&b), 1, w.cp);
    EXPECT_EQ(unit_of(&b), w.poke_unit);
    EXPECT_EQ(code_points(&b), (std::vector<uint32_t>{'a', w.cp}));
}

INSTANTIATE_TEST_SUITE_P(Thresholds, StringWidening,
                         ::testing::Values(WidenCase{1, 127, 1, 1}, WidenCase{1, 128, 2, 1},
                                           WidenCase{1, 233, 2, 1}, WidenCase{1, 255, 2, 1},
                                           WidenCase{1, 256, 2, 2}, WidenCase{1, 0xFFFF, 2, 2},
                                           WidenCase{1, 0x10000, 4, 4}, WidenCase{1, 0x1F600, 4, 4},
                                           WidenCase{2, 0xFFFF, 2, 2}, WidenCase{2, 0x10000, 4, 4},
                                           WidenCase{4, 'c', 4, 4}),
                         xel_test::NamedBy<&WidenCase::cp>());

TEST_F(StringStorage, AppendingGrowsTheBufferAcrossWidenings) {
    Cell s;
    string_make_at(&s, 1);
    std::vector<uint32_t> want;
    for (uint32_t i = 0; i < 300; i++) {
        uint32_t cp = i == 100 ? 0x20AC : i == 200 ? 0x1F600 : 'a' + i % 26;
        string_append_char(string_buffer(&s), cp);
        want.push_back(cp);
    }
    EXPECT_EQ(unit_of(&s), 4u);
    EXPECT_EQ(code_points(&s), want);
}

TEST_F(StringStorage, WideningKeepsPositionsOnTheirCharacters) {
    Cell s;
    string_make_at(&s, 3);
    string_concatenate_literal(&s, "abc");
    s.data1 = 1;
    string_widen_1_to_2(string_buffer(&s));
    EXPECT_EQ(unit_of(&s), 2u);
    EXPECT_EQ(string_char_at(&s, s.data1), uint32_t{'b'});
    EXPECT_EQ(string_xs_length(&s), 2);
    string_widen_2_to_4(string_buffer(&s));
    EXPECT_EQ(code_points(&s), (std::vector<uint32_t>{'a', 'b', 'c'}));
    EXPECT_EQ(string_utf8_text(&s), "bc");
}

TEST_F(StringStorage, LiteralBytesAboveAsciiWiden) {
    Cell s;
    string_make_at(&s, 0);
    string_concatenate_literal(&s, "ab");
    EXPECT_EQ(unit_of(&s), 1u);
    const uint8_t bytes[] = {'x', 0xE9};
    string_append_bytes(&s, bytes, 2);
    EXPECT_EQ(unit_of(&s), 2u);
    EXPECT_EQ(code_points(&s), (std::vector<uint32_t>{'a', 'b', 'x', 0xE9}));
}

TEST_F(StringStorage, MoldIndent) {
    Cell s;
    string_make_at(&s, 0);
    EXPECT_EQ(mold_indent(&s, 0, 50), 50);
    EXPECT_EQ(string_xs_length(&s), 0);
    EXPECT_EQ(mold_indent(&s, 2, 50), 42);
    EXPECT_EQ(string_utf8_text(&s), "        ");
}

TEST_F(StringStorage, ResetNarrowsToOneByte) {
    Cell s;
    string_make_at(&s, 0);
    string_append_char(string_buffer(&s), 0x1F600);
    s.data1 = 1;
    string_xs_reset(&s);
    EXPECT_EQ(unit_of(&s), 1u);
    EXPECT_EQ(s.data1, 0u);
    EXPECT_EQ(string_xs_length(&s), 0);
}

TEST_F(StringStorage, PositionPastTheTail) {
    Cell s;
    string_make_at(&s, 0);
    string_concatenate_literal(&s, "ab");
    s.data1 = 5;
    EXPECT_EQ(string_xs_length(&s), 0);
    EXPECT_TRUE(string_xs_tail(&s));
    EXPECT_EQ(string_char_at_index(&s), string_xs_tail_address(&s));
    EXPECT_EQ(s.data1, 2u);
}

} // namespace

namespace {

using xel::testing_text::ascii;
using xel::testing_text::string_from;

TEST_F(StringStorage, PokeByAddressWidensAndWritesTheSameCharacter) {
    Cell s = string_from("abc");
    s.data1 = 2;
    SeriesBuf* buf = string_buffer(&s);
    string_poke_char(buf, at(buf->head + 1), 0x20AC);
    EXPECT_EQ(unit_of(&s), 2u);
    EXPECT_EQ(code_points(&s), (std::vector<uint32_t>{'a', 0x20AC, 'c'}));
    EXPECT_EQ(string_char_at(&s, s.data1), uint32_t{'c'});
}

TEST_F(StringStorage, PokeAtTheTailAppendsAndBeyondTheSizeExpands) {
    Cell s = string_from("ab");
    string_poke_char_at(string_buffer(&s), 2, 'c');
    EXPECT_EQ(code_points(&s), ascii("abc"));
    uint32_t size = string_buffer(&s)->size;
    string_poke_char_at(string_buffer(&s), size + 5, 'z');
    EXPECT_GT(string_buffer(&s)->size, size + 5);
    EXPECT_EQ(string_char_at(&s, size + 5), uint32_t{'z'});
    EXPECT_EQ(string_xs_length(&s), 3);
}

TEST_F(StringStorage, InsertCharMakesRoomAndWidens) {
    Cell s;
    string_make_at(&s, 0);
    std::vector<uint32_t> want;
    for (uint32_t i = 0; i < 40; i++) {
        string_insert_char_at(string_buffer(&s), 0, 'a' + i % 26);
        want.insert(want.begin(), 'a' + i % 26);
    }
    string_insert_char_at(string_buffer(&s), 3, 0xE9);
    want.insert(want.begin() + 3, 0xE9);
    EXPECT_EQ(unit_of(&s), 1u);
    string_insert_char_at(string_buffer(&s), 41, 0x1F600);
    want.insert(want.begin() + 41, 0x1F600);
    EXPECT_EQ(unit_of(&s), 4u);
    string_insert_char_at(string_buffer(&s), 100, '!');
    want.push_back('!');
    EXPECT_EQ(code_points(&s), want);
}

TEST_F(StringStorage, Searching) {
    Cell s = string_from("xAbcab");
    s.data1 = 1;
    EXPECT_EQ(string_find_char(&s, 'a'), 3);
    EXPECT_EQ(string_find_char(&s, 'A'), 0);
    EXPECT_EQ(string_find_char(&s, 'x'), -1);
    EXPECT_TRUE(string_contains_char(&s, 'a', 1, false));
    EXPECT_TRUE(string_contains_char(&s, 'B', 1, false));
    EXPECT_FALSE(string_contains_char(&s, 'B', 1, true));
    EXPECT_FALSE(string_contains_char(&s, 'a', 2, true)); // units 0, 2 and 4 from the position
    EXPECT_TRUE(string_contains_char(&s, 'c', 2, true));
    EXPECT_TRUE(string_starts_with(&s, "Abc"));
    EXPECT_FALSE(string_starts_with(&s, "abc"));
    EXPECT_FALSE(string_starts_with(&s, "Abcabz"));
    EXPECT_TRUE(string_starts_with(&s, ""));
}

TEST_F(StringStorage, TruncateAndRemove) {
    Cell s = string_from("abcdef");
    string_truncate_at(string_buffer(&s), 10);
    EXPECT_EQ(string_xs_length(&s), 6);
    string_truncate_at(string_buffer(&s), 4);
    EXPECT_EQ(code_points(&s), ascii("abcd"));
    string_remove_units(&s, 1, 2);
    EXPECT_EQ(code_points(&s), ascii("ad"));
    string_remove_units(&s, 1, 50);
    EXPECT_EQ(code_points(&s), ascii("a"));
    string_remove_units(&s, 5, 1);
    EXPECT_EQ(code_points(&s), ascii("a"));
}

TEST_F(StringStorage, PushCopiesTheCell) {
    Cell s = string_from("ab");
    s.data1 = 1;
    Cell* top = g_stack_top;
    Cell* p = string_push(&s);
    EXPECT_EQ(p, top);
    EXPECT_EQ(p->data1, 1u);
    EXPECT_EQ(p->data2, s.data2);
}

} // namespace
