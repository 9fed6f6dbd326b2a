#include "runtime/routines/library-routines.h"

#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

struct LibraryRoutine {
    const char* word;
    const char* spec;
    RoutineFn code;
};

const LibraryRoutine kRoutines[] = {
    {"routine",
     "[\"Defines a function with a given Xel spec and Xel/System body\" spec [block!] body "
     "[block!]]",
     routine_routine},
    {"quit-return", "[status [integer!]]", routine_quit_return},
    {"set-quiet", "[word [any-word!] value [any-type!]]", routine_set_quiet},
    {"set-slot-quiet", "[series [any-block! any-path!] value [any-type!]]", routine_set_slot_quiet},
    {"shift-right", "[data [integer!] bits [integer!]]", routine_shift_right},
    {"shift-left", "[data [integer!] bits [integer!]]", routine_shift_left},
    {"shift-logical", "[data [integer!] bits [integer!]]", routine_shift_logical},
    {"last-lf?", "[]", routine_last_lf},
    {"get-current-dir", "[]", routine_get_current_dir},
    {"set-current-dir", "[path [file!]]", routine_set_current_dir},
    {"create-dir", "[path [file!]]", routine_create_dir},
    {"exists?", "[path [file!]]", routine_exists},
    {"os-info", "[]", routine_os_info},
    {"as-color", "[r [integer!] g [integer!] b [integer!]]", routine_as_color},
    {"as-ipv4", "[a [integer!] b [integer!] c [integer!] d [integer!]]", routine_as_ipv4},
    {"as-rgba", "[a [integer!] b [integer!] c [integer!] d [integer!]]", routine_as_ipv4},
    {"count-chars", "[start [binary!] end [binary!]]", routine_count_chars},
    {"stack-size?", "[]", routine_stack_size},
    {"pick-stack", "[idx [integer!]]", routine_pick_stack},
    {"frame-index?", "[]", routine_frame_index},
    {"collect-calls", "[blk [block!]]", routine_collect_calls},
    {"tracing?", "[]", routine_tracing},
    {"set-tracing", "[on [logic!]]", routine_set_tracing},
    {"write-stdout", "[str [any-type!]]", routine_write_stdout},
};

} // namespace

RoutineValue routine_answer(const Cell& value) {
    RoutineValue v;
    v.cell = stack_push(&value);
    return v;
}

RoutineValue routine_unset() {
    return routine_answer(g_unset_cell);
}

void routine_bind(const char* word_name, const char* spec_text, RoutineFn code) {
    uint32_t index = routine_register(word_name, code);
    Cell* text = string_load(reinterpret_cast<const uint8_t*>(spec_text),
                             static_cast<uint32_t>(std::strlen(spec_text)), 0);
    Cell source = *text;
    Cell* loaded = stack_push_cell();
    lexer_load_string(loaded, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    Cell spec = *block_cell_at(loaded, 0);
    Cell routine = *routine_make_compiled(&spec, nullptr, index, -1, true);
    Cell word = *word_load(word_name);
    context_set(&word, &routine);
    stack_reset();
}

void routines_bind_library() {
    routines_register_system();
    routines_register_codecs();
    routines_register_terminal();
    for (const LibraryRoutine& r : kRoutines)
        routine_bind(r.word, r.spec, r.code);
    routines_bind_draw();
    routines_bind_gui();
    routines_bind_view_platform();
    routines_bind_console();
}

} // namespace xel
