// to-local-file and size?: file paths as the OS takes them. The local form of
// a path is its POSIX form: the text as it is, after the current directory
// for a relative path when the full form is asked for.
#include <string>

#include "platform/os/file-size.h"
#include "platform/os/os.h"
#include "runtime/core/heap.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"
#include "services/simple-io/file-services.h"

namespace xel {

namespace {

bool ends_with(const std::string& s, const char* tail) {
    size_t n = std::char_traits<char>::length(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

} // namespace

std::string natives_local_path(const Cell* path, bool full) {
    std::string text = string_utf8_text(path);
    if (!full || (!text.empty() && text[0] == '/')) return text;
    uint32_t length = 0;
    char* dir = os_get_current_dir(&length);
    if (!dir) return text;
    std::string local(dir, length);
    heap_free(dir);
    if (!ends_with(local, "/")) local += '/';
    return local + text;
}

uint32_t natives_to_local_file(int, const int32_t* refs) {
    std::string local = natives_local_path(call_arg(0), ref_present(refs[0]));
    string_load_at(reinterpret_cast<const uint8_t*>(local.data()),
                   static_cast<uint32_t>(local.size()), stack_arguments(), kEncodingUtf8);
    return 0;
}

uint32_t natives_size(int, const int32_t*) {
    Cell* result = stack_arguments();
    std::string local = natives_local_path(result, false);
    int64_t size = simple_io_dir_text(local) ? -1 : os_file_size(local.c_str());
    if (size < 0)
        set_none(result);
    else if (size > 2147483647)
        float_make_at(result, static_cast<double>(size));
    else
        set_integer(result, static_cast<int32_t>(size));
    return 0;
}

} // namespace xel
