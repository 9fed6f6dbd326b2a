// The step routines of the series loops: they read and advance the state
// cells pushed below the current (loop) frame base.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/natives/loops/loop-pass.h"
#include "runtime/natives/loops/loops.h"

namespace xel {

bool (*g_map_foreach_set)(Cell* words, Cell* series, uint32_t n) = nullptr;
bool (*g_image_foreach_set)(Cell* words, Cell* series, uint32_t n) = nullptr;
uint32_t (*g_image_pixel_count)(const Cell* image) = nullptr;

namespace {

inline Cell* loop_series() {
    return g_stack_args - 2;
}
inline Cell* loop_words() {
    return g_stack_args - 1;
}
inline Cell* loop_part() {
    return g_stack_args - 3;
}

[[noreturn]] void not_done() {
    error_fire(kCatInternal, err::internal::kNotDone);
}

inline bool is_any_word(uint8_t t) {
    return t == T_WORD || t == T_SET_WORD || t == T_GET_WORD || t == T_LIT_WORD;
}

// Units from the buffer's head to its tail.
inline uint32_t units_of(const Cell* series) {
    SeriesBuf* buf = series_buffer(series);
    return buf->used() >> __builtin_ctz(buf->unit());
}

// The pick action writes the current frame's result slot, the loop's
// running result: it is kept around the call.
Cell pick_at(const Cell* series, int index) {
    Cell kept = *g_stack_args;
    Cell s = *series;
    Cell value = *actions_pick_typed(&s, index, nullptr);
    *g_stack_args = kept;
    return value;
}

// The words of the block get the n values from the block-like series'
// position (none! past the tail); every element must be a word kind, checked
// before any word is set.
// Every loop variable must be a word before any is set: setting a value
// that is not a word would read its payload as a binding.
void check_loop_words(const Cell* words, uint32_t n) {
    Cell list = *words;
    Cell* w = block_rs_head(&list);
    for (uint32_t i = 0; i < n; i++)
        if (!is_any_word(type_of(w + i))) error_fire(kCatScript, err::script::kInvalidArg, w + i);
}

void set_block_words(const Cell* words, const Cell* series, uint32_t n) {
    Cell list = *words;
    auto index = static_cast<uint32_t>(series_index(series));
    uint32_t available = units_of(series) - index;
    for (uint32_t i = 0; i < n; i++) {
        const Cell* values = at<Cell>(series_buffer(series)->head) + index;
        Cell value = i < available ? values[i] : g_none_cell;
        Cell word = block_rs_head(&list)[i];
        context_set(&word, &value);
    }
}

} // namespace

void loop_count_to_integer(Cell* count) {
    if (type_of(count) == T_FLOAT) set_integer(count, float_to_integer_checked(count));
}

bool natives_check_forall(const Cell* series) {
    if (type_of(series) == T_IMAGE) {
        if (!g_image_pixel_count) not_done();
        return static_cast<uint32_t>(series_index(series)) < g_image_pixel_count(series);
    }
    return static_cast<uint32_t>(series_index(series)) < units_of(series);
}

bool natives_foreach_set(uint32_t n) {
    Cell* series = loop_series();
    Cell* words = loop_words();
    bool valid = n > 0 && natives_check_forall(series);
    if (valid) {
        check_loop_words(words, n);
        uint8_t t = type_of(series);
        if (t == T_MAP) {
            if (n != 2) error_fire(kCatScript, err::script::kInvalidArg, words);
            if (!g_map_foreach_set) not_done();
            valid = g_map_foreach_set(words, series, n);
        } else if (t == T_IMAGE) {
            if (!g_image_foreach_set) not_done();
            valid = g_image_foreach_set(words, series, n);
        } else if (is_block_kind(t)) {
            set_block_words(words, series, n);
        } else {
            Cell list = *words;
            for (uint32_t i = 0; i < n; i++) {
                Cell value = pick_at(series, static_cast<int>(i + 1));
                Cell word = block_rs_head(&list)[i];
                context_set(&word, &value);
            }
        }
    }
    series_move_index(series, static_cast<int32_t>(n));
    return valid;
}

bool natives_foreach_next() {
    Cell* series = loop_series();
    if (!natives_check_forall(series)) return false;
    Cell value;
    if (is_block_kind(type_of(series)))
        value = block_rs_head(series)[0];
    else
        value = pick_at(series, 1);
    series_move_index(series, 1);
    context_set(loop_words(), &value);
    return true;
}

bool natives_forall_next(bool advance) {
    Cell* value = context_get(loop_words());
    if (advance) series_move_index(value, 1);
    return !natives_check_forall(value);
}

void natives_forall_end() {
    Cell start = *loop_series();
    context_set(loop_words(), &start);
}

void natives_loop_count() {
    loop_count_to_integer(stack_arguments());
}

void natives_remove_each_core(uint32_t n) {
    if (!value_truth(stack_arguments())) return;
    Cell* series = loop_series();
    Cell at_items = *series;
    series_move_index(&at_items, -static_cast<int32_t>(n));
    Cell part = *loop_part();
    Cell* rest = actions_remove_typed(&at_items, n > 1 ? &part : nullptr, nullptr);
    series_set_index(series, series_index(rest));
}

} // namespace xel
