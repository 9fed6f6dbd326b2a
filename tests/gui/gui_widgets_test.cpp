// The widgets with data of their own, made by the GUI engine's view and
// driven through GTK: menus (bars and context menus, chosen as a person
// does with the keys), tab panels, lists changed in place, calendars, button
// images, three-state checks and radio groups, and base faces that draw
// through their drawing event over a parent that shows through.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gui/backend/backend.h"
#include "platform/gui/gtk-controls.h"
#include "platform/gui/gtk-internal.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using namespace xel_test;

namespace {

// Two numbers joined as text ("(3, 4)", "16x12", ...).
std::string two(const char* format, int a, int b) {
    char out[64];
    std::snprintf(out, sizeof out, format, a, b);
    return out;
}

// Pumps for a while: a redraw waits for the next frame.
void settle() {
    for (int i = 0; i < 20; i++) {
        pump();
        g_usleep(10000);
    }
}

std::string items(gtk::WidgetId id) {
    std::string out;
    for (int i = 0; i < gtk::list_count(id); i++)
        out.append(i ? " " : "").append(gtk::list_item(id, i));
    return out;
}

std::string tabs(gtk::WidgetId id) {
    std::string out;
    for (int i = 0; i < gtk::tab_count(id); i++)
        out.append(i ? " " : "").append(gtk::tab_text(id, i));
    return out;
}

class GuiWidgets : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        eval(R"(
            p: system/view/platform
            log: copy []
            answer: none
            only: none
            logger: func [event /with face] [
                if any [none? only find only event/type] [
                    append/only log reduce [event/type event/face/type event/picked]]
                answer]
            click: func [f at] [
                send-event-os make event! [type: 'down face: f offset: at] false
                send-event-os make event! [type: 'up face: f offset: at] false]
        )");
    }
    // Shows the window of the given pane and logs what reaches awake.
    void view(const std::string& window) {
        eval("win: make face! " + window + " view/no-wait win");
        pump();
        eval("system/view/awake: :logger clear log");
    }
    void TearDown() override { eval("unview/all"); }
};

TEST_F(GuiWidgets, AMenuBarIsBuiltFromTheMenuBlockAndAChoiceRaisesMenuWithItsWord) {
    view(R"([type: 'window size: 300x200 text: "M" menu: [
        "File" ["Open" open "Quit" quit] "Edit" ["Copy" copy --- "Paste" paste] "Plain"]])");
    gtk::WidgetId w = widget_of("win");
    EXPECT_EQ(gtk::menu_describe(w),
              R"("File" ["Open" "Quit"] "Edit" ["Copy" --- "Paste"] "Plain")");
    ASSERT_TRUE(gtk::menu_choose(w, {0, 1}));
    ASSERT_TRUE(gtk::menu_choose(w, {1, 2}));
    // an item without an action word picks none; a separator is no choice
    ASSERT_TRUE(gtk::menu_choose(w, {2}));
    EXPECT_FALSE(gtk::menu_choose(w, {1, 1}));
    pump();
    EXPECT_EQ(eval("log"), "[[menu window quit] [menu window paste] [menu window none]]");
    // a new menu replaces the bar; popup first makes it no bar
    eval(R"(win/menu: ["Help" help])");
    EXPECT_EQ(gtk::menu_describe(w), R"("Help")");
    eval(R"(win/menu: [popup "Help" help])");
    EXPECT_EQ(gtk::menu_describe(w), "");
}

TEST_F(GuiWidgets, ARightPressShowsTheContextMenuAndItsChoiceGoesToThatFace) {
    view(R"([type: 'window size: 300x200 text: "C" pane: reduce [
        b: make face! [type: 'base offset: 10x10 size: 100x100
            menu: ["Copy" copy "Paste" paste --- "Select All" select-all]]]])");
    eval("only: [menu] send-event-os make event! [type: 'alt-down face: b offset: 20x30] false");
    pump();
    EXPECT_EQ(gtk::menu_describe(0), R"("Copy" "Paste" --- "Select All")");
    ASSERT_TRUE(gtk::menu_choose(0, {3}));
    pump();
    EXPECT_EQ(eval("last log"), "[menu base select-all]");
    eval("system/view/awake: func [event /with face] [if event/type = 'menu [append/only log "
         "event/offset] none]");
    eval("send-event-os make event! [type: 'alt-down face: b offset: 20x30] false");
    pump();
    ASSERT_TRUE(gtk::menu_choose(0, {0}));
    pump();
    EXPECT_EQ(eval("last log"), "(20, 30)");
}

