#include <cstring>

#include "platform/image/image-codecs.h"

namespace xel {

namespace {

bool starts_with(const uint8_t* data, size_t length, const char* sig, size_t n) {
    return length >= n && std::memcmp(data, sig, n) == 0;
}

} // namespace

ImageContainer image_container_of(const uint8_t* data, size_t length) {
    if (starts_with(data, length, "\x89PNG", 4)) return ImageContainer::Png;
    if (starts_with(data, length, "\xFF\xD8\xFF", 3)) return ImageContainer::Jpeg;
    if (starts_with(data, length, "BM", 2)) return ImageContainer::Bmp;
    if (length >= 6 && std::memcmp(data, "GIF8", 4) == 0 && (data[4] == '7' || data[4] == '9') &&
        data[5] == 'a')
        return ImageContainer::Gif;
    if (starts_with(data, length, "II*\0", 4) || starts_with(data, length, "MM\0*", 4))
        return ImageContainer::Tiff;
    return ImageContainer::Unknown;
}

bool image_decode(const uint8_t* data, size_t length, PixelTarget& target) {
    switch (image_container_of(data, length)) {
    case ImageContainer::Png:
        return png_decode(data, length, target);
    case ImageContainer::Jpeg:
        return jpeg_decode(data, length, target);
    case ImageContainer::Bmp:
        return bmp_decode(data, length, target);
    case ImageContainer::Gif:
        return gif_decode(data, length, target);
    case ImageContainer::Tiff:
        return tiff_decode(data, length, target);
    case ImageContainer::Unknown:
        break;
    }
    return false;
}

} // namespace xel
