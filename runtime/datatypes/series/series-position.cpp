#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

uint32_t series_buffer_length(const Cell* s) {
    SeriesBuf* buf = series_buffer(s);
    return buf->used() >> unit_shift(buf->unit());
}

uint32_t series_clamped_index(const Cell* s) {
    int32_t i = series_index(s);
    if (i < 0) return 0;
    uint32_t len = series_buffer_length(s);
    return static_cast<uint32_t>(i) > len ? len : static_cast<uint32_t>(i);
}

bool series_xs_tail(const Cell* s) {
    return series_index(s) >= static_cast<int32_t>(series_buffer_length(s));
}

bool series_xs_skip(Cell* s, int32_t n) {
    int64_t len = series_buffer_length(s);
    int64_t to = int64_t{series_index(s)} + n;
    if (to <= len) series_set_index(s, static_cast<int32_t>(to));
    return series_index(s) >= len;
}

int32_t series_length_at(Cell* s, bool from_head) {
    auto len = static_cast<int32_t>(series_buffer_length(s));
    if (from_head) return len;
    int32_t i = series_index(s);
    if (i < 0) return len;
    if (i >= len) {
        series_set_index(s, len);
        return 0;
    }
    return len - i;
}

int32_t series_at_index(const Cell* s, const Cell* offset, bool at) {
    if (type_of(offset) != T_INTEGER) error_fire(kCatScript, err::script::kInvalidArg, offset);
    int64_t n = static_cast<int32_t>(offset->data2);
    if (at && n >= 1) n--;
    int64_t i = int64_t{series_index(s)} + n;
    int64_t len = series_buffer_length(s);
    if (i < 0) return 0;
    return static_cast<int32_t>(i > len ? len : i);
}

namespace {

// The frame's series argument, whose index becomes the result's.
void move_to(int32_t index) {
    series_set_index(stack_arguments(), index);
}

} // namespace

void series_head_q() {
    set_logic(stack_arguments(), series_index(stack_arguments()) == 0);
}

void series_tail_q() {
    set_logic(stack_arguments(), series_xs_tail(stack_arguments()));
}

void series_index_q() {
    set_integer(stack_arguments(), series_index(stack_arguments()) + 1);
}

void series_head() {
    move_to(0);
}

void series_tail() {
    move_to(static_cast<int32_t>(series_buffer_length(stack_arguments())));
}

void series_next() {
    Cell* s = stack_arguments();
    if (!series_xs_tail(s)) move_to(series_index(s) + 1);
}

void series_back() {
    Cell* s = stack_arguments();
    if (series_index(s) > 0) move_to(series_index(s) - 1);
}

void series_at() {
    Cell* s = stack_arguments();
    move_to(series_at_index(s, s + 1, true));
}

void series_skip() {
    Cell* s = stack_arguments();
    move_to(series_at_index(s, s + 1, false));
}

int series_length_q(Cell* s) {
    return series_length_at(s);
}

} // namespace xel
