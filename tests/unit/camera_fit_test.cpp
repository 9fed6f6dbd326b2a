// Where a camera face places its picture: the frame's aspect kept, centred
// along the side it does not fill.
#include <gtest/gtest.h>

#include "gui/backend/camera.h"
#include "tests/unit/case_names.h"

namespace {

struct FitCase {
    const char* name;
    double aspect;
    int width, height;
    xel::gui::FitRect want;
};

const FitCase kFits[] = {
    {"wide_frame_in_square", 640.0 / 480.0, 400, 400, {0, 50, 400, 300}},
    {"wide_frame_in_wide_window", 640.0 / 480.0, 800, 300, {200, 0, 400, 300}},
    {"same_aspect_fills", 2.0, 400, 200, {0, 0, 400, 200}},
    {"odd_margin_rounds_half_up", 4.0 / 3.0, 101, 101, {0, 13, 101, 76}},
};

class CameraFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(CameraFit, PlacesThePicture) {
    const FitCase& c = GetParam();
    xel::gui::FitRect r = xel::gui::camera_fit(c.aspect, c.width, c.height);
    EXPECT_EQ(r.x, c.want.x);
    EXPECT_EQ(r.y, c.want.y);
    EXPECT_EQ(r.width, c.want.width);
    EXPECT_EQ(r.height, c.want.height);
}

INSTANTIATE_TEST_SUITE_P(Table, CameraFit, ::testing::ValuesIn(kFits),
                         xel_test::NamedBy<&FitCase::name>());

} // namespace
