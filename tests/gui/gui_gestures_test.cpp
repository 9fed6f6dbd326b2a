// Touch gestures become events for the face under them: the steps the GTK
// layer reports are turned into zoom, pan, rotate, two-tap and press-tap
// events with their picked values, and touches put through GTK's own
// dispatch are recognised by the window's gestures.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/backend/backend.h"
#include "gui/backend/dispatch.h"
#include "platform/gui/gtk-internal.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using xel_test::eval;
using xel_test::pump;
using xel_test::widget_of;

namespace {

// The server's pointer stands for a touch screen (GTK reads this at its start).
[[maybe_unused]] const int kTouchScreen = setenv("GTK_TEST_TOUCHSCREEN", "1", 1);

class Gestures : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        eval(R"(
            log: copy []
            win: make face! [type: 'window offset: 50x50 size: 300x200 text: "G" pane: reduce [
                b: make face! [type: 'base offset: 10x10 size: 100x100]
                pn: make face! [type: 'panel offset: 150x10 size: 100x100 pane: reduce [
                    make face! [type: 'base offset: 10x10 size: 50x50]]]]]
            view/no-wait win
            system/view/awake: func [event /with face] [
                if find [zoom pan rotate two-tap press-tap] event/type [
                    append/only log reduce [event/type event/face/type event/picked event/offset]]
                none]
        )");
        pump();
    }
    void TearDown() override { eval("unview/all"); }

    void step(const std::string& face, gtk::Gesture g, int64_t amount, double x = 0, double y = 0) {
        gtk::Input in{};
        in.kind = gtk::InputKind::kGesture;
        in.widget = widget_of(face);
        in.item = static_cast<int32_t>(g);
        in.amount = amount;
        in.x = x;
        in.y = y;
        gui::handle_input(in);
    }
};

TEST_F(Gestures, ZoomPicksTheScaleAgainstTheStepBeforeAndNoneFirst) {
    step("win", gtk::Gesture::kBegin, 0);
    step("b", gtk::Gesture::kZoom, 100, 70, 80);
    step("b", gtk::Gesture::kZoom, 120, 71, 80);
    step("b", gtk::Gesture::kZoom, 90, 72, 80);
    step("win", gtk::Gesture::kEnd, 0);
    // each gesture starts afresh
    step("win", gtk::Gesture::kBegin, 0);
    step("pn", gtk::Gesture::kZoom, 50, 200, 60);
    step("pn", gtk::Gesture::kZoom, 100, 200, 60);
    EXPECT_EQ(eval("log"), "[[zoom base none (70, 80)] [zoom base 120% (71, 80)] "
                           "[zoom base 75% (72, 80)] [zoom panel none (200, 60)] "
                           "[zoom panel 200% (200, 60)]]");
    // an end in the middle forgets the previous step too
    eval("clear log");
    step("win", gtk::Gesture::kEnd, 0);
    step("b", gtk::Gesture::kZoom, 80);
    EXPECT_EQ(eval("log"), "[[zoom base none (0, 0)]]");
}

TEST_F(Gestures, TheOtherGesturesPickTheLow32BitsOfTheirArgument) {
    step("b", gtk::Gesture::kPan, 0, 30, 40);
    step("b", gtk::Gesture::kRotate, 32767, 30, 40);
    step("win", gtk::Gesture::kTwoTap, 42, 5, 6);
    // press-tap: the tap 5 left of and 3 below the held touch
    step("pn", gtk::Gesture::kPressTap, (3 << 16) | 0xFFFB, 160, 20);
    step("b", gtk::Gesture::kPan, 0x100000007LL, 30, 40);
    EXPECT_EQ(eval("log"), "[[pan base 0 (30, 40)] [rotate base 32767 (30, 40)] "
                           "[two-tap window 42 (5, 6)] [press-tap panel 262139 (160, 20)] "
                           "[pan base 7 (30, 40)]]");
}

// Touches as GTK delivers them: the window sees them first.
void touch(GdkWindow* window, GdkEventType type, int sequence, double x, double y) {
    GdkEvent* ev = gdk_event_new(type);
    ev->touch.window = GDK_WINDOW(g_object_ref(window));
    ev->touch.send_event = TRUE;
    ev->touch.time = GDK_CURRENT_TIME;
    ev->touch.sequence = reinterpret_cast<GdkEventSequence*>(static_cast<uintptr_t>(sequence));
    ev->touch.x = x;
    ev->touch.y = y;
    int rx = 0, ry = 0;
    gdk_window_get_root_coords(window, static_cast<int>(x), static_cast<int>(y), &rx, &ry);
    ev->touch.x_root = rx;
    ev->touch.y_root = ry;
    ev->touch.emulating_pointer = sequence == 1;
    GdkDevice* pointer =
        gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    gdk_event_set_device(ev, pointer);
    gdk_event_set_source_device(ev, pointer);
    gtk_main_do_event(ev);
    gdk_event_free(ev);
}

TEST_F(Gestures, TwoTouchesSpreadingApartZoomTheFaceUnderThem) {
    gtk::Widget* w = gtk::widget_record(widget_of("win"));
    GdkWindow* client = gtk_widget_get_window(w->inner);
    touch(client, GDK_TOUCH_BEGIN, 1, 40, 60);
    touch(client, GDK_TOUCH_BEGIN, 2, 80, 60);
    touch(client, GDK_TOUCH_UPDATE, 2, 90, 60);
    touch(client, GDK_TOUCH_UPDATE, 1, 30, 60);
    touch(client, GDK_TOUCH_END, 2, 90, 60);
    touch(client, GDK_TOUCH_END, 1, 30, 60);
    pump();
    // On the screen, between the two touches.
    auto at = [&](int cx, int cy) {
        int x = 0, y = 0;
        gdk_window_get_root_coords(client, cx, cy, &x, &y);
        char text[32];
        std::snprintf(text, sizeof text, "(%d, %d)", x, y);
        return std::string(text);
    };
    // 40 apart, then 50 and 60: the first zoom picks none, the next 120%.
    EXPECT_EQ(eval("log"),
              "[[zoom base none " + at(65, 60) + "] [zoom base 120% " + at(60, 60) + "]]");
}

TEST_F(Gestures, TwoTouchesTurningRotateAndTwoQuickTouchesTap) {
    gtk::Widget* w = gtk::widget_record(widget_of("win"));
    GdkWindow* client = gtk_widget_get_window(w->inner);
    // One touch goes round the other, 50 apart: a quarter turn clockwise on
    // the screen is a quarter turn back, 3/8 of the way from -2 pi to 2 pi.
    touch(client, GDK_TOUCH_BEGIN, 1, 40, 60);
    touch(client, GDK_TOUCH_BEGIN, 2, 90, 60);
    touch(client, GDK_TOUCH_UPDATE, 2, 80, 90);
    touch(client, GDK_TOUCH_UPDATE, 2, 70, 100);
    touch(client, GDK_TOUCH_UPDATE, 2, 40, 110);
    touch(client, GDK_TOUCH_END, 2, 40, 110);
    touch(client, GDK_TOUCH_END, 1, 40, 60);
    // two touches 30 apart lifted at once
    touch(client, GDK_TOUCH_BEGIN, 1, 200, 50);
    touch(client, GDK_TOUCH_BEGIN, 2, 230, 50);
    touch(client, GDK_TOUCH_END, 2, 230, 50);
    touch(client, GDK_TOUCH_END, 1, 200, 50);
    pump();
    EXPECT_EQ(eval("collect [foreach e log [keep/only copy/part e 3]]"),
              "[[rotate base 29411] [rotate base 27931] [rotate base 24575] [two-tap panel 30]]");
}

TEST_F(Gestures, AOneTouchDragPansAndATapBesideAHeldTouchIsPressTap) {
    gtk::Widget* w = gtk::widget_record(widget_of("win"));
    GdkWindow* client = gtk_widget_get_window(w->inner);
    touch(client, GDK_TOUCH_BEGIN, 1, 20, 50);
    touch(client, GDK_TOUCH_UPDATE, 1, 40, 50);
    touch(client, GDK_TOUCH_UPDATE, 1, 60, 50);
    touch(client, GDK_TOUCH_END, 1, 60, 50);
    pump();
    EXPECT_EQ(eval("collect [foreach e log [keep/only copy/part e 3]]"),
              "[[pan base 0] [pan base 0]]");
    eval("clear log");
    // held past the long-press time, then a tap 20 right and 10 below
    touch(client, GDK_TOUCH_BEGIN, 1, 200, 50);
    gint hold = 500;
    g_object_get(gtk_settings_get_default(), "gtk-long-press-time", &hold, nullptr);
    for (gint waited = 0; waited < 2 * hold; waited += 10) {
        pump();
        g_usleep(10000);
    }
    touch(client, GDK_TOUCH_BEGIN, 2, 220, 60);
    touch(client, GDK_TOUCH_END, 2, 220, 60);
    touch(client, GDK_TOUCH_END, 1, 200, 50);
    pump();
    EXPECT_EQ(eval("collect [foreach e log [keep/only copy/part e 3]]"),
              "[[press-tap panel 655380]]");
}

} // namespace
