// The file and folder requesters: GtkFileChooserDialog in open, save or
// folder mode, owned by the program's active window.
#include "platform/gui/gtk-requesters.h"

#include <sys/stat.h>

#include "platform/gui/gtk-internal.h"

namespace xel::gtk {

namespace {

// The program's window that has the focus, as the dialog's owner.
GtkWindow* active_window() {
    GtkWindow* owner = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next)
        if (gtk_window_is_active(GTK_WINDOW(l->data))) owner = GTK_WINDOW(l->data);
    g_list_free(all);
    return owner;
}

GtkWidget* chooser(const char* title, GtkFileChooserAction action, const char* accept) {
    return gtk_file_chooser_dialog_new(title, active_window(), action, "_Cancel",
                                       GTK_RESPONSE_CANCEL, accept, GTK_RESPONSE_ACCEPT, nullptr);
}

std::string trimmed(const std::string& s) {
    size_t a = s.find_first_not_of(' ');
    size_t b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// "*.*" names every file, as it does in the patterns scripts were written
// with; GTK's glob would ask for a dot.
void add_filter(GtkFileChooser* dialog, const std::string& name, const std::string& patterns) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, name.c_str());
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        std::string p = trimmed(patterns.substr(start, end - start));
        if (p == "*.*") p = "*";
        if (!p.empty()) gtk_file_filter_add_pattern(filter, p.c_str());
        start = end + 1;
    }
    gtk_file_chooser_add_filter(dialog, filter);
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// GTK's chooser takes absolute paths; a relative one is taken from the
// current folder.
std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    gchar* cwd = g_get_current_dir();
    std::string full = std::string(cwd) + "/" + path;
    g_free(cwd);
    return full;
}

bool accepted(GtkWidget* dialog) {
    return gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
}

} // namespace

bool request_files(const FileRequest& r, std::vector<std::string>* chosen) {
    if (!display_open()) return false;
    GtkWidget* dialog =
        chooser(r.has_title ? r.title.c_str() : nullptr,
                r.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
                r.save ? "_Save" : "_Open");
    GtkFileChooser* fc = GTK_FILE_CHOOSER(dialog);
    // A save dialog names one file; GTK refuses several there.
    if (r.multi && !r.save) gtk_file_chooser_set_select_multiple(fc, TRUE);
    for (const auto& [name, patterns] : r.filters)
        add_filter(fc, name, patterns);
    std::string folder = absolute(r.folder);
    if (!folder.empty()) gtk_file_chooser_set_current_folder(fc, folder.c_str());
    if (!r.name.empty()) {
        // An open dialog has no name to fill in: an existing file is selected.
        std::string path = absolute(r.folder.empty() ? r.name : r.folder + "/" + r.name);
        if (r.save)
            gtk_file_chooser_set_current_name(fc, r.name.c_str());
        else if (exists(path))
            gtk_file_chooser_select_filename(fc, path.c_str());
    }
    bool ok = accepted(dialog);
    if (ok) {
        GSList* names = gtk_file_chooser_get_filenames(fc);
        for (GSList* l = names; l; l = l->next) {
            chosen->push_back(static_cast<const char*>(l->data));
            g_free(l->data);
        }
        g_slist_free(names);
        ok = !chosen->empty();
    }
    gtk_widget_destroy(dialog);
    return ok;
}

bool request_folder(const FolderRequest& r, std::string* chosen) {
    if (!display_open()) return false;
    GtkWidget* dialog = chooser(r.has_title ? r.title.c_str() : nullptr,
                                GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Select");
    GtkFileChooser* fc = GTK_FILE_CHOOSER(dialog);
    std::string start = absolute(r.start);
    if (!start.empty()) gtk_file_chooser_set_current_folder(fc, start.c_str());
    bool ok = accepted(dialog);
    if (ok) {
        gchar* name = gtk_file_chooser_get_filename(fc);
        ok = name != nullptr;
        if (name) *chosen = name;
        g_free(name);
    }
    gtk_widget_destroy(dialog);
    return ok;
}

} // namespace xel::gtk
