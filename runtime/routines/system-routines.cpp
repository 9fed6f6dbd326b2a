// The routines behind the system object: the library's routine maker, the
// words object, the evaluation mode, the collector's state and the command line.
#include <string>

#include "platform/os/desktop.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/routine-table.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/float-text.h"

namespace xel {

namespace {

// The registered name a body names: one word, or a path of words joined by
// "/"; empty when the body is anything else.
std::string named_routine(Cell* body) {
    if (block_length_at(body) != 1) return {};
    Cell named = *block_cell_at(body, 0);
    if (type_of(&named) == T_WORD) return symbol_name(word_symbol(&named));
    if (type_of(&named) != T_PATH) return {};
    std::string name;
    for (int i = 0; i < block_length_at(&named); i++) {
        const Cell* part = block_cell_at(&named, i);
        if (type_of(part) != T_WORD) return {};
        if (i) name += '/';
        name += symbol_name(word_symbol(part));
    }
    return name;
}

RoutineValue logic_answer(bool truth) {
    Cell out;
    set_logic(&out, truth);
    return routine_answer(out);
}

RoutineValue integer_answer(uint32_t n) {
    Cell out;
    set_integer(&out, static_cast<int32_t>(n));
    return routine_answer(out);
}

} // namespace

// Only the library's own text may make routines: its body names C++ code
// registered under that name. Anything else is refused as it always was.
RoutineValue routine_routine(const RoutineValue* args, uint32_t) {
    Cell spec = *args[0].cell;
    Cell body = *args[1].cell;
    uint32_t index = 0;
    if (block_buffer(&body)->flags & kFlagLibrary) {
        std::string name = named_routine(&body);
        if (!name.empty()) index = routine_find(name.c_str());
    }
    if (!index) error_fire(kCatInternal, err::internal::kRoutines);
    RoutineValue r;
    r.cell = routine_make_compiled(&spec, &body, index, -1, true);
    return r;
}

// An object whose context is the global one, so system/words/x is x.
RoutineValue routine_make_words_object(const RoutineValue*, uint32_t) {
    Cell out;
    object_over_context(&out, g_global_context);
    return routine_answer(out);
}

RoutineValue routine_interpreted(const RoutineValue*, uint32_t) {
    return logic_answer(stack_in_interp(nullptr, false));
}

RoutineValue routine_gc_active(const RoutineValue*, uint32_t) {
    return logic_answer(g_collector_enabled);
}

// Every collection compacts both the series and the nodes.
RoutineValue routine_gc_cycles(const RoutineValue*, uint32_t) {
    return integer_answer(g_collection_count);
}

RoutineValue routine_float_pretty(const RoutineValue* args, uint32_t) {
    g_float_pretty = value_truth(args[0].cell);
    return routine_unset();
}

RoutineValue routine_command_line(const RoutineValue*, uint32_t) {
    std::string line = os_command_line();
    Cell* out = string_load(reinterpret_cast<const uint8_t*>(line.data()),
                            static_cast<uint32_t>(line.size()), 0);
    RoutineValue r;
    r.cell = out;
    return r;
}

void routines_register_system() {
    routine_register("system/make-words-object", routine_make_words_object);
    routine_register("system/state/interpreted?", routine_interpreted);
    routine_register("system/state/GC/active?", routine_gc_active);
    routine_register("system/state/GC/series-cycles", routine_gc_cycles);
    routine_register("system/state/GC/nodes-cycles", routine_gc_cycles);
    routine_register("platform/get-command-line", routine_command_line);
    routine_register("float/pretty-print?", routine_float_pretty);
}

} // namespace xel
