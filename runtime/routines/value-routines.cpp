// The routines over values: quiet setting, shifts, tuples from numbers,
// UTF-8 counting and the print and trace flags.
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/routines/library-routines.h"

namespace xel {

namespace {

RoutineValue shift(const RoutineValue* args, bool left, bool logical) {
    Cell out;
    set_integer(
        &out, natives_shifted(integer_get(args[0].cell), integer_get(args[1].cell), left, logical));
    return routine_answer(out);
}

RoutineValue logic_answer(bool truth) {
    Cell out;
    set_logic(&out, truth);
    return routine_answer(out);
}

// A tuple of the components, each taken modulo 256; a negative one is refused.
RoutineValue tuple_of(const RoutineValue* args, uint32_t count) {
    uint8_t bytes[4];
    for (uint32_t i = 0; i < count; i++) {
        int32_t n = integer_get(args[i].cell);
        if (n < 0) error_fire(kCatScript, err::script::kOutOfRange, args[i].cell);
        bytes[i] = static_cast<uint8_t>(n & 255);
    }
    Cell out;
    tuple_make_at(&out, bytes, count);
    return routine_answer(out);
}

} // namespace

RoutineValue routine_set_quiet(const RoutineValue* args, uint32_t) {
    Cell word = *args[0].cell;
    Cell value = *args[1].cell;
    context_set_in(&word, &value, word_context(&word), false);
    return routine_answer(value);
}

RoutineValue routine_set_slot_quiet(const RoutineValue* args, uint32_t) {
    Cell series = *args[0].cell;
    Cell value = *args[1].cell;
    int32_t index = block_index(&series);
    if (index < 0 || static_cast<uint32_t>(index) >= block_buffer_length(&series))
        error_fire(kCatScript, err::script::kOutOfRange, &series);
    plan_note_write(block_buffer(&series));
    *block_cell_at(&series, static_cast<uint32_t>(index)) = value;
    return routine_answer(value);
}

RoutineValue routine_shift_right(const RoutineValue* args, uint32_t) {
    return shift(args, false, false);
}
RoutineValue routine_shift_left(const RoutineValue* args, uint32_t) {
    return shift(args, true, false);
}
RoutineValue routine_shift_logical(const RoutineValue* args, uint32_t) {
    return shift(args, false, true);
}

RoutineValue routine_last_lf(const RoutineValue*, uint32_t) {
    return logic_answer(g_last_new_line != 0);
}

// The library's own functions run with reporting off so the tracer does not
// step into them; asked from one of them, the answer is whether a traced
// evaluation is under way.
RoutineValue routine_tracing(const RoutineValue*, uint32_t) {
    return logic_answer(g_tracing || g_tracer_installed);
}

// Events are reported again (or no longer) inside a traced evaluation; with
// no tracer installed nothing is ever reported.
RoutineValue routine_set_tracing(const RoutineValue* args, uint32_t) {
    g_tracing = value_truth(args[0].cell) && g_tracer_installed;
    return logic_answer(g_tracing);
}

RoutineValue routine_as_color(const RoutineValue* args, uint32_t) {
    return tuple_of(args, 3);
}

RoutineValue routine_as_ipv4(const RoutineValue* args, uint32_t) {
    return tuple_of(args, 4);
}

RoutineValue routine_count_chars(const RoutineValue* args, uint32_t) {
    Cell* start = args[0].cell;
    Cell* end = args[1].cell;
    if (series_node(start) != series_node(end))
        error_fire(kCatScript, err::script::kInvalidArg, end);
    uint32_t from = binary_clamped_index(start);
    uint32_t to = binary_clamped_index(end);
    const uint8_t* bytes = binary_xs_head(start) - from;
    int32_t n = 0;
    for (uint32_t i = from; i < to; i++)
        n += (bytes[i] & 0xC0) != 0x80;
    Cell out;
    set_integer(&out, n);
    return routine_answer(out);
}

} // namespace xel
