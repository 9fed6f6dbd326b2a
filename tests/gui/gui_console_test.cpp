// The console window's input that a script cannot make: F12 as the key a
// person presses, the menu bar's "Run..." and "Choose Font..." answered in
// GTK's own dialogs, and an input method's composition reaching the console
// face as an ime event.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "gui/backend/backend.h"
#include "gui/backend/dispatch.h"
#include "platform/gui/gtk-controls.h"
#include "platform/gui/gtk-internal.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/string/string.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using xel_test::eval;
using xel_test::pump;
using xel_test::widget_of;

namespace {

// Answers the dialog a menu item opens: acts on it once it is up, then
// accepts (or cancels, without an act) a few ticks later.
struct Driver {
    std::function<void(GtkWidget*)> act;
    int ticks = 0;
    bool acted = false;
    bool done = false;
};

GtkWidget* open_dialog() {
    GtkWidget* found = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next)
        if (GTK_IS_DIALOG(l->data) && gtk_widget_get_mapped(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    g_list_free(all);
    return found;
}

gboolean tick(gpointer data) {
    auto* d = static_cast<Driver*>(data);
    GtkWidget* dialog = open_dialog();
    d->ticks++;
    if (!dialog) {
        d->done = d->ticks >= 100;
        return d->done ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    }
    if (d->ticks < 4) return G_SOURCE_CONTINUE;
    if (!d->acted) {
        if (d->act) d->act(dialog);
        d->acted = true;
        return G_SOURCE_CONTINUE;
    }
    if (d->ticks < 10) return G_SOURCE_CONTINUE;
    gtk_dialog_response(GTK_DIALOG(dialog), d->act ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL);
    if (GTK_IS_FONT_CHOOSER_DIALOG(dialog) && d->act)
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    d->done = true;
    return G_SOURCE_REMOVE;
}

class GuiConsole : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(gui::has_display());
        char pattern[] = "/tmp/xel-gui-console-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        eval(R"(
            system/options/cache: to file! ")" +
             dir_ + R"(/"
            unless object? system/console [system/console: make object! [size: 80x25 history: make block! 10 prompt: ">> " launch: none]]
            system/console/launch: does [none]
            system/script/args: none
            cx: gui-console-ctx tm: cx/terminal
            cx/launch
        )");
        pump();
    }
    static void TearDownTestSuite() {
        eval("delete cx/cfg-path delete cx/cfg-dir");
        std::remove((dir_ + "/run me.xel").c_str());
        std::remove(dir_.c_str());
    }
    void SetUp() override {
        window_ = widget_of("cx/win");
        console_ = widget_of("cx/console");
        ASSERT_NE(window_, 0u);
        ASSERT_NE(console_, 0u);
        // An input line waiting, as ask leaves it.
        eval("tm/line: tail copy {>> } tm/add-line head tm/line tm/pos: 0");
    }

    // Chooses a menu bar item while the driver answers its dialog.
    void choose(std::vector<int> path, Driver& d) {
        guint source = g_timeout_add(50, tick, &d);
        ASSERT_TRUE(gtk::menu_choose(window_, path));
        pump();
        if (!d.done) g_source_remove(source);
    }

    void key(uint32_t keyval) {
        for (bool press : {true, false}) {
            gtk::Input in{};
            in.kind = press ? gtk::InputKind::kKeyPress : gtk::InputKind::kKeyRelease;
            in.widget = console_;
            in.keyval = keyval;
            gtk::synthesize(in, false);
        }
        pump();
    }

    void ime(const std::string& text) {
        Cell picked = *string_load(reinterpret_cast<const uint8_t*>(text.data()),
                                   static_cast<uint32_t>(text.size()), 0);
        gui::make_event(console_, kEvIme, 0, g_none_cell, g_none_cell, picked, g_none_cell);
    }

    static std::string dir_;
    gtk::WidgetId window_ = 0, console_ = 0;
};

std::string GuiConsole::dir_;

TEST_F(GuiConsole, F12HidesTheMenuBarAndShowsItAgain) {
    const char* bar = R"("File" ["Run..." --- "Quit"] "Options" ["Choose Font..." "Settings..."] )"
                      R"("Help" ["Keyboard Shortcuts" --- "About"])";
    EXPECT_EQ(gtk::menu_describe(window_), bar);
    key(GDK_KEY_F12);
    EXPECT_EQ(eval("reduce [cx/win/menu cx/cfg/menu-bar?]"), "[none false]");
    EXPECT_EQ(gtk::menu_describe(window_), "");
    key(GDK_KEY_F12);
    EXPECT_EQ(eval("reduce [same? cx/win/menu cx/win-menu cx/cfg/menu-bar?]"), "[true true]");
    EXPECT_EQ(gtk::menu_describe(window_), bar);
}

TEST_F(GuiConsole, RunTurnsTheChosenFileIntoADoLine) {
    std::string file = dir_ + "/run me.xel";
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("Xel []\n", f);
    std::fclose(f);
    eval("append tm/line {typed}");
    Driver cancel;
    choose({0, 0}, cancel);
    EXPECT_TRUE(cancel.acted);
    EXPECT_EQ(eval("head tm/line"), R"(">> typed")");
    Driver d;
    d.act = [&](GtkWidget* dialog) {
        gtk_file_chooser_select_filename(GTK_FILE_CHOOSER(dialog), file.c_str());
    };
    choose({0, 0}, d);
    EXPECT_TRUE(d.acted);
    EXPECT_EQ(eval("head tm/line"), "{>> do %\"" + file + "\"}");
}

TEST_F(GuiConsole, ChooseFontSetsTheConsoleFontAndRemeasuresTheTerminal) {
    eval("before: reduce [cx/font/name cx/font/size tm/line-h]");
    Driver cancel;
    choose({1, 0}, cancel);
    EXPECT_TRUE(cancel.acted);
    EXPECT_EQ(eval("before = reduce [cx/font/name cx/font/size tm/line-h]"), "true");
    Driver d;
    d.act = [](GtkWidget* dialog) {
        gtk_font_chooser_set_font(GTK_FONT_CHOOSER(dialog), "DejaVu Sans Mono 20");
    };
    choose({1, 0}, d);
    EXPECT_TRUE(d.acted);
    EXPECT_EQ(eval("reduce [cx/font/name cx/font/size same? cx/font cx/console/font "
                   "same? cx/font tm/box/font tm/line-h > before/3]"),
              R"(["DejaVu Sans Mono" 20 true true true])");
    // The choice is what the configuration file gets.
    eval("_save-cfg saved: load cx/cfg-path");
    EXPECT_EQ(eval("reduce [saved/font-name saved/font-size]"), R"(["DejaVu Sans Mono" 20])");
}

TEST_F(GuiConsole, AnImeEventShowsTheCompositionUntilAKeyEndsIt) {
    eval("append tm/line {ab} tm/pos: 1 tm/ask?: true");
    ime("ni");
    EXPECT_EQ(eval("reduce [head tm/line tm/pos tm/ime-open?]"), R"([">> anib" 3 true])");
    ime("nih");
    EXPECT_EQ(eval("reduce [head tm/line tm/pos]"), R"([">> anihb" 4])");
    eval("tm/press-key make event! [type: 'key key: #\"x\"]");
    EXPECT_EQ(eval("reduce [head tm/line tm/pos tm/ime-open?]"), R"([">> axb" 2 false])");
    eval("tm/ask?: false");
}

} // namespace
