// The image containers over their C libraries: round trips of small images
// made here, the signature test, files of other layouts written by hand, and
// damaged files, which must fail cleanly (the sanitizer build catches any
// read outside the data).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/image/image-codecs.h"

using namespace xel;

namespace {

class Pixels final : public PixelTarget {
  public:
    explicit Pixels(uint64_t limit = 1u << 24) : limit_(limit) {}
    uint32_t* pixels(uint32_t w, uint32_t h) noexcept override {
        if (uint64_t{w} * h > limit_) return nullptr;
        width = w;
        height = h;
        data.assign(size_t{w} * h, 0xDEADBEEF);
        return data.data();
    }
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> data;

  private:
    uint64_t limit_;
};

// Colours that change along both axes; alpha from 0 to 255 when asked.
std::vector<uint32_t> sample(uint32_t w, uint32_t h, bool alpha) {
    std::vector<uint32_t> px(size_t{w} * h);
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w; x++) {
            uint32_t a = alpha ? (x * 40 + y * 17) & 255 : 255;
            px[y * w + x] =
                a << 24 | (x * 37 & 255) << 16 | (y * 53 & 255) << 8 | (x * y * 11 & 255);
        }
    return px;
}

using Encoder = bool (*)(const uint32_t*, uint32_t, uint32_t, std::vector<uint8_t>&);
using Decoder = bool (*)(const uint8_t*, size_t, PixelTarget&);

bool jpeg_encode_default(const uint32_t* p, uint32_t w, uint32_t h, std::vector<uint8_t>& out) {
    return jpeg_encode(p, w, h, kJpegDefaultQuality, out);
}

struct Codec {
    const char* name;
    Encoder encode;
    Decoder decode;
    ImageContainer container;
};

const Codec kCodecs[] = {
    {"png", png_encode, png_decode, ImageContainer::Png},
    {"jpeg", jpeg_encode_default, jpeg_decode, ImageContainer::Jpeg},
    {"bmp", bmp_encode, bmp_decode, ImageContainer::Bmp},
    {"gif", gif_encode, gif_decode, ImageContainer::Gif},
    {"tiff", tiff_encode, tiff_decode, ImageContainer::Tiff},
};

std::vector<uint8_t> encoded(const Codec& c, const std::vector<uint32_t>& px, uint32_t w,
                             uint32_t h) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(c.encode(px.data(), w, h, out)) << c.name;
    return out;
}

TEST(ImageCodecs, LosslessContainersKeepEveryPixel) {
    for (const Codec& c : kCodecs) {
        if (c.container == ImageContainer::Jpeg || c.container == ImageContainer::Gif) continue;
        for (bool alpha : {false, true}) {
            auto px = sample(13, 7, alpha);
            auto file = encoded(c, px, 13, 7);
            EXPECT_EQ(image_container_of(file.data(), file.size()), c.container) << c.name;
            Pixels got;
            ASSERT_TRUE(image_decode(file.data(), file.size(), got)) << c.name;
            EXPECT_EQ(got.width, 13u);
            EXPECT_EQ(got.height, 7u);
            EXPECT_EQ(got.data, px) << c.name << (alpha ? " with alpha" : "");
        }
    }
}

TEST(ImageCodecs, JpegIsCloseOpaqueAndFollowsItsQuality) {
    // A smooth picture with each channel its own way, so a swapped channel shows.
    std::vector<uint32_t> px(32 * 24);
    for (uint32_t y = 0; y < 24; y++)
        for (uint32_t x = 0; x < 32; x++)
            px[y * 32 + x] = 0x80000000u | (x * 8) << 16 | (y * 10) << 8 | 200;
    std::vector<uint8_t> q90, q50;
    ASSERT_TRUE(jpeg_encode(px.data(), 32, 24, 90, q90));
    ASSERT_TRUE(jpeg_encode(px.data(), 32, 24, 50, q50));
    EXPECT_GT(q90.size(), q50.size());
    Pixels got;
    ASSERT_TRUE(jpeg_decode(q90.data(), q90.size(), got));
    ASSERT_EQ(got.data.size(), px.size());
    double error = 0;
    for (size_t i = 0; i < px.size(); i++) {
        EXPECT_EQ(got.data[i] >> 24, 255u) << "JPEG has no alpha";
        for (int s = 0; s < 24; s += 8)
            error += std::abs(int(got.data[i] >> s & 255) - int(px[i] >> s & 255));
    }
    EXPECT_LT(error / (px.size() * 3), 3.0);
}

