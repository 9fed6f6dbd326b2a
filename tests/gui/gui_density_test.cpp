// Pixel density: a window's faces placed again when its scale changes (the
// change driven with a scale the server does not have), the DPI nesting, and
// under a server of scale 2 (GDK_SCALE=2) faces, events and screens in
// logical pixels while GTK draws them twice as large.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "gui/backend/backend.h"
#include "gui/backend/density.h"
#include "gui/backend/face-access.h"
#include "platform/gui/gtk-internal.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using xel_test::eval;
using xel_test::pump;
using xel_test::widget_of;

namespace {

// Where GTK was asked to put a face's widget, in its units: "x y w h".
std::string placed(const std::string& face) {
    gtk::Widget* w = gtk::widget_record(widget_of(face));
    GtkWidget* parent = gtk_widget_get_parent(w->outer);
    int x = 0, y = 0, width = 0, height = 0;
    gtk_container_child_get(GTK_CONTAINER(parent), w->outer, "x", &x, "y", &y, nullptr);
    gtk_widget_get_size_request(w->outer, &width, &height);
    char out[64];
    std::snprintf(out, sizeof out, "%d %d %d %d", x, y, width, height);
    return out;
}

int server_scale() {
    return gdk_monitor_get_scale_factor(gdk_display_get_monitor(gdk_display_get_default(), 0));
}

class Density : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        eval(R"(
            log: copy []
            win: make face! [type: 'window offset: 40x40 size: 300x200 text: "D" pane: reduce [
                bt: make face! [type: 'button offset: 10x10 size: 60x24 text: "b"]
                pn: make face! [type: 'panel offset: 100x50 size: 120x100 pane: reduce [
                    inner: make face! [type: 'base offset: 5x6 size: 30x20]]]]]
            view/no-wait win
            system/view/awake: func [event /with face] [
                if event/type = 'down [
                    append/only log reduce [event/type event/face/type event/offset]]
                none]
        )");
        pump();
    }
    void TearDown() override {
        eval("unview/all");
        gui::set_dpi(96 * server_scale());
    }
};

TEST_F(Density, AWindowWhoseScaleChangesLaysItsFacesOutAgain) {
    if (server_scale() != 1) GTEST_SKIP() << "needs a server of scale 1";
    gtk::WidgetId window = widget_of("win");
    EXPECT_EQ(placed("bt"), "10 10 60 24");
    gui::dpi_changed(window, 192);
    EXPECT_EQ(gui::current_dpi(), 192);
    EXPECT_EQ(gui::window_dpi(widget_of("bt")), 192);
    // Twice as many pixels for the same logical places, the faces unchanged.
    EXPECT_EQ(placed("bt"), "20 20 120 48");
    EXPECT_EQ(placed("pn"), "200 100 240 200");
    EXPECT_EQ(placed("inner"), "10 12 60 40");
    EXPECT_EQ(eval("reduce [bt/offset bt/size inner/offset]"), "[(10, 10) 60x24 (5, 6)]");
    // Input comes back in logical pixels at the window's scale.
    eval("send-event-os make event! [type: 'down face: bt offset: 7x8] false");
    pump();
    EXPECT_EQ(eval("log"), "[[down button (7, 8)]]");
    gui::dpi_changed(window, 96);
    EXPECT_EQ(placed("bt"), "10 10 60 24");
    EXPECT_EQ(placed("inner"), "5 6 30 20");
}

TEST_F(Density, NestedDpiScopesRestoreTheOuterDpi) {
    if (server_scale() != 1) GTEST_SKIP() << "needs a server of scale 1";
    gtk::WidgetId window = widget_of("win");
    gui::dpi_changed(window, 144);
    gui::set_dpi(96);
    eval("unview win");
    // A window made but not shown: no visible window is active.
    eval("hidden: make face! [type: 'window size: 100x100 text: \"H\"]"
         "hidden/state: reduce [system/view/platform/make-view hidden "
         "system/view/platform/make-null-handle 0 none false]");
    gtk::WidgetId other = widget_of("hidden");
    gui::dpi_changed(other, 144);
    gui::set_dpi(96);
    int depth = gui::dpi_nesting();
    {
        gui::DpiScope outer(other);
        EXPECT_EQ(gui::current_dpi(), 144);
        {
            gui::DpiScope inner(0);
            gui::set_dpi(120);
        }
        EXPECT_EQ(gui::current_dpi(), 144);
    }
    EXPECT_EQ(gui::current_dpi(), 96);
    EXPECT_EQ(gui::dpi_nesting(), depth);
    eval("system/view/platform/destroy-view hidden false");
}

TEST_F(Density, AtScaleTwoFacesEventsAndScreensStayInLogicalPixels) {
    if (server_scale() != 2) GTEST_SKIP() << "needs a server of scale 2 (GDK_SCALE=2)";
    EXPECT_EQ(eval("system/view/metrics/dpi"), "192");
    EXPECT_EQ(gui::window_dpi(widget_of("win")), 192);
    // GTK's units are two device pixels: the logical places.
    EXPECT_EQ(placed("bt"), "10 10 60 24");
    EXPECT_EQ(placed("inner"), "5 6 30 20");
    eval("send-event-os make event! [type: 'down face: inner offset: 7x8] false");
    pump();
    EXPECT_EQ(eval("log"), "[[down base (7, 8)]]");
    EXPECT_EQ(eval("s: first system/view/screens reduce [s/size s/data]"), "[640x400 2.0]");
    // A size set by the script reaches GTK as the same logical size.
    eval("bt/size: 80x30");
    EXPECT_EQ(placed("bt"), "10 10 80 30");
}

} // namespace
