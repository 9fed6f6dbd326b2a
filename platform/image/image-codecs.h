// Image containers in memory over the C libraries made for them (libpng,
// libjpeg-turbo, giflib, libtiff) and our own BMP code. Pixels are always
// straight BGRA words: alpha << 24 | R << 16 | G << 8 | B, rows from the top.
//
// No exception and no longjmp crosses these functions: each library's errors
// are caught in the code that calls it and come back as false.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace xel {

// Where a decoder puts its pixels: asked once the size is known, it gives
// room for width x height words or null to refuse (too large, no memory).
class PixelTarget {
  public:
    virtual uint32_t* pixels(uint32_t width, uint32_t height) noexcept = 0;

  protected:
    ~PixelTarget() = default;
};

enum class ImageContainer { Unknown, Png, Jpeg, Bmp, Gif, Tiff };

// The container whose signature the data starts with.
ImageContainer image_container_of(const uint8_t* data, size_t length);

// Decoders: false for data that doesn't decode or a side above 65,535.
bool png_decode(const uint8_t* data, size_t length, PixelTarget& target);
bool jpeg_decode(const uint8_t* data, size_t length, PixelTarget& target);
bool bmp_decode(const uint8_t* data, size_t length, PixelTarget& target);
bool gif_decode(const uint8_t* data, size_t length, PixelTarget& target);
bool tiff_decode(const uint8_t* data, size_t length, PixelTarget& target);
// The decoder of the data's signature; false for an unknown one.
bool image_decode(const uint8_t* data, size_t length, PixelTarget& target);

// Encoders: the whole file replaces out; false when the library fails.
// PNG, BMP and TIFF keep every pixel exactly; JPEG drops alpha; GIF keeps up
// to 256 colours exactly (more are quantised) and alpha below 128 as its
// transparent colour.
bool png_encode(const uint32_t* pixels, uint32_t width, uint32_t height, std::vector<uint8_t>& out);
bool jpeg_encode(const uint32_t* pixels, uint32_t width, uint32_t height, int quality,
                 std::vector<uint8_t>& out);
bool bmp_encode(const uint32_t* pixels, uint32_t width, uint32_t height, std::vector<uint8_t>& out);
bool gif_encode(const uint32_t* pixels, uint32_t width, uint32_t height, std::vector<uint8_t>& out);
bool tiff_encode(const uint32_t* pixels, uint32_t width, uint32_t height,
                 std::vector<uint8_t>& out);

constexpr int kJpegDefaultQuality = 90;
constexpr uint32_t kImageMaxSide = 65535;

} // namespace xel
