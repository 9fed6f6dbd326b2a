// percent!: its text and cells; its math and conversions are float!'s.
#include "runtime/datatypes/percent/percent-cell.h"

#include "number_test_support.h"
#include "runtime/text/float-text.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Percent : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        g_float_pretty = true;
    }
};

TEST_F(Percent, FormAndMoldShowTheFractionTimesHundred) {
    const struct {
        double fraction;
        const char* text;
    } cases[] = {
        {0.5, "50%"},   {0.0, "0%"},  {0.125, "12.5%"}, {0.005, "0.5%"},
        {-0.5, "-50%"}, {0.07, "7%"}, {1e-20, "0%"},    {1.0 / 3, "33.33333333333%"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(form_of(pct_cell(c.fraction)), c.text) << c.fraction;
        EXPECT_EQ(mold_of(pct_cell(c.fraction)), c.text) << c.fraction;
    }
    Cell out = string_cell("");
    Cell v = pct_cell(0.125);
    EXPECT_EQ(action_of<A_FORM>(T_PERCENT)(&v, &out, nullptr, 10), 5);
}

TEST_F(Percent, InheritsEverythingElseFromFloat) {
    for (int slot = 1; slot <= kActionCount; slot++) {
        if (slot == A_FORM || slot == A_MOLD) continue;
        EXPECT_EQ(action_entry(T_PERCENT, slot), action_entry(T_FLOAT, slot)) << slot;
    }
}

TEST_F(Percent, Cells) {
    Cell blk = block_cell({});
    percent_make_in(&blk, 0.25);
    ASSERT_EQ(block_buffer_length(&blk), 1u);
    const Cell* c = block_cell_at(&blk, 0);
    EXPECT_EQ(type_of(c), T_PERCENT);
    EXPECT_EQ(percent_get(c), 0.25);
    stack_reset();
    Cell* pushed = percent_push(-1.5);
    EXPECT_EQ(type_of(pushed), T_PERCENT);
    EXPECT_EQ(form_of(*pushed), "-150%");
}

} // namespace
