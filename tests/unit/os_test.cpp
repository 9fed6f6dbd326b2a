#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/os/os.h"
#include "runtime/core/heap.h"

using namespace xel;

TEST(Os, PackedDateZones) {
    struct Case {
        int offset_minutes;
        uint32_t zone;
    } cases[] = {{0, 0}, {330, 22}, {-180, 0x4C}, {-570, 0x66}, {60, 4}, {-45, 0x43}, {840, 56}};
    for (const Case& c : cases) {
        uint32_t packed = os_pack_date(2026, 12, 9, c.offset_minutes);
        EXPECT_EQ(packed & 0x7F, c.zone) << c.offset_minutes;
        EXPECT_EQ(packed >> 17, 2026u);
        EXPECT_EQ((packed >> 12) & 31, 12u);
        EXPECT_EQ((packed >> 7) & 31, 9u);
    }
}

TEST(Os, TimeIsWholeSecondsUnlessPrecise) {
    double t = os_get_time(false);
    EXPECT_EQ(t, std::floor(t));
    EXPECT_GE(t, 0.0);
    EXPECT_LT(t, 86400.0);
}

TEST(Os, EnvironmentRoundTripAndSizes) {
    ASSERT_TRUE(os_set_env("XEL_TEST_VAR", "h\xC3\xA9llo"));
    char buf[16];
    EXPECT_EQ(os_get_env("XEL_TEST_VAR", buf, sizeof buf), 6u);
    EXPECT_STREQ(buf, "h\xC3\xA9llo");
    EXPECT_EQ(os_get_env("XEL_TEST_VAR", buf, 4), 7u) << "too small: the size needed";
    ASSERT_TRUE(os_set_env("XEL_TEST_VAR", nullptr));
    EXPECT_EQ(os_get_env("XEL_TEST_VAR", buf, sizeof buf), 0u);
}

TEST(Os, CurrentDirectory) {
    uint32_t len = 0;
    char* dir = os_get_current_dir(&len);
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(std::string(dir).size(), len);
    EXPECT_TRUE(os_set_current_dir(dir));
    EXPECT_FALSE(os_set_current_dir("/no/such/dir/here"));
    heap_free(dir);
}
