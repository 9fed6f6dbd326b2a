// request-file and request-dir over the GTK layer's choosers. Paths go out
// as local paths and come back through the library's to-xel-file.
#include "gui/backend/requesters.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/gui/gtk-requesters.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

using Filters = std::vector<std::pair<std::string, std::string>>;

// The folder chosen by the last request made with keep, for the whole run.
std::string g_kept_folder;

const Filters kDefaultFilters = {
    {"All files", "*.*"},
    {"Xel scripts", "*.xel;*.xels"},
    {"KAVEX scripts", "*.k"},
    {"Text files", "*.txt"},
};

bool is_path(const Cell* v) {
    return type_of(v) == T_FILE || type_of(v) == T_STRING;
}

// Description, pattern, description, pattern ... from the block's position;
// a description without its pattern closes the list.
Filters filter_list(const Cell* block) {
    Filters list;
    Cell b = *block;
    std::vector<std::string> texts;
    for (Cell* p = block_rs_head(&b) + 0; p < block_rs_tail(&b); p++) {
        if (!is_path(p)) {
            Cell bad = *p;
            error_fire(kCatScript, err::script::kInvalidArg, &bad);
        }
        texts.push_back(string_utf8_text(p));
    }
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
        list.emplace_back(texts[i], texts[i + 1]);
    return list;
}

// to-xel-file of a local path, called in a function frame of its word; the
// file! is left pushed on the stack.
void push_xel_file(const std::string& path) {
    Cell word = *word_load("to-xel-file");
    Cell fn = *context_get(&word);
    if (type_of(&fn) != T_FUNCTION) error_fire(kCatScript, err::script::kNoValue, &word);
    Cell text = *string_load(reinterpret_cast<const uint8_t*>(path.data()),
                             static_cast<uint32_t>(path.size()), 0);
    cell_set_type(&text, T_FILE);
    stack_pop(1);
    stack_mark_func(&word, function_context(&fn));
    stack_push(&text);
    uint32_t slots = context_word_count(function_context(&fn));
    for (uint32_t i = 1; i < slots; i++)
        stack_push(&g_none_cell);
    if (interp_call_function(&fn).exit_pending()) exit_raise_pending();
    stack_unwind_func();
}

} // namespace

void request_file(const Cell* title, const Cell* name, const Cell* filter, bool save, bool multi) {
    gtk::FileRequest r;
    r.has_title = type_of(title) == T_STRING;
    if (r.has_title) r.title = string_utf8_text(title);
    if (is_path(name)) {
        // A folder part opens the dialog there; a bare name only fills in the name.
        std::string path = natives_local_path(name, false);
        size_t slash = path.rfind('/');
        if (slash != std::string::npos) r.folder = path.substr(0, slash == 0 ? 1 : slash);
        r.name = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    r.filters = type_of(filter) == T_BLOCK ? filter_list(filter) : kDefaultFilters;
    r.save = save;
    r.multi = multi;
    std::vector<std::string> chosen;
    if (!gtk::request_files(r, &chosen)) {
        stack_push(&g_none_cell);
        return;
    }
    if (!multi) {
        push_xel_file(chosen.front());
        return;
    }
    Cell* block = block_push_new(static_cast<int>(chosen.size()));
    for (const std::string& path : chosen) {
        push_xel_file(path);
        Cell file = *stack_top();
        block_append_copy(block, &file);
        stack_pop(1);
    }
}

void request_dir(const Cell* title, const Cell* dir, bool keep) {
    gtk::FolderRequest r;
    r.has_title = type_of(title) == T_STRING;
    if (r.has_title) r.title = string_utf8_text(title);
    // With keep the last kept folder is shown, whatever dir says.
    if (keep)
        r.start = g_kept_folder;
    else if (is_path(dir))
        r.start = natives_local_path(dir, true);
    std::string chosen;
    if (!gtk::request_folder(r, &chosen)) {
        stack_push(&g_none_cell);
        return;
    }
    if (keep) g_kept_folder = chosen;
    if (chosen.empty() || chosen.back() != '/') chosen += '/';
    push_xel_file(chosen);
}

} // namespace xel::gui
