// browse: a URL or a file opened by the desktop's handler.
#include "platform/os/desktop.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"

namespace xel {

// Nothing reports whether a handler took the target: the desktop's own
// handler tells the person, as the design's shell call did.
uint32_t natives_browse(int, const int32_t*) {
    Cell* target = stack_arguments();
    std::string text =
        type_of(target) == T_FILE ? natives_local_path(target, false) : string_utf8_text(target);
    os_open_with_desktop(text);
    *target = g_unset_cell;
    return 0;
}

} // namespace xel