TEST(ImageCodecs, GifKeepsFewColoursAndTransparency) {
    std::vector<uint32_t> px = {0xFFFF0000, 0xFF00FF00, 0x00123456, 0xFF0000FF,
                                0xFFFF0000, 0x7F000000, 0xFFFFFFFF, 0xFF00FF00};
    std::vector<uint8_t> file;
    ASSERT_TRUE(gif_encode(px.data(), 4, 2, file));
    Pixels got;
    ASSERT_TRUE(gif_decode(file.data(), file.size(), got));
    ASSERT_EQ(got.data.size(), px.size());
    for (size_t i = 0; i < px.size(); i++) {
        if ((px[i] >> 24) < 128)
            EXPECT_EQ(got.data[i] >> 24, 0u) << i;
        else
            EXPECT_EQ(got.data[i], px[i]) << i;
    }
}

TEST(ImageCodecs, GifQuantisesManyColours) {
    auto px = sample(40, 30, false);
    for (size_t i = 0; i < px.size(); i++)
        px[i] ^= static_cast<uint32_t>(i * 2654435761u) & 0x070707;
    std::vector<uint8_t> file;
    ASSERT_TRUE(gif_encode(px.data(), 40, 30, file));
    Pixels got;
    ASSERT_TRUE(gif_decode(file.data(), file.size(), got));
    ASSERT_EQ(got.width, 40u);
    double error = 0;
    for (size_t i = 0; i < px.size(); i++)
        for (int s = 0; s < 24; s += 8)
            error += std::abs(int(got.data[i] >> s & 255) - int(px[i] >> s & 255));
    EXPECT_LT(error / (px.size() * 3), 16.0);
}

TEST(ImageCodecs, SignatureTable) {
    struct Case {
        std::string bytes;
        ImageContainer container;
    };
    const Case cases[] = {
        {std::string("\x89PNG", 4), ImageContainer::Png},
        {std::string("\x89PN", 3), ImageContainer::Unknown},
        {"\xFF\xD8\xFF", ImageContainer::Jpeg},
        {"\xFF\xD8", ImageContainer::Unknown},
        {"BM", ImageContainer::Bmp},
        {"B", ImageContainer::Unknown},
        {"GIF87a", ImageContainer::Gif},
        {"GIF89a", ImageContainer::Gif},
        {"GIF88a", ImageContainer::Unknown},
        {"GIF89", ImageContainer::Unknown},
        {std::string("II*\0", 4), ImageContainer::Tiff},
        {std::string("MM\0*", 4), ImageContainer::Tiff},
        {std::string("MM*\0", 4), ImageContainer::Unknown},
        {"", ImageContainer::Unknown},
    };
    for (const Case& c : cases) {
        auto* p = reinterpret_cast<const uint8_t*>(c.bytes.data());
        EXPECT_EQ(image_container_of(p, c.bytes.size()), c.container) << c.bytes;
    }
}

TEST(ImageCodecs, RefusedRoomFailsEveryDecoder) {
    auto px = sample(5, 4, true);
    for (const Codec& c : kCodecs) {
        auto file = encoded(c, px, 5, 4);
        Pixels none(0);
        EXPECT_FALSE(c.decode(file.data(), file.size(), none)) << c.name;
    }
}

