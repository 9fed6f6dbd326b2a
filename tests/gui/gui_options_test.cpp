// What a face's options ask of its widget, read back from GTK: the cursor
// shown over the face's own pixels (and not over its child faces), the hint
// of an empty field, the tab stops of edits, and a borderless accelerated
// window kept off the task bar.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

#include "gui/backend/backend.h"
#include "platform/gui/gtk-internal.h"
#include "platform/gui/gtk-options.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using xel_test::eval;
using xel_test::pump;
using xel_test::widget_of;

namespace {

class FaceOptions : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        eval("system/view/awake: func [event /with face] [none]");
    }
    void view(const std::string& window) {
        eval("win: make face! " + window + " view/no-wait win");
        pump();
    }
    void TearDown() override { eval("unview/all"); }
};

// A face without a cursor of its own shows the arrow, not its parent's.
TEST_F(FaceOptions, CursorWordsShowTheirCursorsOverTheFaceAlone) {
    view(R"([type: 'window size: 400x200 text: "C" options: [cursor: resize-we] pane: reduce [
        b: make face! [type: 'base offset: 10x10 size: 50x50 options: [cursor: hand]]
        bt: make face! [type: 'button offset: 70x10 size: 60x24 text: "b" options: [cursor: I-beam]]
        f: make face! [type: 'field offset: 140x10 size: 80x24 options: [cursor: cross]]
        t: make face! [type: 'text offset: 230x10 size: 50x24 text: "t" options: [cursor: wait]]
        pn: make face! [type: 'panel offset: 10x80 size: 150x100 options: [cursor: resize-ns]
            pane: reduce [inner: make face! [type: 'base offset: 5x5 size: 20x20]]]
        plain: make face! [type: 'field offset: 170x80 size: 80x24]]])");
    const char* const expected[][2] = {
        {"win", "ew-resize"}, {"b", "pointer"},    {"bt", "text"},       {"f", "crosshair"},
        {"t", "default"},     {"pn", "ns-resize"}, {"inner", "default"}, {"plain", "text"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(gtk::widget_cursor(widget_of(e[0])), e[1]) << e[0];
    // An options change shows the new cursor; options without one give the
    // field its own text cursor again.
    eval("b/options: [cursor: resize-ew]  f/options: [hint: \"x\"]");
    EXPECT_EQ(gtk::widget_cursor(widget_of("b")), "ew-resize");
    EXPECT_EQ(gtk::widget_cursor(widget_of("f")), "text");
    // A cursor of an odd-length options block is no cursor.
    eval("b/options: [cursor: hand extra]");
    EXPECT_EQ(gtk::widget_cursor(widget_of("b")), "default");
}

TEST_F(FaceOptions, AnImageIsACursorWithItsHotSpotInTheMiddle) {
    view(R"([type: 'window size: 200x100 text: "I" pane: reduce [
        b: make face! [type: 'base offset: 10x10 size: 50x50
            options: reduce [to set-word! 'cursor make image! [16x12 255.0.0]]]]])");
    gtk::WidgetId id = widget_of("b");
    EXPECT_EQ(gtk::widget_cursor(id), "image");
    GdkCursor* c = gdk_window_get_cursor(gtk_widget_get_window(gtk::widget_record(id)->outer));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(gdk_cursor_get_cursor_type(c), GDK_CURSOR_IS_PIXMAP);
}

TEST_F(FaceOptions, AFieldShowsItsHintAndEditsTakeTabStops) {
    view(R"([type: 'window size: 300x200 text: "H" pane: reduce [
        f: make face! [type: 'field offset: 10x10 size: 100x24 options: [hint: "Name"]]
        g: make face! [type: 'field offset: 10x40 size: 100x24 options: [tabs: 8]]
        a: make face! [type: 'area offset: 120x10 size: 100x100]
        a8: make face! [type: 'area offset: 120x120 size: 100x60 options: [tabs: 8]]]])");
    EXPECT_EQ(gtk::field_hint(widget_of("f")), "Name");
    EXPECT_EQ(gtk::field_hint(widget_of("g")), "");
    // Every edit stops every four average characters; tabs: 8 every eight.
    int four = gtk::edit_tab_stop(widget_of("f"));
    EXPECT_GT(four, 8);
    EXPECT_EQ(gtk::edit_tab_stop(widget_of("a")), four);
    EXPECT_NEAR(gtk::edit_tab_stop(widget_of("g")), 2 * four, 1);
    EXPECT_NEAR(gtk::edit_tab_stop(widget_of("a8")), 2 * four, 1);
}

TEST_F(FaceOptions, ABorderlessAcceleratedWindowIsAToolWindow) {
    view(R"([type: 'window size: 100x100 text: "A" flags: 'no-border
        options: [accelerated: true]])");
    GtkWindow* w = GTK_WINDOW(gtk::widget_record(widget_of("win"))->outer);
    EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(w));
    eval("unview win");
    view(R"([type: 'window size: 100x100 text: "N" options: [accelerated: true]])");
    w = GTK_WINDOW(gtk::widget_record(widget_of("win"))->outer);
    EXPECT_FALSE(gtk_window_get_skip_taskbar_hint(w));
}

} // namespace
