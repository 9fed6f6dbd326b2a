// The requesters are GTK's own dialogs: the test finds the dialog a script
// opened, reads how it was set up, chooses or cancels through GTK, and reads
// what the script got back.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "gui/backend/backend.h"
#include "tests/gui/gui_test_support.h"
#include "tests/runner/eval-text.h"

using namespace xel;
using namespace xel_test;

namespace {

// What the test saw of the dialog, and what it does with it.
struct Seen {
    bool opened = false;
    std::string title;
    GtkFileChooserAction action = GTK_FILE_CHOOSER_ACTION_OPEN;
    std::string folder;
    std::string name;
    bool multiple = false;
    std::vector<std::string> filters;
};

struct Driver {
    std::function<void(GtkWidget*)> act; // chooses; nullptr cancels
    int ticks = 0;
    bool acted = false;
    bool done = false;
    Seen seen;
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

void note(Seen& s, GtkWidget* dialog) {
    s.opened = true;
    const char* title = gtk_window_get_title(GTK_WINDOW(dialog));
    s.title = title ? title : "";
    if (!GTK_IS_FILE_CHOOSER(dialog)) return;
    GtkFileChooser* fc = GTK_FILE_CHOOSER(dialog);
    s.action = gtk_file_chooser_get_action(fc);
    gchar* folder = gtk_file_chooser_get_current_folder(fc);
    s.folder = folder ? folder : "";
    g_free(folder);
    if (s.action == GTK_FILE_CHOOSER_ACTION_SAVE) {
        gchar* name = gtk_file_chooser_get_current_name(fc);
        s.name = name ? name : "";
        g_free(name);
    }
    s.multiple = gtk_file_chooser_get_select_multiple(fc);
    GSList* filters = gtk_file_chooser_list_filters(fc);
    for (GSList* l = filters; l; l = l->next)
        s.filters.push_back(gtk_file_filter_get_name(GTK_FILE_FILTER(l->data)));
    g_slist_free(filters);
}

// Every 50 ms: once the dialog is up, note it and act, then answer a few
// ticks later, when the chooser has loaded its folder and taken the choice.
gboolean tick(gpointer data) {
    auto* d = static_cast<Driver*>(data);
    GtkWidget* dialog = open_dialog();
    if (!dialog) {
        d->done = ++d->ticks >= 100;
        return d->done ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    }
    d->ticks++;
    if (d->ticks < 4) return G_SOURCE_CONTINUE;
    if (!d->acted) {
        note(d->seen, dialog);
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

// Evaluates code that opens a dialog while the driver works it.
std::string drive(const std::string& code, Driver& d) {
    guint source = g_timeout_add(50, tick, &d);
    std::string result = eval(code);
    if (!d.done) g_source_remove(source);
    return result;
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

class Requesters : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        char pattern[] = "/tmp/xel-requesters-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        for (const char* name : {"a.txt", "b.txt", "c.xel", "d.txt"}) {
            FILE* f = std::fopen((dir_ + "/" + name).c_str(), "w");
            ASSERT_NE(f, nullptr);
            std::fclose(f);
        }
        mkdir((dir_ + "/sub").c_str(), 0700);
        eval("dir: to file! " + quoted(dir_ + "/"));
    }
    void TearDown() override {
        for (const char* name : {"a.txt", "b.txt", "c.xel", "d.txt", "new.txt"})
            std::remove((dir_ + "/" + name).c_str());
        std::remove((dir_ + "/sub").c_str());
        std::remove(dir_.c_str());
    }
    std::string dir_;
};

std::function<void(GtkWidget*)> choose(std::vector<std::string> paths) {
    return [paths](GtkWidget* dialog) {
        for (const std::string& p : paths)
            gtk_file_chooser_select_filename(GTK_FILE_CHOOSER(dialog), p.c_str());
    };
}

TEST_F(Requesters, OpenStartsInTheNamedFolderAndGivesTheChosenFile) {
    Driver d;
    d.act = choose({dir_ + "/b.txt"});
    std::string got = drive("request-file/title/file \"Pick one\" dir/a.txt", d);
    EXPECT_EQ(got, "%" + dir_ + "/b.txt");
    EXPECT_EQ(d.seen.title, "Pick one");
    EXPECT_EQ(d.seen.action, GTK_FILE_CHOOSER_ACTION_OPEN);
    EXPECT_EQ(d.seen.folder, dir_);
    EXPECT_FALSE(d.seen.multiple);
    // Without a filter block the default filters are offered, in their order.
    EXPECT_EQ(d.seen.filters, (std::vector<std::string>{"All files", "Xel scripts", "KAVEX scripts",
                                                        "Text files"}));
}

TEST_F(Requesters, CancellingGivesNone) {
    Driver file, folder;
    EXPECT_EQ(drive("request-file", file), "none");
    EXPECT_TRUE(file.seen.opened);
    EXPECT_EQ(drive("request-dir", folder), "none");
    EXPECT_TRUE(folder.seen.opened);
}

// Selects every row of the chooser's list of files, as a user would with
// ctrl-A.
void select_all(GtkWidget* w, gpointer) {
    if (GTK_IS_TREE_VIEW(w)) {
        GtkTreeSelection* s = gtk_tree_view_get_selection(GTK_TREE_VIEW(w));
        if (gtk_tree_selection_get_mode(s) == GTK_SELECTION_MULTIPLE)
            gtk_tree_selection_select_all(s);
    }
    if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), select_all, nullptr);
}

