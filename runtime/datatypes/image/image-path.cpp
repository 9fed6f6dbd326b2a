// Paths of an image: pixels by index or pair, its size, and its channels as
// binaries (argb, rgb, alpha) read and written whole.
#include <cstring>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// The four bytes of a tuple (a 3-byte tuple has a 0 fourth) or of an
// integer, low byte first.
uint32_t value_bytes(const Cell* value) {
    if (type_of(value) == T_INTEGER) return value->data2;
    const uint8_t* b = tuple_bytes(value);
    uint32_t fourth = tuple_count(value) >= 4 ? b[3] : 0;
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | fourth << 24;
}

void fill_channel(uint32_t* pixels, uint32_t n, uint32_t bytes, int selector) {
    uint32_t rgb = (bytes & 0xFF) << 16 | (bytes & 0xFF00) | (bytes >> 16 & 0xFF);
    uint32_t alpha = (255 - (bytes & 0xFF)) << 24;
    for (uint32_t i = 0; i < n; i++) {
        switch (selector) {
        case kChannelArgb:
            pixels[i] = (255 - (bytes >> 24)) << 24 | rgb;
            break;
        case kChannelRgb:
            pixels[i] = (pixels[i] & 0xFF000000u) | rgb;
            break;
        default:
            pixels[i] = (pixels[i] & 0x00FFFFFFu) | alpha;
            break;
        }
    }
}

void copy_channel(uint32_t* pixels, uint32_t n, const uint8_t* bytes, uint32_t length,
                  int selector) {
    switch (selector) {
    case kChannelArgb:
        std::memcpy(pixels, bytes, length < 4 * uint64_t{n} ? length : 4 * size_t{n});
        break;
    case kChannelRgb:
        for (uint32_t i = 0; i < n && i < length / 3; i++) {
            const uint8_t* t = bytes + 3 * i;
            pixels[i] =
                (pixels[i] & 0xFF000000u) | uint32_t{t[0]} << 16 | uint32_t{t[1]} << 8 | t[2];
        }
        break;
    default:
        for (uint32_t i = 0; i < n && i < length; i++)
            pixels[i] = (pixels[i] & 0x00FFFFFFu) | uint32_t{255u - bytes[i]} << 24;
        break;
    }
}

int channel_of_word(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    if (s == symbol_resolve(g_sym_argb)) return kChannelArgb;
    if (s == symbol_resolve(g_sym_rgb)) return kChannelRgb;
    if (s == symbol_resolve(g_sym_alpha)) return kChannelAlpha;
    return -1;
}

} // namespace

void image_to_channels(const Cell* image, int selector, Cell* out) {
    Cell img = *image;
    uint32_t n = image_pixel_count(&img);
    uint32_t unit = selector == kChannelArgb ? 4 : selector == kChannelRgb ? 3 : 1;
    uint64_t size = uint64_t{n} * unit;
    if (size > UINT32_MAX) error_fire(kCatInternal, err::internal::kNoMemory);
    Cell bin;
    binary_make_at(&bin, static_cast<uint32_t>(size));
    SeriesBuf* buf = series_buffer(&bin);
    uint8_t* to = at(buf->head);
    buf->tail = buf->head + static_cast<uint32_t>(size);
    const uint32_t* pixels = n ? bitmap_pixels(image_record(&img)) : nullptr;
    for (uint32_t i = 0; i < n; i++) {
        uint32_t p = pixels[i];
        switch (selector) {
        case kChannelArgb:
            std::memcpy(to + 4 * size_t{i}, &p, 4);
            break;
        case kChannelRgb:
            to[3 * size_t{i}] = static_cast<uint8_t>(p >> 16);
            to[3 * size_t{i} + 1] = static_cast<uint8_t>(p >> 8);
            to[3 * size_t{i} + 2] = static_cast<uint8_t>(p);
            break;
        default:
            to[i] = static_cast<uint8_t>(255 - (p >> 24));
            break;
        }
    }
    *out = bin;
}

void image_from_channels(Cell* image, const Cell* value, int selector) {
    Cell img = *image;
    Cell v = *value;
    uint32_t n = image_pixel_count(&img);
    uint8_t t = type_of(&v);
    if (t != T_BINARY && t != T_TUPLE && t != T_INTEGER)
        error_fire(kCatScript, err::script::kInvalidArg, &v);
    if (n == 0) return;
    uint32_t* pixels = bitmap_pixels(image_record(&img));
    if (t == T_BINARY) {
        uint32_t index = series_clamped_index(&v);
        SeriesBuf* buf = series_buffer(&v);
        copy_channel(pixels, n, at(buf->head) + index, buf->used() - index, selector);
    } else {
        fill_channel(pixels, n, value_bytes(&v), selector);
    }
    bitmap_touch(image_record(&img));
    ownership_check(&img, ownership_word_after(Change::Poke), &v, 0, static_cast<int>(n));
}

Cell* image_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell*, Cell*, int, bool,
                      bool, bool, bool) {
    Cell image = *parent;
    Cell elem = *element;
    uint8_t t = type_of(&elem);
    if (t == T_INTEGER || t == T_PAIR) {
        int index = t == T_INTEGER ? static_cast<int32_t>(elem.data2) : 0;
        return value ? image_poke(&image, index, value, &elem) : image_pick(&image, index, &elem);
    }
    if (t != T_WORD) path_fire_invalid_selector(path, &elem);
    if (symbol_resolve(word_symbol(&elem)) == symbol_resolve(g_sym_size)) {
        if (value) path_fire_invalid_selector(path, &elem);
        Cell size;
        pair_make_at(&size, static_cast<int32_t>(image_width(&image)),
                     static_cast<int32_t>(image_height(&image)));
        return stack_set_last(&size);
    }
    int selector = channel_of_word(&elem);
    if (selector < 0) path_fire_invalid_selector(path, &elem);
    if (value) {
        Cell v = *value;
        image_from_channels(&image, &v, selector);
        return stack_set_last(&v);
    }
    Cell bin;
    image_to_channels(&image, selector, &bin);
    return stack_set_last(&bin);
}

} // namespace xel