TEST_F(GuiWidgets, AWindowMenuBeginningWithPopupIsItsContextMenu) {
    view(R"([type: 'window size: 300x200 text: "W" menu: [popup "Close" close]])");
    EXPECT_EQ(gtk::menu_describe(widget_of("win")), "");
    eval("only: [menu] send-event-os make event! [type: 'alt-down face: win offset: 20x30] false");
    pump();
    EXPECT_EQ(gtk::menu_describe(0), R"("Close")");
    ASSERT_TRUE(gtk::menu_choose(0, {0}));
    pump();
    EXPECT_EQ(eval("log"), "[[menu window close]]");
}

TEST_F(GuiWidgets, ARightPressOnAWindowWithAMenuBarShowsNoContextMenu) {
    view(R"([type: 'window size: 300x200 text: "B" menu: ["File" file]])");
    eval("send-event-os make event! [type: 'alt-down face: win offset: 20x30] false");
    pump();
    EXPECT_EQ(gtk::menu_describe(0), "");
}

TEST_F(GuiWidgets, ATabPanelClampsSelectedAndAClickRaisesSelectThenChange) {
    view(R"([type: 'window size: 400x300 text: "T" pane: reduce [
        tp: make face! [type: 'tab-panel offset: 10x10 size: 300x200 data: ["A" "B" "C"]
            selected: 7 pane: reduce [
                make face! [type: 'panel] make face! [type: 'panel] make face! [type: 'panel]]]]])");
    gtk::WidgetId tab = widget_of("tp");
    EXPECT_EQ(tabs(tab), "A B C");
    EXPECT_EQ(eval("tp/selected"), "3");
    EXPECT_EQ(gtk::tab_current(tab), 2);
    EXPECT_EQ(eval("collect [foreach f tp/pane [keep f/visible?]]"), "[false false true]");
    // the page lies over the page area, 3 left of and 1 above its corner
    int x, y, w, h;
    ASSERT_TRUE(gtk::tab_page_area(tab, &x, &y, &w, &h));
    EXPECT_EQ(eval("tp/pane/3/offset"), two("(%d, %d)", x - 3, y - 1));
    EXPECT_EQ(eval("tp/pane/3/size"), two("(%d, %d)", w + 4, h + 3));
    int cx, cy;
    ASSERT_TRUE(gtk::tab_caption_point(tab, 0, &cx, &cy));
    eval("only: [down up select change]");
    eval("click tp " + two("%dx%d", cx, cy));
    pump();
    EXPECT_EQ(
        eval("log"),
        "[[down tab-panel none] [select tab-panel 3] [change tab-panel 1] [up tab-panel none]]");
    EXPECT_EQ(eval("tp/selected"), "1");
    EXPECT_EQ(eval("collect [foreach f tp/pane [keep f/visible?]]"), "[true false false]");
    // stopping select keeps the tab
    eval("clear log system/view/awake: func [event /with face] [either event/type = 'select "
         "['stop] [none]]");
    ASSERT_TRUE(gtk::tab_caption_point(tab, 1, &cx, &cy));
    eval("click tp " + two("%dx%d", cx, cy));
    pump();
    EXPECT_EQ(gtk::tab_current(tab), 0);
    EXPECT_EQ(eval("tp/selected"), "1");
    // the tabs follow the data block in place; selected chooses a tab
    eval("system/view/awake: :logger");
    eval(R"(append tp/data "D"  remove at tp/data 2  tp/selected: 2)");
    pump();
    EXPECT_EQ(tabs(tab), "A C D");
    EXPECT_EQ(gtk::tab_current(tab), 1);
}

TEST_F(GuiWidgets, ListsFollowTheirDataItemByItemAndPressesPickTheItem) {
    view(R"([type: 'window size: 400x300 text: "L" pane: reduce [
        lst: make face! [type: 'text-list offset: 10x10 size: 120x250 data: ["one" "two" "three"]]
        dl: make face! [type: 'drop-list offset: 150x10 size: 100x30 data: ["a" 1 "b"]]]])");
    gtk::WidgetId list = widget_of("lst");
    gtk::WidgetId drop = widget_of("dl");
    EXPECT_EQ(items(list), "one two three");
    EXPECT_EQ(items(drop), "a b");
    const char* const steps[][2] = {
        {R"(append lst/data "four")", "one two three four"},
        {R"(insert lst/data "zero")", "zero one two three four"},
        {R"(remove at lst/data 3)", "zero one three four"},
        {R"(append lst/data 42)", "zero one three four"},
        {R"(poke lst/data 2 "ONE")", "zero ONE three four"},
        {R"(uppercase lst/data/3)", "zero ONE THREE four"},
        {R"(append lst/data/3 "!")", "zero ONE THREE! four"},
        {R"(sort lst/data)", "four ONE THREE! zero"},
        {R"(take/last lst/data)", "four ONE THREE! zero"},
        {R"(take/last lst/data)", "four ONE THREE!"},
        {R"(clear lst/data)", ""},
    };
    for (const auto& step : steps) {
        eval(step[0]);
        EXPECT_EQ(items(list), step[1]) << step[0];
    }
    eval(R"(append dl/data ["c" "d"]  remove dl/data)");
    EXPECT_EQ(items(drop), "b c d");
    // a press picks the item under the mouse; a choice raises select, then change
    eval(R"(append lst/data ["p" "q" "r"])");
    pump();
    eval("only: [down up select change] clear log click lst 5x5");
    eval("send-event-os make event! [type: 'down face: lst offset: 5x240] false");
    pump();
    EXPECT_EQ(eval("log"), "[[down text-list 1] [select text-list 1] [change text-list 0] [up "
                           "text-list none] [down text-list none]]");
    EXPECT_EQ(eval("lst/selected"), "1");
}

TEST_F(GuiWidgets, ATextListTakesTheFocusWithoutAChoiceAndKeysGoOnFromTheRowSelected) {
    view(R"([type: 'window size: 300x300 text: "K" pane: reduce [
        lst: make face! [type: 'text-list offset: 10x10 size: 120x250 data: ["a" "b" "c" "d"]]]])");
    gtk::WidgetId id = widget_of("lst");
    eval("only: [select change] clear log win/selected: lst  p/show-window win/state/1");
    pump();
    EXPECT_EQ(eval("log"), "[]");
    EXPECT_EQ(eval("lst/selected"), "-1");
    eval("lst/selected: 3");
    pump();
    for (bool press : {true, false}) {
        gtk::Input key{};
        key.kind = press ? gtk::InputKind::kKeyPress : gtk::InputKind::kKeyRelease;
        key.widget = id;
        key.keyval = GDK_KEY_Down;
        gtk::synthesize(key, false);
    }
    pump();
    EXPECT_EQ(eval("log"), "[[select text-list 4] [change text-list 0]]");
    EXPECT_EQ(eval("lst/selected"), "4");
}

TEST_F(GuiWidgets, CalendarsShowAndReturnDatesWithinTheirYears) {
    view(R"([type: 'window size: 400x300 text: "D" pane: reduce [
        cal: make face! [type: 'calendar offset: 10x10 size: 250x200 data: 1-Jan-1500]]])");
    gtk::WidgetId id = widget_of("cal");
    int y, m, d;
    gtk::calendar_get(id, &y, &m, &d);
    EXPECT_EQ(y, 1601);
    EXPECT_EQ(two("%d-%d", m, d), "1-1");
    eval("cal/data: 15-Mar-2020");
    gtk::calendar_get(id, &y, &m, &d);
    EXPECT_EQ(y, 2020);
    EXPECT_EQ(two("%d-%d", m, d), "3-15");
    // a day chosen in the control, as a click on it chooses it
    gtk_calendar_select_day(GTK_CALENDAR(gtk::widget_record(id)->inner), 20);
    pump();
    EXPECT_EQ(eval("log"), "[[change calendar 0]]");
    EXPECT_EQ(eval("cal/data"), "20-Mar-2020");
    // going to the next month (Control+Right) chooses nothing
    eval("only: [change] clear log win/selected: cal  p/show-window win/state/1");
    pump();
    for (bool press : {true, false}) {
        gtk::Input key{};
        key.kind = press ? gtk::InputKind::kKeyPress : gtk::InputKind::kKeyRelease;
        key.widget = id;
        key.keyval = GDK_KEY_Right;
        key.state = gtk::kStateCtrl;
        gtk::synthesize(key, false);
    }
    pump();
    gtk::calendar_get(id, &y, &m, &d);
    EXPECT_EQ(two("%d-%d", m, d), "4-20");
    EXPECT_EQ(eval("log"), "[]");
    EXPECT_EQ(eval("cal/data"), "20-Mar-2020");
    eval("cal/data: none  p/update-text cal");
}

TEST_F(GuiWidgets, ButtonsShowTheirImagesAtTheDesignedSizes) {
    view(R"([type: 'window size: 300x200 text: "I" pane: reduce [
        btn: make face! [type: 'button offset: 10x10 size: 60x30 image: make image! 16x12]]])");
    gtk::WidgetId id = widget_of("btn");
    int w, h;
    EXPECT_EQ(gtk::button_images(id, &w, &h), 1);
    EXPECT_EQ(two("%dx%d", w, h), "16x12");
    eval("img: make image! 8x8  btn/image: reduce [img 32x32]");
    EXPECT_EQ(gtk::button_images(id, &w, &h), 1);
    EXPECT_EQ(two("%dx%d", w, h), "32x32");
    eval("btn/image: reduce [img img img]");
    EXPECT_EQ(gtk::button_images(id, &w, &h), 3);
    EXPECT_EQ(two("%dx%d", w, h), "60x30");
    eval("btn/image: none");
    EXPECT_EQ(gtk::button_images(id, &w, &h), 0);
}

TEST_F(GuiWidgets, AThreeStateCheckStepsAndRadiosOfAParentFollowEachOther) {
    view(R"([type: 'window size: 300x200 text: "R" pane: reduce [
        chk: make face! [type: 'check offset: 10x10 size: 100x20 text: "c" flags: [tri-state]
            data: false]
        r1: make face! [type: 'radio offset: 10x40 size: 100x20 text: "1" data: true]
        r2: make face! [type: 'radio offset: 10x70 size: 100x20 text: "2" data: false]]])");
    std::string seen;
    for (int i = 0; i < 4; i++) {
        eval("click chk 5x5");
        pump();
        seen += eval("chk/data") + " ";
    }
    EXPECT_EQ(seen, "none true false none ");
    gtk::WidgetId one = widget_of("r1"), two = widget_of("r2");
    eval("r2/data: true");
    EXPECT_EQ(eval("r1/data"), "false");
    EXPECT_EQ(gtk::check_get(one), 0);
    EXPECT_EQ(gtk::check_get(two), 1);
    // no radio of the group checked
    eval("r2/data: false");
    EXPECT_EQ(gtk::check_get(two), 0);
    EXPECT_EQ(gtk::check_get(one), 0);
}

TEST_F(GuiWidgets, ABaseFaceDrawsInItsDrawingEventAndATranslucentColourBlends) {
    view(R"([type: 'window size: 200x150 text: "P" pane: reduce [
        r: make face! [type: 'base offset: 10x10 size: 100x100 color: 255.0.0]
        b: make face! [type: 'base offset: 10x10 size: 100x100 color: 0.0.255.128]
        d: make face! [type: 'base offset: 120x10 size: 60x60]]])");
    eval("system/view/awake: func [event /with face] [if event/type = 'drawing ["
         "append/only log event/face/type p/draw-face event/face [pen off fill-pen 0.255.0 "
         "box 0x0 30x30]] none]");
    eval("d/color: 200.200.200");
    settle();
    EXPECT_EQ(eval("first log"), "base");
    gtk::WidgetId w = widget_of("win");
    // half blue over red; the drawing event's box is green
    int64_t blend = gtk::window_pixel(w, 50, 50);
    ASSERT_GE(blend, 0);
    EXPECT_NEAR(static_cast<double>(blend >> 16), 128, 4);
    EXPECT_EQ(blend & 0xFF00, 0);
    EXPECT_NEAR(static_cast<double>(blend & 0xFF), 127, 4);
    EXPECT_EQ(gtk::window_pixel(w, 130, 20), 0x00FF00);
}

TEST_F(GuiWidgets, BaseAndRichTextFacesTakeTheFocusAndTheKeys) {
    view(R"([type: 'window size: 300x200 text: "K" pane: reduce [
        b: make face! [type: 'base offset: 10x10 size: 100x100]
        rt: make face! [type: 'rich-text offset: 120x10 size: 100x100 text: "rich"]]])");
    eval("only: [focus key] win/selected: rt  p/show-window win/state/1");
    pump();
    eval("send-event-os make event! [type: 'key-down face: rt key: #\"a\"] false");
    pump();
    EXPECT_EQ(eval("log"), "[[focus rich-text 0] [key rich-text 97]]");
}

TEST_F(GuiWidgets, ABaseFaceKeepsTheMouseFromItsFirstPressToItsLastRelease) {
    view(R"([type: 'window size: 300x200 text: "G" pane: reduce [
        b: make face! [type: 'base offset: 10x10 size: 50x50]
        o: make face! [type: 'base offset: 100x10 size: 50x50]]])");
    eval("system/view/awake: func [event /with face] [if find [down up] event/type ["
         "append/only log reduce [event/type same? event/face b]] none]");
    eval("send-event-os make event! [type: 'down face: b offset: 5x5] false");
    // a release over the other face still reaches the face that holds the mouse
    eval("send-event-os make event! [type: 'up face: o offset: 5x5] false");
    eval("send-event-os make event! [type: 'down face: o offset: 6x6] false");
    pump();
    EXPECT_EQ(eval("log"), "[[down true] [up true] [down false]]");
}

} // namespace
