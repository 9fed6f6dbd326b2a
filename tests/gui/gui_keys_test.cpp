// Input that a language-made event cannot carry (keys with names, modifiers
// alone, characters beyond the first plane, closing a window) injected as
// GDK events through GTK's dispatch, and the events that reach awake.
#include <gtest/gtest.h>

#include <string>

#include "gui/backend/backend.h"
#include "platform/gui/gtk-gui.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using namespace xel_test;

namespace {

class GuiInput : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        eval(R"(
            p: system/view/platform
            face: func [type spec /local f] [
                f: make object! [type: none offset: 0x0 size: 10x10 text: none image: none
                    color: none menu: none data: none enabled?: true visible?: true
                    selected: none flags: none options: none parent: none pane: none state: none
                    rate: none edge: none para: none font: none actors: none extra: none
                    draw: none]
                f/type: type  do bind spec f  f]
            show-face: func [f parent] [
                f/state: reduce [p/make-view f either parent [parent/state/1] [p/make-null-handle]
                    0 none false]
                f]
            log: copy []
            answer: none
            system/view/awake: func [event /with face] [
                append/only log reduce [event/type event/face/type event/key event/flags]
                answer]
            win: show-face face 'window [offset: 40x40 size: 300x200 text: "Keys"] none
            fld: show-face face 'field [offset: 10x10 size: 150x24 text: ""] win
            win/selected: fld
            p/show-window win/state/1
        )");
        pump();
        eval("clear log");
        field_ = widget_of("fld");
        ASSERT_NE(field_, 0u);
    }
    void TearDown() override { eval("p/destroy-view win false"); }

    void key(uint32_t keyval, bool press, uint32_t state = 0) {
        gtk::Input in{};
        in.kind = press ? gtk::InputKind::kKeyPress : gtk::InputKind::kKeyRelease;
        in.widget = field_;
        in.keyval = keyval;
        in.state = state;
        gtk::synthesize(in, false);
        pump();
    }
    void stroke(uint32_t keyval, uint32_t state = 0) {
        key(keyval, true, state);
        key(keyval, false, state);
    }

    gtk::WidgetId field_ = 0;
};

TEST_F(GuiInput, NamedKeysRaiseKeyDownThenKeyWithTheirName) {
    struct Case {
        uint32_t keyval;
        const char* name;
    };
    const Case cases[] = {{0xff56, "page-down"},
                          {0xff51, "left"},
                          {0xffbe, "F1"},
                          {0xff50, "home"},
                          {0xffff, "delete"}};
    for (const Case& c : cases) {
        eval("clear log");
        stroke(c.keyval);
        std::string n = c.name;
        EXPECT_EQ(eval("log"), "[[key-down field " + n + " []] [key field " + n +
                                   " []] [key-up field " + n + " []]]")
            << n;
    }
}

TEST_F(GuiInput, ModifiersAloneRaiseNoKeyEventAndTellTheirSide) {
    stroke(0xffe1); // left shift
    stroke(0xffe4); // right control
    EXPECT_EQ(eval("log"), "[[key-down field left-shift []] [key-up field left-shift []] "
                           "[key-down field right-control []] [key-up field right-control []]]");
}

TEST_F(GuiInput, ACharacterBeyondTheFirstPlaneArrivesWhole) {
    stroke(0x0101F600);
    EXPECT_EQ(eval("to integer! log/2/3"), "128512");
    EXPECT_EQ(eval("log/2/1"), "key");
    EXPECT_EQ(eval("to integer! last fld/text"), "128512");
}

TEST_F(GuiInput, ClosingRaisesCloseAndTheWindowStaysUnlessStopEndsTheLoop) {
    gtk::WidgetId window = widget_of("win");
    gtk::window_close(window);
    pump();
    EXPECT_EQ(eval("last log"), "[close window none []]");
    EXPECT_TRUE(gtk::widget_alive(window));
    // A close answered with stop ends the loop that waits.
    eval("answer: 'stop");
    gtk::window_close(window);
    EXPECT_EQ(eval("p/do-event-loop false"), "true");
    EXPECT_EQ(eval("last log"), "[close window none []]");
}

} // namespace
