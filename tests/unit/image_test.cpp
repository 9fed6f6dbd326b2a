// The bitmap layer's create rule and the codec entry points of image!: the
// routines of the codec objects, decoding of damaged or unknown data, and the
// encoder's limits.
#include <string>
#include <vector>

#include "collector_test_support.h"
#include "platform/image/image-codecs.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/function/routine-table.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/printing/print-hooks.h"
#include "series_fixture.h"

using namespace xel;
using namespace xel::test;

namespace {

class Image : public SeriesFixture {
  protected:
    static Cell bytes(const std::vector<uint8_t>& v) {
        Cell b;
        binary_make_at(&b, static_cast<uint32_t>(v.size()));
        binary_xs_append(&b, v.data(), static_cast<uint32_t>(v.size()));
        return b;
    }
    static std::vector<uint8_t> content(const Cell& b) {
        const uint8_t* p = binary_xs_head(&b);
        return {p, p + binary_xs_length(&b)};
    }
    static Cell tuple(std::vector<uint8_t> v) {
        Cell t;
        tuple_make_at(&t, v.data(), static_cast<uint32_t>(v.size()));
        return t;
    }
    static std::vector<uint32_t> pixels_of(const Cell& image) {
        const uint32_t* p = bitmap_pixels(image_record(&image));
        return {p, p + image_pixel_count(&image)};
    }
    // An image of distinct pixels, some transparent.
    static Cell sample() {
        Cell rgb = bytes({1, 2, 3, 40, 50, 60, 255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});
        Cell alpha = bytes({0, 0, 128, 255, 0, 7});
        Cell image;
        image_init_cell(&image, bitmap_create(3, 2, &rgb, &alpha, nullptr));
        return image;
    }
};

TEST_F(Image, CreateRule) {
    Cell t3 = tuple({1, 2, 3}), t4 = tuple({1, 2, 3, 4});
    EXPECT_EQ(bitmap_get_pixel(bitmap_create(1, 1, nullptr, nullptr, &t3), 0), 0xFF010203u);
    EXPECT_EQ(bitmap_get_pixel(bitmap_create(1, 1, nullptr, nullptr, &t4), 0), 0xFB010203u);
    EXPECT_EQ(bitmap_create(0, 4, nullptr, nullptr, &t3), 0u) << "no record for a zero side";
    Cell rgb = bytes({1, 2, 3, 4, 5, 6, 7}), alpha = bytes({16});
    Cell image;
    image_init_cell(&image, bitmap_create(3, 1, &rgb, &alpha, nullptr));
    EXPECT_EQ(pixels_of(image), (std::vector<uint32_t>{0xEF010203, 0xFF040506, 0xFFFFFFFF}));
}

TEST_F(Image, CodecRoutinesRoundTrip) {
    struct Case {
        const char* encode;
        bool exact;
    };
    const Case cases[] = {{"png-codec/encode", true},
                          {"bmp-codec/encode", true},
                          {"tiff-codec/encode", true},
                          {"jpeg-codec/encode", false},
                          {"gif-codec/encode", false}};
    for (const Case& c : cases) {
        std::string name = c.encode;
        std::string decode = name.substr(0, name.find('/')) + "/decode";
        RoutineFn enc = routine_code(routine_find(c.encode));
        RoutineFn dec = routine_code(routine_find(decode.c_str()));
        ASSERT_TRUE(enc && dec) << name;
        Cell image = sample(), where = none();
        RoutineValue args[2];
        args[0].cell = &image;
        args[1].cell = &where;
        Cell file = *enc(args, 2).cell;
        ASSERT_EQ(type_of(&file), T_BINARY) << name;
        RoutineValue in[1];
        in[0].cell = &file;
        Cell back = *dec(in, 1).cell;
        ASSERT_EQ(type_of(&back), T_IMAGE) << name;
        EXPECT_EQ(back.data3, image.data3) << name;
        if (c.exact) {
            EXPECT_EQ(pixels_of(back), pixels_of(image)) << name;
        }
    }
}

TEST_F(Image, EncodeWritesIntoTheSlot) {
    Cell image = sample(), slot = integer(0);
    Cell* out = image_encode(&slot, &image, kFormatPng);
    EXPECT_EQ(out, &slot);
    EXPECT_EQ(type_of(&slot), T_BINARY);
}

TEST_F(Image, JpegUsesTheDefaultQuality) {
    Cell image = sample(), slot = none();
    Cell file = *image_encode(&slot, &image, kFormatJpeg);
    std::vector<uint8_t> direct;
    const uint32_t* p = bitmap_pixels(image_record(&image));
    ASSERT_TRUE(jpeg_encode(p, 3, 2, kJpegDefaultQuality, direct));
    EXPECT_EQ(content(file), direct);
}

TEST_F(Image, EncodeLimits) {
    Cell empty;
    image_init_cell(&empty, 0, 0, 5);
    Cell slot = none();
    expect_error(kCatAccess, err::access::kNoCodec,
                 [&] { image_encode(&slot, &empty, kFormatPng); });

    static std::string printed;
    printed.clear();
    printhooks_add(nullptr, [](const char* text, uint32_t n, int) { printed.append(text, n); });
    Cell image = sample();
    Cell* out = image_encode(&slot, &image, 5);
    EXPECT_EQ(type_of(out), T_NONE);
    EXPECT_EQ(printed, "Cannot find image encoder");
}

TEST_F(Image, DecodeOfUnknownAndDamagedData) {
    Cell gif88 = bytes({'G', 'I', 'F', '8', '8', 'a', 0, 0});
    EXPECT_FALSE(image_known_format(&gif88));
    EXPECT_EQ(type_of(image_decode(&gif88)), T_NONE);
    Cell bm = bytes({'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_TRUE(image_known_format(&bm));
    expect_error(kCatAccess, err::access::kNoCodec, [&] { image_decode(&bm); });
    Cell missing = text("/nonexistent/picture.png");
    cell_set_type(&missing, T_FILE);
    expect_error(kCatAccess, err::access::kCannotOpen, [&] { image_decode(&missing); });
}

Offset g_kept_image;

// Six 1000x1000 images dropped, one kept on the argument stack.
[[gnu::noinline]] void make_images() {
    const uint8_t rgb[] = {1, 2, 3};
    Cell fill;
    tuple_make_at(&fill, rgb, 3);
    for (int i = 0; i < 6; i++) {
        Cell dropped;
        image_init_cell(&dropped, bitmap_create(1000, 1000, nullptr, nullptr, &fill));
    }
    Cell kept;
    image_init_cell(&kept, bitmap_create(1000, 1000, nullptr, nullptr, &fill));
    stack_push(&kept);
    g_kept_image = kept.data2;
}

class ImageMemory : public CollectorFixture {};

// Most of what died must be gone: a word of a sanitizer's larger frames may
// still name one of the dropped records to the conservative scan.
TEST_F(ImageMemory, PixelsGoWithTheLastImageOfTheirRecord) {
    make_images();
    uint32_t os = g_memory.os_bytes;
    collect_clean();
    EXPECT_LE(g_memory.os_bytes, os - 4 * 4000000u) << "the dropped images' pixels went back";
    EXPECT_EQ(bitmap_width(g_kept_image), 1000u);
    EXPECT_EQ(bitmap_get_pixel(g_kept_image, 999999), 0xFF010203u);
    EXPECT_EQ(heap_fault(), "");
}

} // namespace
