// Decodes and encodes a 4000x3000 PNG and JPEG through image! (binary! in,
// image! out and back) beside a C baseline that makes the same library calls
// straight into malloc'd memory; prints the median of several runs and the
// ratio. The picture is made here: smooth gradients with a little noise, as
// a photograph has.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "platform/image/image-codecs.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kWidth = 4000, kHeight = 3000;
constexpr int kRuns = 5;

std::vector<uint32_t> picture() {
    std::vector<uint32_t> px(size_t{kWidth} * kHeight);
    uint32_t noise = 1;
    for (uint32_t y = 0; y < kHeight; y++)
        for (uint32_t x = 0; x < kWidth; x++) {
            noise = noise * 1664525u + 1013904223u;
            uint32_t n = noise >> 29;
            uint32_t r = (x * 255 / kWidth + n) & 255, g = (y * 255 / kHeight + n) & 255,
                     b = ((x + y) * 127 / kWidth + n) & 255;
            px[size_t{y} * kWidth + x] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    return px;
}

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Medians of both sides, timed in interleaved pairs so a change of the
// machine's load falls on both alike.
template <class X, class C> std::pair<double, double> medians(X&& xel, C&& c) {
    std::vector<double> a, b;
    for (int i = 0; i < kRuns; i++) {
        auto t0 = Clock::now();
        xel();
        a.push_back(ms_since(t0));
        t0 = Clock::now();
        c();
        b.push_back(ms_since(t0));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[kRuns / 2], b[kRuns / 2]};
}

// The baseline: the library calls alone, into and out of plain memory.
void c_png_decode(const std::vector<uint8_t>& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, file.data(), file.size());
    image.format = PNG_FORMAT_BGRA;
    auto* buffer = static_cast<uint8_t*>(std::malloc(PNG_IMAGE_SIZE(image)));
    png_image_finish_read(&image, nullptr, buffer, 0, nullptr);
    std::free(buffer);
}

void c_png_encode(const std::vector<uint32_t>& px) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    auto* out = static_cast<uint8_t*>(std::malloc(size));
    png_image_write_to_memory(&image, out, &size, 0, px.data(), 0, nullptr);
    std::free(out);
}

void c_jpeg_decode(const std::vector<uint8_t>& file) {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    auto* buffer = static_cast<uint8_t*>(std::malloc(size_t{kWidth} * kHeight * 4));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = buffer + size_t{info.output_scanline} * kWidth * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::free(buffer);
}

void c_jpeg_encode(const std::vector<uint32_t>& px) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kJpegDefaultQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < kHeight) {
        auto row = reinterpret_cast<JSAMPROW>(
            const_cast<uint32_t*>(px.data() + size_t{info.next_scanline} * kWidth));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::free(out);
}

void report(const char* what, double xel_ms, double c_ms) {
    std::printf("%-12s xel %8.1f ms   C %8.1f ms   ratio %.3f\n", what, xel_ms, c_ms,
                xel_ms / c_ms);
}

} // namespace

int main() {
    runtime_init();
    stack_push_cell();
    std::vector<uint32_t> px = picture();
    Cell image;
    image_init_cell(&image, bitmap_from_memory(kWidth, kHeight, 0,
                                               reinterpret_cast<const uint8_t*>(px.data())));
    Cell* base = stack_push(&image);

    struct Format {
        const char* name;
        int number;
        void (*c_decode)(const std::vector<uint8_t>&);
        void (*c_encode)(const std::vector<uint32_t>&);
    };
    const Format formats[] = {{"png", kFormatPng, c_png_decode, c_png_encode},
                              {"jpeg", kFormatJpeg, c_jpeg_decode, c_jpeg_encode}};
    for (const Format& f : formats) {
        Cell slot = g_none_cell;
        Cell file = *image_encode(&slot, base, f.number);
        const uint8_t* p = binary_xs_head(&file);
        std::vector<uint8_t> bytes(p, p + binary_xs_length(&file));
        std::printf("%s file: %zu bytes\n", f.name, bytes.size());
        Cell* keep = stack_push(&file);
        auto [xel_decode, c_decode] = medians(
            [&] {
                Cell* top = g_stack_top;
                image_decode(keep);
                g_stack_top = top;
            },
            [&] { f.c_decode(bytes); });
        auto [xel_encode, c_encode] = medians(
            [&] {
                Cell s = g_none_cell;
                Cell* top = g_stack_top;
                image_encode(&s, base, f.number);
                g_stack_top = top;
            },
            [&] { f.c_encode(px); });
        std::string d = std::string(f.name) + " decode", e = std::string(f.name) + " encode";
        report(d.c_str(), xel_decode, c_decode);
        report(e.c_str(), xel_encode, c_encode);
    }
}
