// The desktop around the windows: the screens follow the monitors, and a
// window asks for the theme's dark variant.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

#include "gui/backend/backend.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using namespace xel_test;

namespace {

bool prefer_dark() {
    gboolean dark = FALSE;
    g_object_get(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", &dark, nullptr);
    return dark;
}

class Desktop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        eval(R"(
            p: system/view/platform
            show: func [f parent] [
                f/state: reduce [p/make-view f either parent [parent/state/1] [p/make-null-handle]
                    0 none false]
                f]
            system/view/awake: func [event /with face] [none]
            win: show make face! [type: 'window offset: 40x40 size: 200x100 text: "Desk"] none
            btn: show make face! [type: 'button offset: 10x10 size: 60x24 text: "b"] win
        )");
    }
    void TearDown() override { eval("p/destroy-view win false"); }
};

TEST_F(Desktop, ScreensAreRebuiltWhenTheMonitorsChange) {
    eval("append system/view/screens make face! [type: 'screen pane: copy []]");
    eval("first-screen: first system/view/screens  first-screen/size: 1x1");
    EXPECT_EQ(eval("length? system/view/screens"), "2");
    g_signal_emit_by_name(gdk_screen_get_default(), "monitors-changed");
    EXPECT_EQ(eval("length? system/view/screens"), "1");
    // The screen face that stays is the same face, with the monitor's size.
    EXPECT_EQ(eval("reduce [same? first-screen first system/view/screens first-screen/size]"),
              "[true 1280x800]");
}

TEST_F(Desktop, AWindowAsksForTheDarkVariantAndBack) {
    EXPECT_EQ(eval("p/set-dark-mode win true"), "none");
    EXPECT_TRUE(prefer_dark());
    // A face inside a window follows its window's theme.
    eval("p/set-dark-mode btn false");
    EXPECT_TRUE(prefer_dark());
    eval("p/set-dark-mode win false");
    EXPECT_FALSE(prefer_dark());
}

} // namespace
