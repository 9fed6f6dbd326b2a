#include <gtest/gtest.h>

#include "runtime/compiled/arg-checks.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "tests/unit/evaluator_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

class ArgChecks : public ::testing::Test {
  protected:
    void SetUp() override { fresh_runtime(); }
};

TEST_F(ArgChecks, RaiseExpectArgOnlyForAWrongValue) {
    Cell ints{T_TYPESET, 0, 0, 0};
    typeset_set_type(&ints, T_INTEGER);
    Cell n = integer(3);
    Cell text_value = text("x");
    EXPECT_EQ(arg_check_type(&ints, 0, &n), &n);
    Cell e = error_of([&] { arg_check_type(&ints, 0, &text_value); });
    EXPECT_EQ(error_id(e), "expect-arg");
    Cell unused{T_LOGIC, 0, 0, 0};
    Cell used{T_LOGIC, 1, 0, 0};
    EXPECT_EQ(arg_check_type_if_set(&unused, &ints, 0, &text_value), &text_value)
        << "an unused refinement's argument is not checked";
    e = error_of([&] { arg_check_type_if_set(&used, &ints, 0, &text_value); });
    EXPECT_EQ(error_id(e), "expect-arg");
    Cell unset{T_UNSET, 0, 0, 0};
    EXPECT_EQ(arg_check_set(0, &n), &n);
    e = error_of([&] { arg_check_set(0, &unset); });
    EXPECT_EQ(error_id(e), "expect-arg");
    EXPECT_NE(error_text(e).find("unset!"), std::string::npos) << error_text(e);
    e = error_of([&] {
        stack_push(&text_value);
        arg_check_type_at(-1, &ints, 0);
        arg_check_type_at(0, &ints, 0);
    });
    EXPECT_EQ(error_id(e), "expect-arg") << "index 0 of the frame is checked, -1 is not";
}

} // namespace
