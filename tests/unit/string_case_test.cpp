// uppercase and lowercase in place, with /part and widening.
#include <gtest/gtest.h>

#include "runtime/datatypes/char/char.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/text/casefold.h"
#include "string_test_support.h"

using namespace xel;
using namespace xel::testing_text;

namespace {

class StringCase : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    // Runs the change with the /part argument (when given) as frame cell 1.
    static void change(Cell* value, const Cell* part, int direction) {
        Cell* args = stack_arguments();
        args[0] = *value;
        if (part) args[1] = *part;
        casefold_change_case(&args[0], part ? 1 : 0, direction);
        *value = args[0];
    }
};

TEST_F(StringCase, CharValues) {
    Cell c;
    char_set(&c, 'a');
    change(&c, nullptr, kFoldUpper);
    EXPECT_EQ(char_value(&c), uint32_t{'A'});
    char_set(&c, 0x1E9E);
    change(&c, nullptr, kFoldLower);
    EXPECT_EQ(char_value(&c), 0xDFu);
}

TEST_F(StringCase, FromThePosition) {
    Cell s = string_from("abcDE");
    s.data1 = 1;
    change(&s, nullptr, kFoldUpper);
    s.data1 = 0;
    EXPECT_EQ(string_utf8_text(&s), "aBCDE");
    change(&s, nullptr, kFoldLower);
    EXPECT_EQ(string_utf8_text(&s), "abcde");
}

TEST_F(StringCase, UppercasingYWithDiaeresisWidensAndKeepsThePosition) {
    Cell narrow;
    string_make_at(&narrow, 0);
    string_poke_char_at(string_buffer(&narrow), 0, 'x');
    string_poke_char_at(string_buffer(&narrow), 1, 0xFF);
    ASSERT_EQ(unit_of(&narrow), 1u);
    narrow.data1 = 1;
    change(&narrow, nullptr, kFoldUpper);
    EXPECT_EQ(unit_of(&narrow), 2u);
    EXPECT_EQ(narrow.data1, 1u);
    EXPECT_EQ(code_points(&narrow), (CodePoints{0x178}));
    narrow.data1 = 0;
    EXPECT_EQ(code_points(&narrow), (CodePoints{'x', 0x178}));
}

TEST_F(StringCase, PartLimits) {
    struct {
        Cell part;
        const char* want;
    } cases[] = {{Cell{T_INTEGER, 0, 2, 0}, "ABcde"},
                 {Cell{T_INTEGER, 0, 99, 0}, "ABCDE"},
                 {Cell{T_INTEGER, 0, static_cast<uint32_t>(-3), 0}, "abcde"},
                 {Cell{T_INTEGER, 0, 0, 0}, "abcde"}};
    for (auto& c : cases) {
        Cell s = string_from("abcde");
        change(&s, &c.part, kFoldUpper);
        EXPECT_EQ(string_utf8_text(&s), c.want);
    }
    Cell s = string_from("abcde");
    Cell end = s;
    end.data1 = 3;
    change(&s, &end, kFoldUpper);
    EXPECT_EQ(string_utf8_text(&s), "ABCde");
}

TEST_F(StringCase, PartFromAnotherSeriesIsRefused) {
    Cell s = string_from("abc");
    Cell other = string_from("abc");
    Raised r = raised_by([&] { change(&s, &other, kFoldUpper); });
    ASSERT_TRUE(r.raised);
    EXPECT_EQ(r.category, kCatScript);
    EXPECT_EQ(r.id, err::script::kInvalidRefineArg);
    EXPECT_EQ(r.args[1].data2, other.data2);
}

TEST_F(StringCase, PositionPastTheTailChangesNothing) {
    Cell s = string_from("ab");
    s.data1 = 7;
    change(&s, nullptr, kFoldUpper);
    EXPECT_EQ(s.data1, 2u);
    s.data1 = 0;
    EXPECT_EQ(string_utf8_text(&s), "ab");
}

} // namespace
