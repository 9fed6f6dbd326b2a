// make and to, text, arithmetic operand rules, round, even? and odd? of
// time!, and its action row.
#include <cmath>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/time/time.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// The nudge that lets a time a hair below a whole second count as it.
constexpr double kSecondsNudge = 1e-06;

[[noreturn]] void bad_to_arg(const Cell* source) {
    Cell type = datatype_cell(T_TIME);
    Cell copy = *source;
    error_fire(kCatScript, err::script::kBadToArg, &type, &copy);
}

[[noreturn]] void not_related(const Cell* word) {
    Cell type = datatype_cell(T_TIME);
    error_fire(kCatScript, err::script::kNotRelated, word, &type);
}

// [hours minutes seconds], each part optional from the end: hours and minutes
// integer!, seconds integer! or float!; a negative first part makes the whole
// time negative, a negative later part is refused.
bool block_to_seconds(const Cell* spec, double* out) {
    Cell blk = *spec;
    uint32_t from = series_clamped_index(&blk);
    uint32_t count = block_buffer_length(&blk) - from;
    if (count > 3) return false;
    const double unit[3] = {kSecondsPerHour, kSecondsPerMinute, 1.0};
    double total = 0.0;
    bool negative = false;
    for (uint32_t i = 0; i < count; i++) {
        const Cell* c = block_cell_at(&blk, from + i);
        double v;
        if (type_of(c) == T_INTEGER)
            v = static_cast<int32_t>(c->data2);
        else if (type_of(c) == T_FLOAT && i == 2)
            v = cell_double(c);
        else
            return false;
        if (v < 0) {
            if (i > 0) return false;
            negative = true;
            v = 0.0 - v;
        }
        total += v * unit[i];
    }
    *out = negative ? 0.0 - total : total;
    return true;
}

bool text_to_seconds(const Cell* spec, double* out) {
    Cell loaded{};
    Cell* value = lexer_scan_single(spec, &loaded);
    if (type_of(value) != T_TIME) return false;
    *out = cell_double(value);
    return true;
}

void time_add() {
    Cell* args = stack_arguments();
    MathBody date_math = g_number_handovers.math[T_DATE];
    if (type_of(args + 1) == T_DATE && date_math) {
        // The date goes first and takes the seconds.
        Cell time = args[0];
        args[0] = args[1];
        args[1] = time;
        date_math(kMathAdd);
        return;
    }
    float_do_math(kMathAdd);
}

void time_subtract() {
    if (type_of(stack_arguments() + 1) == T_DATE) not_related(g_word_subtract);
    float_do_math(kMathSubtract);
}

void time_multiply() {
    if (type_of(stack_arguments() + 1) == T_TIME) not_related(g_word_multiply);
    float_do_math(kMathMultiply);
}

// A time divided by a time is their ratio, a plain number.
void time_divide() {
    Cell* args = stack_arguments();
    bool ratio = type_of(args + 1) == T_TIME;
    float_do_math(kMathDivide);
    if (ratio) cell_set_type(args, T_FLOAT);
}

int32_t whole_seconds(const Cell* value) {
    double s = cell_double(value);
    s = s >= 0 ? s + kSecondsNudge : s - kSecondsNudge;
    return float_to_int32(std::fmod(s, kSecondsPerMinute));
}

} // namespace

Cell* time_make(Cell*, Cell* spec, int) {
    double seconds = 0.0;
    bool ok = true;
    switch (type_of(spec)) {
    case T_TIME:
        return stack_set_last(spec);
    case T_INTEGER:
        seconds = static_cast<int32_t>(spec->data2);
        break;
    case T_FLOAT:
    case T_PERCENT:
        seconds = cell_double(spec);
        break;
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
        ok = block_to_seconds(spec, &seconds);
        break;
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
        ok = text_to_seconds(spec, &seconds);
        break;
    default:
        ok = false;
    }
    if (!ok) bad_to_arg(spec);
    return time_box(seconds);
}

int time_form(Cell* value, Cell* buffer, Cell*, int part) {
    return time_serialize(cell_double(value), buffer, part);
}

int time_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return time_serialize(cell_double(value), buffer, part);
}

Cell* time_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                 bool ceiling, bool half_ceiling) {
    // An integer! scale counts seconds; given as a float! it keeps times
    // beyond the 32-bit range of seconds whole.
    Cell seconds_scale;
    if (scale && type_of(scale) == T_INTEGER) {
        float_make_at(&seconds_scale, static_cast<int32_t>(scale->data2));
        scale = &seconds_scale;
    }
    Cell* rounded = float_round(value, scale, even, down, half_down, floor, ceiling, half_ceiling);
    cell_set_type(rounded, T_TIME);
    return stack_set_last(rounded);
}

bool time_even(Cell* value) {
    return (whole_seconds(value) & 1) == 0;
}

bool time_odd(Cell* value) {
    return (whole_seconds(value) & 1) != 0;
}

void time_row(ActionList& row) {
    row.set<A_MAKE>(time_make)
        .inherit(A_RANDOM)
        .set<A_TO>(time_make)
        .set<A_FORM>(time_form)
        .set<A_MOLD>(time_mold)
        .set<A_EVAL_PATH>(time_eval_path)
        .inherit(A_COMPARE)
        .inherit(A_ABSOLUTE)
        .set<A_ADD>(time_add)
        .set<A_DIVIDE>(time_divide)
        .set<A_MULTIPLY>(time_multiply)
        .inherit(A_NEGATE)
        .inherit(A_REMAINDER)
        .set<A_ROUND>(time_round)
        .set<A_SUBTRACT>(time_subtract)
        .set<A_EVEN_Q>(time_even)
        .set<A_ODD_Q>(time_odd)
        .set<A_PICK>(time_pick);
}

} // namespace xel
