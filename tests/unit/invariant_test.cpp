#include <gtest/gtest.h>

#include "runtime/invariant.h"

namespace {

#ifdef XEL_CHECKED
TEST(Invariant, ABrokenOneStopsWithItsPlaceAndCondition) {
    int cells = 3;
    EXPECT_DEATH(XEL_ASSERT(cells == 4), "invariant_test.cpp:[0-9]+: invariant broken: cells == 4");
    XEL_ASSERT(cells == 3);
}
#else
TEST(Invariant, ReleaseBuildsNeverEvaluateTheCondition) {
    int evaluated = 0;
    XEL_ASSERT(++evaluated == 5);
    EXPECT_EQ(evaluated, 0);
}
#endif

} // namespace
