// Scroll bars driven by pointer input put through GTK's dispatch: the bars
// of a scrollable face follow its scroller! objects and report scroll
// events; a scroller face moves by its page, steps and thumb; the GUI
// console's bar follows its lines and scrolls the terminal.
#include <gtest/gtest.h>

#include <string>

#include "gui/backend/backend.h"
#include "platform/gui/gtk-internal.h"
#include "platform/gui/gtk-scroll-bars.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using xel_test::eval;
using xel_test::pump;
using xel_test::widget_of;

namespace {

// A new allocation waits for the next frame.
void settle() {
    for (int i = 0; i < 20; i++) {
        pump();
        g_usleep(10000);
    }
}

void pointer(gtk::InputKind kind, gtk::WidgetId id, int x, int y, uint32_t state = 0) {
    gtk::Input in{};
    in.kind = kind;
    in.widget = id;
    in.x = x;
    in.y = y;
    in.button = 1;
    in.state = state;
    gtk::synthesize(in, false);
}

void click(gtk::WidgetId id, int x, int y, uint32_t state = 0) {
    pointer(gtk::InputKind::kMotion, id, x, y, state);
    pointer(gtk::InputKind::kButtonPress, id, x, y, state);
    pointer(gtk::InputKind::kButtonRelease, id, x, y, state | gtk::kStateButton1);
    pump();
}

// Presses the slider, moves it by dy (or dx) in steps, lets it go.
void drag(gtk::WidgetId id, int x, int y, int dx, int dy) {
    pointer(gtk::InputKind::kMotion, id, x, y);
    pointer(gtk::InputKind::kButtonPress, id, x, y);
    for (int i = 1; i <= 4; i++)
        pointer(gtk::InputKind::kMotion, id, x + dx * i / 4, y + dy * i / 4, gtk::kStateButton1);
    pointer(gtk::InputKind::kButtonRelease, id, x + dx, y + dy, gtk::kStateButton1);
    pump();
}

gtk::BarPoints points(gtk::WidgetId id, bool vertical) {
    gtk::BarPoints p;
    EXPECT_TRUE(gtk::bar_points(id, vertical, &p));
    return p;
}

gtk::BarState bar(gtk::WidgetId id, bool vertical) {
    gtk::BarState s;
    EXPECT_TRUE(gtk::bar_state(id, vertical, &s));
    return s;
}

class GuiScroll : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        eval("log: copy [] follow?: false engine-awake: :system/view/awake");
    }
    void TearDown() override { eval("unview/all system/view/awake: :engine-awake"); }
};

