// tuple!: the cell makers other types call (binary bytes, hexadecimal
// colours, pushed words) and the count bits of the header.
#include "runtime/datatypes/tuple/tuple.h"

#include "number_test_support.h"
#include "runtime/datatypes/series/series.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Tuple : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        stack_mark_try(g_word_try);
        stack_mark_native(g_word_try);
    }
};

TEST_F(Tuple, FromBinaryBytesAtItsPosition) {
    Cell bin = binary_cell({9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    series_set_index(&bin, 1);
    Cell t{};
    tuple_make_from_binary(&t, &bin);
    EXPECT_EQ(mold_of(t), "1.2.3.4.5.6.7.8.9.10.11.12");
    series_set_index(&bin, 13);
    tuple_make_from_binary(&t, &bin);
    EXPECT_EQ(mold_of(t), "13.0.0");
    EXPECT_EQ(tuple_count(&t), 3u);
    // A position past the tail reads no bytes.
    series_set_index(&bin, 40);
    tuple_make_from_binary(&t, &bin);
    EXPECT_EQ(mold_of(t), "0.0.0");
}

TEST_F(Tuple, FromHexadecimalColours) {
    const struct {
        const char* issue;
        const char* tuple;
    } cases[] = {
        {"F80", "255.136.0"},   {"f80", "255.136.0"},         {"FF8000", "255.128.0"},
        {"0a0B0c", "10.11.12"}, {"FF800040", "255.128.0.64"}, {"F8", nullptr},
        {"F800", nullptr},      {"FF8000400", nullptr},       {"FF80G0", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        Cell issue = issue_cell(c.issue);
        if (c.tuple) {
            Cell t{};
            tuple_make_from_issue(&t, &issue);
            EXPECT_EQ(mold_of(t), c.tuple) << c.issue;
        } else {
            EXPECT_EQ(error_of([&issue] {
                          Cell t{};
                          tuple_make_from_issue(&t, &issue);
                      }),
                      kInvalidData)
                << c.issue;
        }
    }
}

TEST_F(Tuple, CountBits) {
    Cell* t = tuple_push(4, 0x04030201u, 0, 0);
    EXPECT_EQ(mold_of(*t), "1.2.3.4");
    t->header |= kNewLineFlag | 1u << 8;
    tuple_set_count(t, 5);
    EXPECT_EQ(tuple_count(t), 5u);
    EXPECT_EQ(t->header, T_TUPLE | 5u << kTupleCountShift | 1u << 8);
    EXPECT_EQ(mold_of(*t), "1.2.3.4.0");
}

} // namespace
