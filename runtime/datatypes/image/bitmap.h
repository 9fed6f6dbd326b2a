// The bitmap layer: the pixel storage under every image!. A record is one
// byte series: six 32-bit words, then width x height pixel words in rows
// from the top, each alpha << 24 | R << 16 | G << 8 | B with straight alpha
// (bytes B, G, R, A in memory). Keeping the pixels in the collected series
// lets the collector free them with the image and see their size when it
// decides to collect.
//
// Records move on allocation like every buffer: pixel addresses are good
// only until the next call that may allocate.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/cell.h"
#include "runtime/memory/series-memory.h"

namespace xel {

struct BitmapRecord {
    uint32_t flags;
    uint32_t source;   // a drawing form of the pixels kept by the GUI, or 0
    uint32_t cached;   // unused: the pixels follow the record
    uint32_t size;     // width in bits 0-15, height in bits 16-31
    uint32_t external; // the record's externals slot, kNoExternal without one
    uint32_t drawable; // a drawing surface made by the GUI, or 0
};
static_assert(sizeof(BitmapRecord) == 24);

enum : uint32_t {
    kBitmapCached = 0x01,
    kBitmapModified = 0x02,
};
constexpr uint32_t kNoExternal = 0xFFFFFFFF;
constexpr uint32_t kBitmapMaxSide = 65535;

// Container numbers of the encoder.
enum BitmapFormat : int {
    kFormatBmp = 0,
    kFormatPng = 1,
    kFormatGif = 2,
    kFormatJpeg = 3,
    kFormatTiff = 4,
};

// A new record of width x height (both 1 to 65,535) with its pixels unset;
// a size beyond memory raises internal no-memory.
Offset bitmap_make_record(uint32_t width, uint32_t height, uint32_t flags);

inline BitmapRecord* bitmap_record(Offset record) {
    return at<BitmapRecord>(buffer_of(record)->head);
}
uint32_t bitmap_width(Offset record);
uint32_t bitmap_height(Offset record);
uint32_t* bitmap_pixels(Offset record);

// The pixel at an index from the top-left corner, and its store (which
// marks the pixels modified).
uint32_t bitmap_get_pixel(Offset record, uint32_t index);
void bitmap_set_pixel(Offset record, uint32_t index, uint32_t pixel);
// Marks the pixels modified after a write through bitmap_pixels.
void bitmap_touch(Offset record);

// The create rule: 0 when a side is 0; else every pixel from the fill tuple
// when one is given, or R, G, B from the rgb binary's whole triples (white
// once they run out) and alpha 255 - the alpha binary's bytes (opaque once
// they run out). rgb, alpha and fill may be null.
Offset bitmap_create(uint32_t width, uint32_t height, const Cell* rgb, const Cell* alpha,
                     const Cell* fill);
// A new record with the pixels of a rectangle of the record, which must lie
// inside it.
Offset bitmap_copy_part(Offset record, uint32_t x, uint32_t y, uint32_t width, uint32_t height);
// A new record from width x height straight BGRA words (rows stride bytes
// apart; 0 means width x 4) outside the arena.
Offset bitmap_from_memory(uint32_t width, uint32_t height, uint32_t stride, const uint8_t* data);

// Decodes an image file held in memory (any known container); 0 when the
// bytes don't decode. The bytes must not lie in the arena: the record's
// allocation may move every buffer.
Offset bitmap_load_memory(const uint8_t* bytes, uint32_t length);
// Decodes the file at a path; 0 when it can't be read or doesn't decode.
Offset bitmap_load_file(const char* path);
// Encodes the record's pixels in the container of the format number into
// out; false for an unknown number (after printing "Cannot find image
// encoder") or when the encoder fails.
bool bitmap_encode(Offset record, int format, std::vector<uint8_t>& out);

} // namespace xel
