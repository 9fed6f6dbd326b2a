// The part budget of a string's mold and the brace scan on long input.
#include <gtest/gtest.h>

#include <string>

#include "runtime/datatypes/string/string-ops.h"
#include "runtime/runtime-init.h"
#include "string_test_support.h"

using namespace xel;
using namespace xel::testing_text;

namespace {

class StringMold : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }

    static std::string mold(Cell s, Cell* arg = nullptr, int part = INT32_MAX, int* left = nullptr,
                            bool all = false) {
        Cell out = string_from("");
        int rest = string_mold(&s, &out, false, all, false, arg, part, 0);
        if (left) *left = rest;
        return string_utf8_text(&out);
    }
};

TEST_F(StringMold, PartBudgetCutsTheRangeAndReturnsWhatIsLeft) {
    Cell fifty = string_from(std::string(50, 'x').c_str());
    Cell limit{T_INTEGER, 0, 10, 0};
    int left = 0;
    // The 50 units from the position still choose braces; only 10 are written.
    EXPECT_EQ(mold(fifty, &limit, 10, &left), "{" + std::string(10, 'x') + "}");
    EXPECT_EQ(left, -2);

    Cell s = string_from("a^b");
    EXPECT_EQ(mold(s, nullptr, 100, &left), "\"a^^b\"");
    EXPECT_EQ(left, 100 - 3 - 2);
    EXPECT_EQ(mold(s, &limit, -4, &left), "\"\"") << "a negative limit molds nothing";
    EXPECT_EQ(left, -6);
}

TEST_F(StringMold, PositionIsTheStartAndPastTheTailIsEmpty) {
    Cell s = string_from("abc");
    s.data1 = 1;
    EXPECT_EQ(mold(s), "\"bc\"");
    s.data1 = 7;
    EXPECT_EQ(mold(s), "\"\"");
}

TEST_F(StringMold, WideOutputAndAllFlag) {
    Cell s = string_from("");
    for (uint32_t cp : {0x1F600u, 0x85u, 0xE9u})
        string_append_char(string_buffer(&s), cp);
    EXPECT_EQ(mold(s), "\"\xF0\x9F\x98\x80^(85)\xC3\xA9\"");
    EXPECT_EQ(mold(s, nullptr, INT32_MAX, nullptr, true), "\"^(1F600)^(85)^(E9)\"");
}

TEST_F(StringMold, ManyNestedBracesKeepTheirBalance) {
    // 20,000 opening braces, then as many closing ones, behind a quote.
    std::string text = "\"" + std::string(20000, '{') + std::string(20000, '}');
    Cell s = string_from(text.c_str());
    EXPECT_EQ(mold(s), "{" + text + "}");
    // One closing brace short: the first opening brace is unclosed, so all escape.
    text.pop_back();
    std::string escaped = "\"";
    for (int i = 0; i < 20000; i++)
        escaped += "^{";
    for (int i = 0; i < 19999; i++)
        escaped += "^}";
    EXPECT_EQ(mold(string_from(text.c_str())), "{" + escaped + "}");
}

} // namespace
