// copy (whole, from the head, or a rectangle by /part), change (a pixel or a
// pasted image) and compare.
#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

struct Rect {
    int64_t x, y, width, height;
};

// The column and row of a pixel offset.
void corner_of(const Cell* image, int64_t offset, int64_t* x, int64_t* y) {
    int64_t w = image_width(image);
    *x = offset % w;
    *y = offset / w;
}

Rect rectangle_of(const Cell* image, const Cell* part) {
    int64_t w = image_width(image), h = image_height(image);
    int64_t head = std::clamp<int64_t>(image_head(image), 0, w * h);
    int64_t x, y;
    corner_of(image, head, &x, &y);
    if (!part) return {x, y, w - x, h - y};
    switch (type_of(part)) {
    case T_PAIR: {
        int64_t px = pair_x(part), py = pair_y(part);
        if (px >= 1 && py >= 1 && head < w * h)
            return {x, y, std::min(px, w - x), std::min(py, h - y)};
        if (px < 0 && py < 0 && head > 0) {
            int64_t end_x = x == 0 ? w : x, end_y = y < h ? y + 1 : y;
            int64_t from_x = std::max<int64_t>(0, end_x + px),
                    from_y = std::max<int64_t>(0, end_y + py);
            return {from_x, from_y, end_x - from_x, end_y - from_y};
        }
        return {0, 0, 0, 0};
    }
    case T_IMAGE: {
        if (image_record(part) != image_record(image)) {
            Cell value = *part;
            error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, &value);
        }
        // The rectangle whose opposite corners the two positions are.
        int64_t x2, y2;
        corner_of(image, std::clamp<int64_t>(image_head(part), 0, w * h), &x2, &y2);
        return {std::min(x, x2), std::min(y, y2), x > x2 ? x - x2 : x2 - x,
                y > y2 ? y - y2 : y2 - y};
    }
    case T_INTEGER:
        error_fire(kCatInternal, err::internal::kNotDone);
    default: {
        Cell value = *part;
        error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_part, &value);
    }
    }
}

} // namespace

void image_copy_into(const Cell* image, const Cell* part, Cell* out) {
    Cell img = *image;
    if (!image_record(&img)) {
        image_init_cell(out, 0, image_width(&img), image_height(&img));
        return;
    }
    Rect r = rectangle_of(&img, part);
    if (r.width < 1 || r.height < 1) {
        image_init_cell(out, 0, static_cast<uint32_t>(std::max<int64_t>(r.width, 0)),
                        static_cast<uint32_t>(std::max<int64_t>(r.height, 0)));
        return;
    }
    Offset copy =
        bitmap_copy_part(image_record(&img), static_cast<uint32_t>(r.x), static_cast<uint32_t>(r.y),
                         static_cast<uint32_t>(r.width), static_cast<uint32_t>(r.height));
    image_init_cell(out, copy);
}

Cell* image_copy(Cell* value, Cell* part, bool, Cell*) {
    Cell image = *value;
    Cell p = part ? *part : Cell{};
    image_copy_into(&image, part ? &p : nullptr, stack_arguments());
    return stack_arguments();
}

Cell* image_change(Cell* series, Cell* value, Cell* part, bool, Cell* dup) {
    if (part || (dup && static_cast<int32_t>(dup->data2) > 1))
        error_fire(kCatInternal, err::internal::kNotDone);
    Cell image = *series;
    Cell v = *value;
    int64_t w = image_width(&image), h = image_height(&image);
    int64_t head = image_head(&image);
    if (type_of(&v) == T_TUPLE) {
        if (head < 0 || head >= w * h) {
            Cell index{T_INTEGER, 0, static_cast<uint32_t>(head + 1), 0};
            error_fire(kCatScript, err::script::kOutOfRange, &index);
        }
        auto at = static_cast<int>(head);
        bool told = ownership_notify_before(&image, Change::Change, &v, at, 1);
        bitmap_set_pixel(image_record(&image), static_cast<uint32_t>(head), image_tuple_pixel(&v));
        if (told) ownership_notify_after(&image, Change::Change, &v, at, 1);
        image_set_head(&image, static_cast<int32_t>(head + 1));
    } else if (type_of(&v) == T_IMAGE) {
        if (head >= 0 && head < w * h && image_record(&v)) {
            int64_t x = head % w, y = head / w;
            int64_t sw = image_width(&v), sh = image_height(&v);
            int64_t cols = std::min(sw, w - x), rows = std::min(sh, h - y);
            // The source is read whole first: it may be the image itself.
            const uint32_t* src = bitmap_pixels(image_record(&v));
            std::vector<uint32_t> source(src, src + sw * sh);
            uint32_t* dst = bitmap_pixels(image_record(&image));
            for (int64_t row = 0; row < rows; row++)
                std::memcpy(dst + (y + row) * w + x, source.data() + row * sw,
                            static_cast<size_t>(cols) * 4);
            bitmap_touch(image_record(&image));
            ownership_check(&image, ownership_word_after(Change::Change), &v,
                            static_cast<int>(head), static_cast<int>(rows * cols));
            image_set_head(&image, static_cast<int32_t>((y + rows - 1) * w + std::min(x + sw, w)));
        }
    } else {
        Cell type{T_DATATYPE, type_of(&v), 0, 0};
        error_fire(kCatScript, err::script::kInvalidType, &type);
    }
    *stack_arguments() = image;
    return stack_arguments();
}

int image_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_IMAGE) return -2;
    bool same =
        image_record(value1) == image_record(value2) && image_head(value1) == image_head(value2);
    if (op == 9) return same ? 0 : 1;
    if (op <= 2 && same) return 0;
    if (op > 2 && op != 7 && op != 8 && op != 12) return -2;
    uint32_t n1 = image_pixel_count(value1), n2 = image_pixel_count(value2);
    if (n1 != n2) return n1 < n2 ? -1 : 1;
    if (n1 == 0 || !image_record(value1) || !image_record(value2)) return 0;
    int c = std::memcmp(bitmap_pixels(image_record(value1)), bitmap_pixels(image_record(value2)),
                        size_t{n1} * 4);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

} // namespace xel
