// More of the view's platform routines (the requesters and set-dark-mode),
// gathered into system/view/platform like the other routines of the GUI;
// and the GUI's screenshot of a face handed to image!.
#include "gui/backend/desktop.h"
#include "gui/backend/face-image.h"
#include "gui/backend/font-requester.h"
#include "gui/backend/requesters.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

bool arg_true(const RoutineValue* args, uint32_t i) {
    return logic_get(args[i].cell) != 0;
}

// The value a requester left pushed.
RoutineValue pushed() {
    RoutineValue v;
    v.cell = g_stack_top - 1;
    return v;
}

RoutineValue request_font(const RoutineValue* args, uint32_t) {
    Cell font = *args[0].cell;
    if (draw::font_request(&font, args[1].cell, arg_true(args, 2))) return routine_answer(font);
    return routine_answer(g_none_cell);
}

RoutineValue request_file(const RoutineValue* args, uint32_t) {
    exit_boundary([&] {
        gui::request_file(args[0].cell, args[1].cell, args[2].cell, arg_true(args, 3),
                          arg_true(args, 4));
    });
    return pushed();
}

RoutineValue request_dir(const RoutineValue* args, uint32_t) {
    exit_boundary([&] { gui::request_dir(args[0].cell, args[1].cell, arg_true(args, 3)); });
    return pushed();
}

RoutineValue set_dark_mode(const RoutineValue* args, uint32_t) {
    gui::set_dark_mode(args[0].cell, arg_true(args, 1));
    return routine_answer(g_none_cell);
}

} // namespace

void routines_bind_view_platform() {
    gui::face_image_init();
    routine_bind("request-font", "[font [object!] selected [any-type!] mono? [logic!]]",
                 request_font);
    routine_bind("request-file",
                 "[title [any-type!] name [any-type!] filter [any-type!] save? [logic!] "
                 "multi? [logic!]]",
                 request_file);
    routine_bind("request-dir",
                 "[title [any-type!] dir [any-type!] filter [any-type!] keep? [logic!] "
                 "multi? [logic!]]",
                 request_dir);
    routine_bind("set-dark-mode", "[face [object!] dark? [logic!]]", set_dark_mode);
}

} // namespace xel
