// PNG through libpng's simplified API: it runs its own error recovery inside
// the library and reports failure by its result, so no longjmp reaches our
// frames.
#include <png.h>

#include "platform/image/image-codecs.h"

namespace xel {

namespace {

struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
};

} // namespace

bool png_decode(const uint8_t* data, size_t length, PixelTarget& target) {
    if (length == 0) return false;
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data, length)) return false;
    png_image& image = png.image;
    if (image.width == 0 || image.height == 0 || image.width > kImageMaxSide ||
        image.height > kImageMaxSide)
        return false;
    image.format = PNG_FORMAT_BGRA;
    uint32_t* pixels = target.pixels(image.width, image.height);
    if (!pixels) return false;
    return png_image_finish_read(&image, nullptr, pixels, 0, nullptr) != 0;
}

bool png_encode(const uint32_t* pixels, uint32_t width, uint32_t height,
                std::vector<uint8_t>& out) {
    PngImage png;
    png_image& image = png.image;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_BGRA;
    // The bound holds any compressed form, so one pass is enough.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    out.resize(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr)) return false;
    out.resize(size);
    return true;
}

} // namespace xel
