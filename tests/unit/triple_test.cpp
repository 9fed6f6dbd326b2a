// triple!: its text and budget, and the actions it lacks.
#include "runtime/datatypes/triple/triple.h"

#include "number_test_support.h"
#include "runtime/actions/dispatch.h"

using namespace xel;
using namespace xel::number_test;

namespace {

class Triple : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

Cell triple(int32_t a, int32_t b, int32_t c) {
    Cell t{};
    return *triple_make_at(&t, a, b, c);
}

TEST_F(Triple, FormsAndMoldsItsThreeIntegers) {
    EXPECT_EQ(form_of(triple(1, -2, 300)), "make triple! [1 -2 300]");
    EXPECT_EQ(mold_of(triple(1, -2, 300)), "make triple! [1 -2 300]");
    EXPECT_EQ(form_of(triple(0, INT32_MIN, INT32_MAX)), "make triple! [0 -2147483648 2147483647]");
}

TEST_F(Triple, BudgetIsThePartLessTheCharactersAppended) {
    Cell out = string_cell("");
    Cell t = triple(1, 2, 3);
    EXPECT_EQ(action_of<A_FORM>(T_TRIPLE)(&t, &out, nullptr, 100), 80);
    EXPECT_EQ(action_of<A_MOLD>(T_TRIPLE)(&t, &out, false, false, false, nullptr, 7, 0), -13);
}

TEST_F(Triple, OtherActionsAreMissing) {
    for (int slot = 1; slot <= kActionCount; slot++) {
        bool own = slot == A_FORM || slot == A_MOLD;
        EXPECT_EQ(action_entry(T_TRIPLE, slot) != 0, own) << slot;
    }
    Cell t = triple(1, 2, 3);
    Cell dt = type_cell(T_TRIPLE);
    Cell one = int_cell(1);
    EXPECT_EQ(error_of([&] { actions_make_typed(&dt, &one); }), kExpectArg);
    EXPECT_EQ(error_of([&] { actions_negate_typed(&t); }), kExpectArg);
}

} // namespace
