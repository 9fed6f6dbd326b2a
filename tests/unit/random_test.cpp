// The run-time's random generator: MT19937 output, seeding, and the ranges of
// random_int.
#include "services/random/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

using namespace xel;

namespace {

TEST(Random, GivesTheTwisterSequenceWithoutItsTopBit) {
    // The published first outputs for seed 5489, top bit cleared.
    random_seed(5489);
    EXPECT_EQ(random_next(), 3499211612u & 0x7FFFFFFFu);
    EXPECT_EQ(random_next(), 581869302u & 0x7FFFFFFFu);
    EXPECT_EQ(random_next(), 3890346734u & 0x7FFFFFFFu);
}

TEST(Random, FollowsTheReferenceTwisterForTheStartUpSeed) {
    // The standard library's mt19937 is the reference algorithm; its 10,000th
    // output for the default seed is fixed by the C++ standard.
    std::mt19937 reference(19650218u);
    random_init();
    for (int i = 0; i < 2000; i++)
        ASSERT_EQ(random_next(), reference() & 0x7FFFFFFFu) << i;
    random_seed(5489);
    for (int i = 1; i < 10000; i++)
        random_next();
    EXPECT_EQ(random_next(), 4123659995u & 0x7FFFFFFFu);
}

TEST(Random, StartUpAndSeedsRepeatTheirSequences) {
    uint32_t first[700];
    random_init();
    for (uint32_t& v : first)
        v = random_next();
    random_init();
    for (uint32_t v : first)
        EXPECT_EQ(random_next(), v);
    random_seed(19650218);
    EXPECT_EQ(random_next(), first[0]);
    random_seed(7);
    EXPECT_NE(random_next(), first[0]);
}

TEST(Random, IntStaysInItsRange) {
    random_init();
    const int32_t ns[] = {1, -1, 2, -2, 6, -6, 1000000007, INT_MAX, INT_MIN};
    for (int32_t n : ns) {
        for (bool secure : {false, true}) {
            for (int i = 0; i < 200; i++) {
                int32_t r = random_int(n, secure);
                if (n > 0) {
                    ASSERT_GE(r, 1) << n;
                    ASSERT_LE(r, n) << n;
                } else {
                    ASSERT_LE(r, -1) << n;
                    ASSERT_GE(r, n) << n;
                }
            }
        }
    }
    EXPECT_EQ(random_int(0, false), 0);
    EXPECT_EQ(random_int(1, true), 1);
    EXPECT_EQ(random_int(-1, false), -1);
}

TEST(Random, IntReachesEveryValueOfASmallRange) {
    random_init();
    int seen[6] = {};
    for (int i = 0; i < 600; i++)
        seen[random_int(6, false) - 1]++;
    for (int count : seen)
        EXPECT_GT(count, 50);
}

TEST(Random, SecureValuesHaveNoTopBit) {
    uint32_t all = 0;
    for (int i = 0; i < 64; i++)
        all |= random_next_secure();
    EXPECT_EQ(all >> 31, 0u);
    EXPECT_NE(all, 0u);
}

} // namespace
