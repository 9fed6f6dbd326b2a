// The codec entry points of image! and the routines the image codec objects
// call: decoding accepts every known container, encoding takes a format
// number.
#include <string>
#include <vector>

#include "platform/image/image-codecs.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/function/routine-table.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// The bytes of a binary! from its position, copied out of the arena: the
// decoded image's allocation may move the binary's buffer.
std::vector<uint8_t> bytes_of(const Cell* data) {
    uint32_t index = series_clamped_index(data);
    SeriesBuf* buf = series_buffer(data);
    const uint8_t* from = at(buf->head) + index;
    return std::vector<uint8_t>(from, from + (buf->used() - index));
}

template <int Format> RoutineValue encode_routine(const RoutineValue* args, uint32_t) {
    RoutineValue r;
    r.cell = image_encode(args[1].cell, args[0].cell, Format);
    return r;
}

RoutineValue decode_routine(const RoutineValue* args, uint32_t) {
    RoutineValue r;
    r.cell = image_decode(args[0].cell);
    return r;
}

} // namespace

bool image_known_format(const Cell* data) {
    uint32_t index = series_clamped_index(data);
    SeriesBuf* buf = series_buffer(data);
    return image_container_of(at(buf->head) + index, buf->used() - index) !=
           ImageContainer::Unknown;
}

Cell* image_load_binary(const Cell* data) {
    Cell bin = *data;
    if (!image_known_format(&bin)) return stack_push(&g_none_cell);
    std::vector<uint8_t> bytes = bytes_of(&bin);
    Offset record = bitmap_load_memory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!record) error_fire(kCatAccess, err::access::kNoCodec, &bin);
    return image_push(record);
}

Cell* image_load_file(Cell* slot, const Cell* file) {
    Cell f = *file;
    Offset record = 0;
    if (type_of(&f) == T_FILE) record = bitmap_load_file(natives_local_path(&f, true).c_str());
    if (!record) error_fire(kCatAccess, err::access::kCannotOpen, &f);
    image_init_cell(slot, record);
    return slot;
}

Cell* image_decode(const Cell* value) {
    if (type_of(value) == T_BINARY) return image_load_binary(value);
    Cell* slot = stack_push(&g_none_cell);
    return image_load_file(slot, value);
}

Cell* image_encode(Cell* slot, const Cell* image, int format) {
    Cell img = *image;
    if (type_of(&img) != T_IMAGE || !image_record(&img))
        error_fire(kCatAccess, err::access::kNoCodec, &img);
    if (type_of(slot) == T_NONE) slot = stack_push(&g_none_cell);
    std::vector<uint8_t> out;
    if (!bitmap_encode(image_record(&img), format, out)) {
        set_none(slot);
        return slot;
    }
    if (out.size() > UINT32_MAX) error_fire(kCatInternal, err::internal::kNoMemory);
    Cell bin;
    binary_make_at(&bin, static_cast<uint32_t>(out.size()));
    binary_xs_append(&bin, out.data(), static_cast<uint32_t>(out.size()));
    *slot = bin;
    return slot;
}

void image_register_routines() {
    routine_register("png-codec/encode", encode_routine<kFormatPng>);
    routine_register("png-codec/decode", decode_routine);
    routine_register("jpeg-codec/encode", encode_routine<kFormatJpeg>);
    routine_register("jpeg-codec/decode", decode_routine);
    routine_register("bmp-codec/encode", encode_routine<kFormatBmp>);
    routine_register("bmp-codec/decode", decode_routine);
    routine_register("gif-codec/encode", encode_routine<kFormatGif>);
    routine_register("gif-codec/decode", decode_routine);
    routine_register("tiff-codec/encode", encode_routine<kFormatTiff>);
    routine_register("tiff-codec/decode", decode_routine);
}

} // namespace xel