TEST_F(Requesters, MultiGivesABlockOfFilesEvenForOne) {
    std::string three_dir = dir_ + "/three";
    mkdir(three_dir.c_str(), 0700);
    for (const char* name : {"x1", "x2", "x3"})
        std::fclose(std::fopen((three_dir + "/" + name).c_str(), "w"));
    Driver three;
    three.act = [](GtkWidget* dialog) { select_all(dialog, nullptr); };
    std::string got = drive("sort request-file/multi/file dir/three/x1", three);
    for (const char* name : {"x1", "x2", "x3"})
        std::remove((three_dir + "/" + name).c_str());
    std::remove(three_dir.c_str());
    EXPECT_TRUE(three.seen.multiple);
    EXPECT_EQ(got, "[%" + three_dir + "/x1 %" + three_dir + "/x2 %" + three_dir + "/x3]");
    Driver one;
    one.act = choose({dir_ + "/c.xel"});
    EXPECT_EQ(drive("request-file/multi/file dir", one), "[%" + dir_ + "/c.xel]");
}

TEST_F(Requesters, SaveFillsInTheNameAndGivesThePathTyped) {
    Driver d;
    d.act = [](GtkWidget*) {};
    std::string got = drive("request-file/save/file dir/new.txt", d);
    EXPECT_EQ(d.seen.action, GTK_FILE_CHOOSER_ACTION_SAVE);
    EXPECT_EQ(d.seen.folder, dir_);
    EXPECT_EQ(d.seen.name, "new.txt");
    EXPECT_EQ(got, "%" + dir_ + "/new.txt");
}

TEST_F(Requesters, FilterBlocksGivePairsAnEmptyBlockNoneABadValueAnError) {
    Driver pairs;
    drive("request-file/filter [\"Images\" \"*.png;*.jpg\" \"Scripts\" %*.xel]", pairs);
    EXPECT_EQ(pairs.seen.filters, (std::vector<std::string>{"Images", "Scripts"}));
    Driver empty;
    drive("request-file/filter []", empty);
    EXPECT_TRUE(empty.seen.opened);
    EXPECT_TRUE(empty.seen.filters.empty());
    // The bad value is refused before any dialog opens.
    EvalOutcome out = eval_text("request-file/filter [\"Images\" 12]");
    EXPECT_TRUE(out.error);
    EXPECT_NE(out.text.find("12"), std::string::npos) << out.text;
    EXPECT_EQ(open_dialog(), nullptr);
}

TEST_F(Requesters, FolderEndsInASlashAndTheRootIsNotDoubled) {
    Driver d;
    d.act = [](GtkWidget*) {};
    EXPECT_EQ(drive("request-dir/title/dir \"Where\" dir/sub", d), "%" + dir_ + "/sub/");
    EXPECT_EQ(d.seen.action, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
    EXPECT_EQ(d.seen.title, "Where");
    Driver root;
    root.act = [](GtkWidget*) {};
    EXPECT_EQ(drive("request-dir/dir %/", root), "%/");
}

TEST_F(Requesters, KeepStartsTheNextKeptRequestWhereTheLastEnded) {
    Driver first;
    first.act = [this](GtkWidget* dialog) {
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), (dir_ + "/sub").c_str());
    };
    EXPECT_EQ(drive("request-dir/keep", first), "%" + dir_ + "/sub/");
    Driver second;
    drive("request-dir/keep/dir %/", second);
    EXPECT_EQ(second.seen.folder, dir_ + "/sub");
}

TEST_F(Requesters, FontChoiceFillsTheFontAndCancelGivesNone) {
    Driver d;
    d.act = [](GtkWidget* dialog) {
        gtk_font_chooser_set_font(GTK_FONT_CHOOSER(dialog), "DejaVu Sans Bold 14");
    };
    EXPECT_EQ(drive("f: request-font reduce [f/name f/size f/style]", d),
              "[\"DejaVu Sans\" 14 bold]");
    Driver cancel;
    EXPECT_EQ(drive("request-font/mono", cancel), "none");
    EXPECT_TRUE(cancel.seen.opened);
}

} // namespace
