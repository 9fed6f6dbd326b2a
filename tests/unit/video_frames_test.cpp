// Camera frames as B, G, R, A bytes: each device layout, colours of the
// video-range YUV scale, and rows that lie further apart than their pixels.
#include <gtest/gtest.h>

#include <vector>

#include "platform/os/video-frames.h"
#include "tests/unit/case_names.h"

using xel::os::FrameFormat;

namespace {

struct YuvCase {
    const char* name;
    uint8_t y, u, v;
    uint8_t b, g, r;
};

const YuvCase kYuv[] = {
    {"white", 235, 128, 128, 255, 255, 255}, {"black", 16, 128, 128, 0, 0, 0},
    {"red", 81, 90, 240, 0, 0, 255},         {"green", 145, 54, 34, 0, 255, 0},
    {"blue", 41, 240, 110, 255, 0, 0},       {"beyond_white_clamps", 255, 128, 128, 255, 255, 255},
};

class YuyvFrames : public ::testing::TestWithParam<YuvCase> {};

// The primaries of the scale come out within one step of the full colour.
TEST_P(YuyvFrames, ShareChromaBetweenTwoPixels) {
    const YuvCase& c = GetParam();
    const uint8_t in[4] = {c.y, c.u, c.y, c.v};
    uint8_t out[8] = {};
    frame_to_bgra(FrameFormat::kYuyv, in, 4, 2, 1, out);
    for (int px = 0; px < 2; px++) {
        EXPECT_NEAR(out[px * 4 + 0], c.b, 1);
        EXPECT_NEAR(out[px * 4 + 1], c.g, 1);
        EXPECT_NEAR(out[px * 4 + 2], c.r, 1);
        EXPECT_EQ(out[px * 4 + 3], 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, YuyvFrames, ::testing::ValuesIn(kYuv),
                         xel_test::NamedBy<&YuvCase::name>());

TEST(VideoFrames, RgbLayoutsGiveBlueFirstAndOpaqueAlpha) {
    const uint8_t rgb[3] = {10, 20, 30}, bgr[3] = {30, 20, 10}, bgrx[4] = {30, 20, 10, 0};
    uint8_t out[4];
    const uint8_t want[4] = {30, 20, 10, 255};
    frame_to_bgra(FrameFormat::kRgb24, rgb, 3, 1, 1, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(want, want + 4));
    frame_to_bgra(FrameFormat::kBgr24, bgr, 3, 1, 1, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(want, want + 4));
    frame_to_bgra(FrameFormat::kBgrx32, bgrx, 4, 1, 1, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(want, want + 4));
}

TEST(VideoFrames, RowPaddingIsSkipped) {
    // Two rows of one RGB pixel, each row padded to 8 bytes.
    const uint8_t in[16] = {1, 2, 3, 9, 9, 9, 9, 9, 4, 5, 6, 9, 9, 9, 9, 9};
    uint8_t out[8];
    frame_to_bgra(FrameFormat::kRgb24, in, 8, 1, 2, out);
    const uint8_t want[8] = {3, 2, 1, 255, 6, 5, 4, 255};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), std::vector<uint8_t>(want, want + 8));
}

} // namespace