// A BMP file of an info header and the given palette and pixel bytes.
std::vector<uint8_t> bmp_file(int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                              const std::vector<uint32_t>& palette,
                              const std::vector<uint8_t>& bits_data,
                              const std::vector<uint32_t>& masks = {}) {
    std::vector<uint8_t> f(54);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; i++)
            f[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put(14, 40, 4);
    put(18, uint32_t(w), 4);
    put(22, uint32_t(h), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    put(30, compression, 4);
    put(46, uint32_t(palette.size()), 4);
    for (uint32_t m : masks)
        for (int i = 0; i < 4; i++)
            f.push_back(uint8_t(m >> (8 * i)));
    for (uint32_t c : palette)
        for (int i = 0; i < 4; i++)
            f.push_back(uint8_t(c >> (8 * i)));
    put(10, uint32_t(f.size()), 4);
    f.insert(f.end(), bits_data.begin(), bits_data.end());
    put(2, uint32_t(f.size()), 4);
    return f;
}

TEST(ImageCodecs, BmpLayoutsOfOtherWriters) {
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::vector<uint32_t> want; // rows from the top
    };
    const Case cases[] = {
        {"24-bit bottom-up",
         bmp_file(2, 2, 24, 0, {}, {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0}),
         {blue, 0xFF000000, red, green}},
        {"24-bit top-down", bmp_file(1, -2, 24, 0, {}, {0, 0, 255, 0, 255, 0, 0, 0}), {red, blue}},
        {"8-bit palette",
         bmp_file(3, 1, 8, 0, {red, green, blue}, {2, 1, 0, 0}),
         {blue, green, red}},
        {"4-bit palette",
         bmp_file(3, 1, 4, 0, {red, green}, {0x10, 0x10, 0, 0}),
         {green, red, green}},
        {"1-bit palette",
         bmp_file(9, 1, 1, 0, {red, blue}, {0xA5, 0x80, 0, 0}),
         {blue, red, blue, red, red, blue, red, blue, blue}},
        {"index past the palette", bmp_file(1, 1, 8, 0, {red}, {7, 0, 0, 0}), {0xFF000000}},
        {"16-bit 555", bmp_file(2, 1, 16, 0, {}, {0x00, 0x7C, 0x1F, 0x00}), {red, blue}},
        {"16-bit 565 fields",
         bmp_file(1, 1, 16, 3, {}, {0xE0, 0x07, 0, 0}, {0xF800, 0x07E0, 0x001F}),
         {green}},
        {"32-bit plain is opaque", bmp_file(1, 1, 32, 0, {}, {3, 2, 1, 0}), {0xFF010203}},
        {"RLE8: a run, a line end, an absolute run",
         bmp_file(4, 2, 8, 1, {red, green, blue}, {3, 1, 0, 0, 0, 3, 2, 0, 1, 0, 0, 1}),
         {blue, red, green, 0xFF000000, green, green, green, 0xFF000000}},
    };
    for (const Case& c : cases) {
        Pixels got;
        ASSERT_TRUE(bmp_decode(c.file.data(), c.file.size(), got)) << c.name;
        EXPECT_EQ(got.data, c.want) << c.name;
    }
}

TEST(ImageCodecs, OversizedOrEmptyBmpHeadersFail) {
    for (auto [w, h] : {std::pair{70000, 1}, {1, 70000}, {0, 1}, {1, 0}, {-1, 1}, {1, INT32_MIN}}) {
        auto f = bmp_file(w, h, 24, 0, {}, std::vector<uint8_t>(64));
        Pixels got;
        EXPECT_FALSE(bmp_decode(f.data(), f.size(), got)) << w << "x" << h;
    }
    // A header size that wraps a 32-bit sum must not pass the length check.
    auto wrapping = bmp_file(1, 1, 24, 0, {}, {0, 0, 0, 0});
    wrapping.resize(20);
    wrapping[14] = 0xF5;
    wrapping[15] = wrapping[16] = wrapping[17] = 0xFF;
    Pixels none;
    EXPECT_FALSE(bmp_decode(wrapping.data(), wrapping.size(), none)) << "wrapping header size";
    auto short_rows = bmp_file(4, 4, 24, 0, {}, std::vector<uint8_t>(20));
    Pixels got;
    EXPECT_FALSE(bmp_decode(short_rows.data(), short_rows.size(), got)) << "rows past the data";
}

// Every cut of a valid file and a few thousand changed bytes: decoding may
// succeed or fail but must stay inside the data and its own memory.
TEST(ImageCodecs, DamagedFilesNeverCrash) {
    auto px = sample(9, 6, true);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (const Codec& c : kCodecs) {
        auto file = encoded(c, px, 9, 6);
        for (size_t cut = 0; cut < file.size(); cut++) {
            std::vector<uint8_t> part(file.begin(), file.begin() + long(cut));
            Pixels got;
            c.decode(part.data(), part.size(), got);
        }
        for (int round = 0; round < 1500; round++) {
            auto damaged = file;
            int changes = 1 + int(next() % 4);
            for (int k = 0; k < changes; k++)
                damaged[next() % damaged.size()] = uint8_t(next() >> 16);
            Pixels got(1u << 20);
            c.decode(damaged.data(), damaged.size(), got);
        }
    }
}

} // namespace