TEST_F(GuiScroll, AScrollableFaceHasBarsThatFollowItsScrollers) {
    eval(R"(win: make face! [type: 'window size: 300x240 text: "S" pane: reduce [
        b: make face! [type: 'base offset: 10x10 size: 200x150 flags: [scrollable]]]]
        view/no-wait win)");
    settle();
    gtk::WidgetId id = widget_of("b");
    // both bars are there until the program says otherwise
    EXPECT_TRUE(bar(id, true).shown);
    EXPECT_TRUE(bar(id, false).shown);
    eval("sv: get-scroller b 'vertical sv/max-size: 100 sv/page-size: 10 sv/position: 40 "
         "sh: get-scroller b 'horizontal sh/visible?: false");
    gtk::BarState v = bar(id, true);
    EXPECT_EQ(v.min, 1);
    EXPECT_EQ(v.max, 100);
    EXPECT_EQ(v.page, 10);
    EXPECT_EQ(v.position, 40);
    EXPECT_TRUE(v.enabled);
    EXPECT_FALSE(bar(id, false).shown);
    // the position stays where the last page fits; min-size changes nothing
    eval("sv/position: 500 sv/min-size: 50");
    EXPECT_EQ(bar(id, true).position, 91);
    // a page that spans the range leaves the bar shown and disabled
    eval("sv/page-size: 200");
    EXPECT_TRUE(bar(id, true).shown);
    EXPECT_FALSE(bar(id, true).enabled);
    // a scroller of a face without a window changes nothing
    EXPECT_EQ(eval("s: get-scroller make face! [type: 'base] 'vertical s/position: 3"), "3");
}

TEST_F(GuiScroll, MovesOfAFacesOwnBarAreScrollEventsThatTheFaceAnswers) {
    eval(R"(win: make face! [type: 'window size: 300x240 text: "E" pane: reduce [
        b: make face! [type: 'base offset: 10x10 size: 200x150 flags: [scrollable]]]]
        view/no-wait win
        sv: get-scroller b 'vertical sv/max-size: 100 sv/page-size: 10 sv/position: 1
        system/view/awake: func [event /with face] [
            if find [scroll wheel] event/type [
                append/only log reduce [event/type event/key event/picked event/orientation
                    same? event/face b]
                if all [follow? event/key = 'track] [sv/position: event/picked]
            ]
            none])");
    settle();
    gtk::WidgetId id = widget_of("b");
    // Shift and a press beyond the slider ask for the next page; the bar
    // waits for the face to move it
    gtk::BarPoints p = points(id, true);
    click(id, p.after_x, p.after_y, gtk::kStateShift);
    EXPECT_EQ(eval("log"), "[[scroll page-down 1 vertical true] [scroll end 1 vertical true]]");
    EXPECT_EQ(bar(id, true).position, 1);
    // the slider dragged: track events with the thumb's position
    eval("clear log follow?: true");
    drag(id, p.slider_x, p.slider_y, 0, 60);
    EXPECT_EQ(eval("first first log"), "scroll");
    EXPECT_EQ(eval("log/1/2"), "track");
    EXPECT_EQ(eval("last log"), "[scroll end " + eval("sv/position") + " vertical true]");
    int position = bar(id, true).position;
    EXPECT_GT(position, 20);
    EXPECT_EQ(eval("sv/position"), std::to_string(position));
    // dragged back up beyond the top: the first position
    eval("clear log");
    p = points(id, true);
    drag(id, p.slider_x, p.slider_y, 0, -200);
    EXPECT_EQ(bar(id, true).position, 1);
    // the wheel over the bar is the face's wheel
    eval("clear log");
    gtk::Input wheel{};
    wheel.kind = gtk::InputKind::kScroll;
    wheel.widget = id;
    wheel.x = p.slider_x;
    wheel.y = p.slider_y;
    wheel.wheel = -1;
    gtk::synthesize(wheel, false);
    pump();
    EXPECT_EQ(eval("log"), "[[wheel wheel -1.0 none true]]");
    // a horizontal bar names its keys by the sides
    eval("clear log sh: get-scroller b 'horizontal sh/max-size: 50 sh/page-size: 5 "
         "sh/position: 1");
    settle();
    p = points(id, false);
    click(id, p.after_x, p.after_y, gtk::kStateShift);
    EXPECT_EQ(eval("first log"), "[scroll page-right 1 horizontal true]");
}

TEST_F(GuiScroll, AScrollerFaceMovesByItsPageStepsAndThumb) {
    eval(R"(win: make face! [type: 'window size: 300x100 text: "F" pane: reduce [
        s: make face! [type: 'scroller offset: 10x10 size: 200x16 selected: 20% steps: 0.05]]]
        view/no-wait win
        system/view/awake: func [event /with face] [
            if event/type = 'change [
                append/only log reduce [event/type event/face/data event/face/selected]]
            none])");
    settle();
    gtk::WidgetId id = widget_of("s");
    EXPECT_EQ(eval("reduce [s/data s/selected]"), "[0.0 20%]");
    gtk::BarPoints p = points(id, false);
    click(id, p.after_x, p.after_y, gtk::kStateShift);
    // a page forward, then the end of the move raises nothing
    EXPECT_EQ(eval("log"), "[[change 0.2 20%]]");
    // a step, as the keys of a focused bar ask for it
    eval("clear log");
    g_signal_emit_by_name(gtk::widget_record(id)->inner, "move-slider", GTK_SCROLL_STEP_FORWARD);
    pump();
    EXPECT_EQ(eval("log/1/2 - 0.25 < 0.0001"), "true");
    // the thumb dragged to the end: the position where the page fits
    eval("clear log");
    p = points(id, false);
    drag(id, p.slider_x, p.slider_y, 300, 0);
    EXPECT_EQ(eval("last log"), "[change 0.8 20%]");
    // data set by the program moves the bar
    eval("s/data: 0.5");
    EXPECT_NEAR(gtk::range_get(id), 0.5, 1e-9);
}

TEST_F(GuiScroll, AnAreaShowsItsBarsWhileItsTextNeedsThem) {
    eval(R"(win: make face! [type: 'window size: 400x200 text: "A" pane: reduce [
        a: make face! [type: 'area offset: 10x10 size: 150x80 text: "short"]
        w: make face! [type: 'area offset: 200x10 size: 150x80 para: make para! [wrap?: true]
            text: append/dup copy "" "words that wrap " 30]]]
        view/no-wait win)");
    settle();
    gtk::WidgetId a = widget_of("a"), w = widget_of("w");
    EXPECT_FALSE(bar(a, true).shown);
    EXPECT_FALSE(bar(a, false).shown);
    // a wrapping area grows downwards only
    EXPECT_TRUE(bar(w, true).shown);
    EXPECT_FALSE(bar(w, false).shown);
    eval(R"(a/text: append/dup copy "a line much longer than the area is wide^/" "more^/" 20)");
    settle();
    EXPECT_TRUE(bar(a, true).shown);
    EXPECT_TRUE(bar(a, false).shown);
}

class GuiConsoleScroll : public ::testing::Test {};

TEST_F(GuiConsoleScroll, TheConsolesBarFollowsItsLinesAndScrollsTheTerminal) {
    eval(R"(
        system/options/cache: rejoin [%/tmp/xel-gui-scroll- random 1000000 %/]
        unless object? system/console [system/console: make object! [
            size: 80x25 history: make block! 10 prompt: ">> " launch: none]]
        system/console/launch: does [none]
        system/script/args: none
        c: gui-console-ctx t: c/terminal
        c/launch con: c/console
        repeat i 200 [print ["line" i]]
        t/paint/dry)");
    settle();
    gtk::WidgetId id = widget_of("con");
    ASSERT_NE(id, 0u);
    gtk::BarState v = bar(id, true);
    int page = std::stoi(eval("t/page-cnt"));
    EXPECT_FALSE(bar(id, false).shown);
    EXPECT_TRUE(v.shown && v.enabled);
    EXPECT_EQ(v.page, page);
    EXPECT_EQ(v.max, std::stoi(eval("t/line-cnt")) - 1 + page);
    // the thumb shows the last page of rows
    EXPECT_EQ(v.position, std::stoi(eval("c/scroller/position")));
    EXPECT_EQ(v.position, std::stoi(eval("t/line-cnt")) - page + 1);
    // a page up through the bar scrolls the terminal one page of rows
    int top = std::stoi(eval("t/top"));
    gtk::BarPoints p = points(id, true);
    click(id, p.before_x, p.before_y, gtk::kStateShift);
    EXPECT_EQ(bar(id, true).position, v.position - page);
    EXPECT_EQ(std::stoi(eval("t/top")), top - page);
    // dragging the slider to the top shows the first line
    p = points(id, true);
    drag(id, p.slider_x, p.slider_y, 0, -2000);
    EXPECT_EQ(bar(id, true).position, 1);
    EXPECT_EQ(eval("reduce [t/top t/scroll-y c/scroller/position]"), "[1 0 1]");
    eval("delete c/cfg-path delete c/cfg-dir delete system/options/cache");
}

} // namespace
