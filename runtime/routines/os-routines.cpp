// The routines over the process and the OS: exit, the current folder,
// folders and files, standard output and the OS description.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/utsname.h>

#include "platform/os/os.h"
#include "runtime/core/heap.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/stack.h"
#include "services/simple-io/file-services.h"

namespace xel {

namespace {

// The distribution's own name for itself, from os-release; the name of the
// OS when it has none.
std::string distribution_name() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
            std::string value = line.substr(12);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
                value = value.substr(1, value.size() - 2);
            return value;
        }
    }
    return "";
}

const char* arch_word(const std::string& machine) {
    if (machine == "x86_64") return "x86-64";
    if (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86") return "x86-32";
    if (machine == "aarch64" || machine == "arm64") return "ARM64";
    if (machine.rfind("arm", 0) == 0) return "ARM";
    if (machine == "ia64") return "IA-64";
    return "Unknown";
}

// A Xel string literal of the text: carets and quotes escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '^') out += '^';
        if (c != '\n' && c != '\r') out += c;
    }
    return out + '"';
}

// The kernel release "6.1.0-18-amd64" gives the version 6.1.0 and the build 18.
std::string os_info_spec() {
    utsname u{};
    uname(&u);
    int v[3] = {0, 0, 0};
    int build = 0;
    std::sscanf(u.release, "%d.%d.%d-%d", &v[0], &v[1], &v[2], &build);
    for (int& n : v)
        if (n < 0 || n > 255) n = 0;
    std::string name = distribution_name();
    if (name.empty()) name = "Linux";
    return "name: " + quoted(name) + " arch: " + arch_word(u.machine) +
           " version: " + std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
           std::to_string(v[2]) + " build: " + std::to_string(build);
}

} // namespace

RoutineValue routine_quit_return(const RoutineValue* args, uint32_t) {
    std::fflush(nullptr);
    std::_Exit(integer_get(args[0].cell));
}

RoutineValue routine_get_current_dir(const RoutineValue*, uint32_t) {
    uint32_t length = 0;
    char* dir = os_get_current_dir(&length);
    std::string text = dir ? std::string(dir, length) : std::string();
    if (dir) heap_free(dir);
    if (text.empty() || text.back() != '/') text += '/';
    Cell* out = stack_push_cell();
    string_load_at(reinterpret_cast<const uint8_t*>(text.data()),
                   static_cast<uint32_t>(text.size()), out, kEncodingUtf8);
    RoutineValue v;
    v.cell = out;
    return v;
}

RoutineValue routine_set_current_dir(const RoutineValue* args, uint32_t) {
    Cell* path = args[0].cell;
    if (!os_set_current_dir(string_utf8_text(path).c_str()))
        error_fire(kCatAccess, err::access::kCannotOpen, path);
    return routine_unset();
}

RoutineValue routine_create_dir(const RoutineValue* args, uint32_t) {
    Cell* path = args[0].cell;
    if (!simple_io_make_dir(path)) error_fire(kCatAccess, err::access::kNoCreate, path);
    return routine_unset();
}

RoutineValue routine_exists(const RoutineValue* args, uint32_t) {
    Cell truth;
    set_logic(&truth, simple_io_exists(args[0].cell));
    return routine_answer(truth);
}

RoutineValue routine_write_stdout(const RoutineValue* args, uint32_t) {
    simple_io_write(nullptr, args[0].cell, nullptr, nullptr, false, false, false);
    return routine_unset();
}

RoutineValue routine_os_info(const RoutineValue*, uint32_t) {
    std::string spec = os_info_spec();
    Cell* text = string_load(reinterpret_cast<const uint8_t*>(spec.data()),
                             static_cast<uint32_t>(spec.size()), 0);
    Cell source = *text;
    Cell* body = stack_push_cell();
    lexer_load_string(body, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    Cell* out = stack_push_cell();
    set_none(out);
    // construct leaves its object in the frame's first cell: give it one.
    Cell* saved_args = g_stack_args;
    g_stack_args = out;
    Cell object = *object_construct(body, nullptr, false);
    g_stack_args = saved_args;
    return routine_answer(object);
}

} // namespace xel
