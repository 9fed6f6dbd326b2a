// Positions and pixels: pick, poke, at, skip, next, tail, length? and foreach.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

struct Position {
    uint32_t offset; // clamped to 0 .. width x height
    bool out;        // out of range
};

// One routine for pick, poke and at (one-based) and skip (zero-based): an
// integer counts from the head, a pair x y is a column and a row from it.
Position position_of(const Cell* image, int64_t index, const Cell* pair, bool one_based) {
    int64_t w = image_width(image), h = image_height(image);
    int64_t e = index;
    bool out = false;
    if (pair) {
        int64_t x = pair_x(pair), y = pair_y(pair);
        e = one_based && y > 0 ? x + w * (y - 1) : x + w * y;
        out = one_based ? x > w || x <= 0 || y > h || y <= 0 : x >= w || x < 0 || y >= h || y < 0;
    }
    int64_t head = image_head(image);
    int64_t offset = one_based && e > 0 ? e + head - 1 : e + head;
    int64_t count = w * h;
    if (e == 0 || offset < 0 || offset >= count) out = true;
    int64_t clamped = offset < 0 ? 0 : offset > count ? count : offset;
    return {static_cast<uint32_t>(clamped), out};
}

// The index or pair an action's frame argument gives.
Position position_of_argument(const Cell* image, const Cell* arg, bool one_based) {
    if (type_of(arg) == T_PAIR) return position_of(image, 0, arg, one_based);
    if (type_of(arg) != T_INTEGER) error_fire(kCatScript, err::script::kInvalidArg, arg);
    return position_of(image, static_cast<int32_t>(arg->data2), nullptr, one_based);
}

void set_head(uint32_t head) {
    image_set_head(stack_arguments(), static_cast<int32_t>(head));
}

} // namespace

Cell* image_pick(Cell* series, int index, Cell* boxed) {
    const Cell* pair = boxed && type_of(boxed) == T_PAIR ? boxed : nullptr;
    Position p = position_of(series, index, pair, true);
    Cell* result = stack_arguments();
    if (p.out) {
        set_none(result);
        return result;
    }
    *result = image_pixel_tuple(bitmap_get_pixel(image_record(series), p.offset));
    return result;
}

Cell* image_poke(Cell* series, int index, Cell* data, Cell* boxed) {
    const Cell* pair = boxed && type_of(boxed) == T_PAIR ? boxed : nullptr;
    Cell image = *series;
    Cell value = *data;
    Position p = position_of(&image, index, pair, true);
    if (p.out) error_fire(kCatScript, err::script::kOutOfRange, boxed ? boxed : &value);
    if (type_of(&value) != T_TUPLE) error_fire(kCatScript, err::script::kInvalidArg, &value);
    auto offset = static_cast<int>(p.offset);
    bool told = ownership_notify_before(&image, Change::Poke, &value, offset, 1);
    bitmap_set_pixel(image_record(&image), p.offset, image_tuple_pixel(&value));
    if (told) ownership_notify_after(&image, Change::Poke, &value, offset, 1);
    Cell* result = stack_arguments();
    *result = value;
    return result;
}

void image_at() {
    Cell* s = stack_arguments();
    set_head(position_of_argument(s, s + 1, true).offset);
}

void image_skip() {
    Cell* s = stack_arguments();
    set_head(position_of_argument(s, s + 1, false).offset);
}

void image_next() {
    Cell* s = stack_arguments();
    if (int64_t{image_head(s)} + 1 <= image_pixel_count(s)) set_head(image_head(s) + 1);
}

void image_tail() {
    set_head(image_pixel_count(stack_arguments()));
}

void image_tail_q() {
    Cell* s = stack_arguments();
    set_logic(s, image_head(s) >= static_cast<int64_t>(image_pixel_count(s)));
}

int image_length_q(Cell* value) {
    int64_t n = int64_t{image_pixel_count(value)} - image_head(value);
    return n < 0 ? 0 : static_cast<int>(n);
}

bool image_foreach_set(Cell* words, Cell* series, uint32_t n) {
    Cell list = *words;
    Cell image = *series;
    uint32_t count = image_pixel_count(&image);
    int64_t head = image_head(&image);
    for (uint32_t i = 0; i < n; i++) {
        int64_t at = head + i;
        Cell value = g_none_cell;
        if (at >= 0 && at < count)
            value = image_pixel_tuple(
                bitmap_get_pixel(image_record(&image), static_cast<uint32_t>(at)));
        Cell word = block_rs_head(&list)[i];
        context_set(&word, &value);
    }
    return head < count;
}

} // namespace xel
