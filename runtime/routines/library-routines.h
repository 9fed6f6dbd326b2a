// The library's routines: C++ code registered by name and bound, as routine!
// values with their specs, to global words before the library's top level
// runs. Each takes its arguments as cells (their types checked by the spec)
// and answers its result in a cell it pushed.
#pragma once

#include "runtime/datatypes/function/routine-table.h"

namespace xel {

void routines_bind_library();
// The drawing routines (draw-routines.cpp).
void routines_bind_draw();
// Binds a global word to a routine! of the spec (Xel text) and code.
void routine_bind(const char* word, const char* spec, RoutineFn code);
// The routines of the GUI: event!, the view's platform routines, the clipboard.
void routines_bind_gui();
// The requesters' routines and set-dark-mode (view-platform-routines.cpp).
void routines_bind_view_platform();
// The GUI console's print hooks and caret blink time (console-routines.cpp).
void routines_bind_console();

// A routine's answer: the value pushed on the argument stack.
RoutineValue routine_answer(const Cell& value);
RoutineValue routine_unset();

// The routines by subject.
RoutineValue routine_quit_return(const RoutineValue* args, uint32_t count);
RoutineValue routine_get_current_dir(const RoutineValue* args, uint32_t count);
RoutineValue routine_set_current_dir(const RoutineValue* args, uint32_t count);
RoutineValue routine_create_dir(const RoutineValue* args, uint32_t count);
RoutineValue routine_exists(const RoutineValue* args, uint32_t count);
RoutineValue routine_os_info(const RoutineValue* args, uint32_t count);
RoutineValue routine_write_stdout(const RoutineValue* args, uint32_t count);

RoutineValue routine_set_quiet(const RoutineValue* args, uint32_t count);
RoutineValue routine_set_slot_quiet(const RoutineValue* args, uint32_t count);
RoutineValue routine_shift_right(const RoutineValue* args, uint32_t count);
RoutineValue routine_shift_left(const RoutineValue* args, uint32_t count);
RoutineValue routine_shift_logical(const RoutineValue* args, uint32_t count);
RoutineValue routine_last_lf(const RoutineValue* args, uint32_t count);
RoutineValue routine_as_color(const RoutineValue* args, uint32_t count);
RoutineValue routine_as_ipv4(const RoutineValue* args, uint32_t count);
RoutineValue routine_count_chars(const RoutineValue* args, uint32_t count);
RoutineValue routine_tracing(const RoutineValue* args, uint32_t count);
RoutineValue routine_set_tracing(const RoutineValue* args, uint32_t count);

RoutineValue routine_stack_size(const RoutineValue* args, uint32_t count);
RoutineValue routine_pick_stack(const RoutineValue* args, uint32_t count);
RoutineValue routine_frame_index(const RoutineValue* args, uint32_t count);
RoutineValue routine_collect_calls(const RoutineValue* args, uint32_t count);

RoutineValue routine_routine(const RoutineValue* args, uint32_t count);
// The routines that the system object's text makes with routine, unbound.
void routines_register_system();
// The XELBIN codec object's routines, unbound.
void routines_register_codecs();
// The text console's routines and the console's title routine, unbound.
void routines_register_terminal();

} // namespace xel
