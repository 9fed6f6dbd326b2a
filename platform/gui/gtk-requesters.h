// The file and folder requesters over GTK's file chooser. Both run modal
// until the user closes them; windows of the program keep receiving input.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace xel::gtk {

struct FileRequest {
    bool has_title = false;
    std::string title;
    std::string folder; // initial folder, empty for none
    std::string name;   // initial file name, empty for none
    // (description, patterns joined by ';') pairs; empty shows every file.
    std::vector<std::pair<std::string, std::string>> filters;
    bool save = false;
    bool multi = false;
};

// The chosen paths, in the chooser's order; false when cancelled.
bool request_files(const FileRequest& request, std::vector<std::string>* chosen);

struct FolderRequest {
    bool has_title = false;
    std::string title;
    std::string start; // the folder shown first, empty for the chooser's own
};

// The chosen folder; false when cancelled.
bool request_folder(const FolderRequest& request, std::string* chosen);

} // namespace xel::gtk
