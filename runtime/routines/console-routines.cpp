// The GUI console's routines: the two print hooks that send every output to
// the terminal's vprint, their registration, and the caret blink time.
#include <cstring>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/memory/collector.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// The string whose buffer every diagnostic is decoded into; unset until the
// first one.
Cell g_console_buffer{};
bool g_console_buffer_rooted = false;

// Room the hooks keep free: a print that would leave less raises
// stack-overflow instead of running out of stack inside the terminal.
constexpr long kFramesKept = 60;
constexpr long kCellsKept = 80;
constexpr int kLinuxCaretBlinkMs = 500;

// Printing never traces the terminal's own code.
struct TracingPaused {
    bool saved = g_tracing;
    TracingPaused() { g_tracing = false; }
    ~TracingPaused() { g_tracing = saved; }
};

const Cell* field_of(const Cell* object, const char* name) {
    if (type_of(object) != T_OBJECT) return nullptr;
    int32_t i = context_find_word(object_context(object), word_symbol(word_load(name)), true);
    return i < 0 ? nullptr : context_value_at(object_context(object), static_cast<uint32_t>(i));
}

// gui-console-ctx/terminal/vprint, or none while the console is not made.
Cell vprint_function() {
    Cell ctx = *context_get(word_load("gui-console-ctx"));
    const Cell* terminal = field_of(&ctx, "terminal");
    if (!terminal) return g_none_cell;
    Cell t = *terminal;
    const Cell* fn = field_of(&t, "vprint");
    return fn ? *fn : g_none_cell;
}

void xel_print_gui(const Cell* str, int lf) {
    if (g_frames_end - g_frames_top <= kFramesKept || g_stack_end - g_stack_top <= kCellsKept)
        error_fire(kCatInternal, err::internal::kStackOverflow);
    Cell fn = vprint_function();
    if (type_of(&fn) != T_FUNCTION) return;
    Cell text = *str;
    Cell name = *word_load("vprint");
    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    TracingPaused paused;
    stack_push_cell();
    stack_mark_func(&name, function_context(&fn));
    stack_push(&text);
    logic_push(lf != 0);
    uint32_t slots = context_word_count(function_context(&fn));
    if (slots > 2) function_push_unused_refinement(slots - 2);
    bool exited = interp_call_function(&fn).exit_pending();
    // The printer cannot stop early: an exit out of vprint travels as a throw.
    if (exited) exit_raise_pending();
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
}

void xs_print_gui(const char* text, uint32_t length, int lf) {
    if (static_cast<int32_t>(length) < 0) length = static_cast<uint32_t>(std::strlen(text));
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    if (type_of(&g_console_buffer) == T_STRING) {
        string_load_utf8_into(bytes, length, &g_console_buffer, nullptr);
    } else {
        string_load_at(bytes, length, &g_console_buffer, kEncodingUtf8);
    }
    xel_print_gui(&g_console_buffer, lf);
}

RoutineValue add_gui_print(const RoutineValue*, uint32_t) {
    if (!g_console_buffer_rooted) {
        g_console_buffer = g_unset_cell;
        collector_add_root_callback(
            [] { collector_mark_cells(&g_console_buffer, &g_console_buffer + 1); });
        g_console_buffer_rooted = true;
    }
    printhooks_add(xel_print_gui, xs_print_gui);
    return routine_unset();
}

RoutineValue get_caret_blink_time(const RoutineValue*, uint32_t) {
    Cell out;
    set_integer(&out, kLinuxCaretBlinkMs);
    return routine_answer(out);
}

} // namespace

void routines_bind_console() {
    routine_register("gui-console-ctx/add-gui-print", add_gui_print);
    routine_bind("get-caret-blink-time", "[]", get_caret_blink_time);
}

} // namespace xel
