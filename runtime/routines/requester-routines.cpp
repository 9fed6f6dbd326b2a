// The requesters' platform routines (request-font, request-file,
// request-dir), gathered into system/view/platform like the other routines
// of the GUI.
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

} // namespace

void routines_bind_requesters() {
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
}

} // namespace xel
