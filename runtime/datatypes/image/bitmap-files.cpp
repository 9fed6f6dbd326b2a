// The bitmap layer's containers: decoding into a new record, encoding a
// record's pixels, over the codecs of platform/image.
#include <cstdio>
#include <exception>

#include "platform/image/image-codecs.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/printing/print-hooks.h"

namespace xel {

namespace {

// Makes the record once the decoder knows the size. An error raised by the
// allocation must not cross the decoder's C library: it is kept and raised
// again once the decoder has returned.
class RecordTarget final : public PixelTarget {
  public:
    uint32_t* pixels(uint32_t width, uint32_t height) noexcept override {
        try {
            record = bitmap_make_record(width, height, kBitmapCached);
            return bitmap_pixels(record);
        } catch (...) {
            error = std::current_exception();
            return nullptr;
        }
    }
    Offset record = 0;
    std::exception_ptr error;
};

} // namespace

Offset bitmap_load_memory(const uint8_t* bytes, uint32_t length) {
    RecordTarget target;
    bool ok = image_decode(bytes, length, target);
    if (target.error) std::rethrow_exception(target.error);
    return ok ? target.record : 0;
}

Offset bitmap_load_file(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 0;
    std::vector<uint8_t> data;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    bool failed = std::ferror(file);
    std::fclose(file);
    if (failed || data.size() > UINT32_MAX) return 0;
    return bitmap_load_memory(data.data(), static_cast<uint32_t>(data.size()));
}

bool bitmap_encode(Offset record, int format, std::vector<uint8_t>& out) {
    const uint32_t* pixels = bitmap_pixels(record);
    uint32_t width = bitmap_width(record), height = bitmap_height(record);
    switch (format) {
    case kFormatBmp:
        return bmp_encode(pixels, width, height, out);
    case kFormatPng:
        return png_encode(pixels, width, height, out);
    case kFormatGif:
        return gif_encode(pixels, width, height, out);
    case kFormatJpeg:
        return jpeg_encode(pixels, width, height, kJpegDefaultQuality, out);
    case kFormatTiff:
        return tiff_encode(pixels, width, height, out);
    default: {
        static const char kMessage[] = "Cannot find image encoder";
        printhooks_call_text_hooks(kMessage, sizeof kMessage - 1, 1);
        return false;
    }
    }
}

} // namespace xel
