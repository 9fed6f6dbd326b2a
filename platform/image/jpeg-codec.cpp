// JPEG through libjpeg-turbo. The library reports a fatal error by calling
// error_exit, which must not return: ours longjmps back into the one C-style
// function that drives the library (no object with a destructor lives in the
// frames it crosses). Its state lives in the caller's record, not in locals of
// that function, so it stays valid after the jump. Warnings are dropped.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "platform/image/image-codecs.h"

namespace xel {

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpeg_fail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
void jpeg_quiet(j_common_ptr, int) {}
void jpeg_no_output(j_common_ptr) {}

void jpeg_setup_errors(JpegError* error) {
    jpeg_std_error(&error->manager);
    error->manager.error_exit = jpeg_fail;
    error->manager.emit_message = jpeg_quiet;
    error->manager.output_message = jpeg_no_output;
}

struct JpegRead {
    jpeg_decompress_struct info;
    JpegError error;
    const uint8_t* data;
    size_t length;
    PixelTarget* target;
    uint32_t* pixels;
    uint32_t width, height;
    bool cmyk;
};

// Adobe CMYK (stored inverted) to straight opaque BGRA, in place.
void cmyk_to_bgra(uint32_t* pixels, size_t count) {
    auto* p = reinterpret_cast<uint8_t*>(pixels);
    for (size_t i = 0; i < count; i++, p += 4) {
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        p[0] = static_cast<uint8_t>(y * k / 255);
        p[1] = static_cast<uint8_t>(m * k / 255);
        p[2] = static_cast<uint8_t>(c * k / 255);
        p[3] = 255;
    }
}

bool jpeg_read_run(JpegRead* r) {
    if (setjmp(r->error.jump)) {
        jpeg_destroy_decompress(&r->info);
        return false;
    }
    jpeg_create_decompress(&r->info);
    jpeg_mem_src(&r->info, r->data, static_cast<unsigned long>(r->length));
    jpeg_read_header(&r->info, TRUE);
    r->cmyk = r->info.jpeg_color_space == JCS_CMYK || r->info.jpeg_color_space == JCS_YCCK;
    r->info.out_color_space = r->cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&r->info);
    uint32_t width = r->width = r->info.output_width;
    uint32_t height = r->height = r->info.output_height;
    if (width == 0 || height == 0 || width > kImageMaxSide || height > kImageMaxSide ||
        r->info.output_components != 4 || !(r->pixels = r->target->pixels(width, height))) {
        jpeg_destroy_decompress(&r->info);
        return false;
    }
    while (r->info.output_scanline < height) {
        JSAMPROW row =
            reinterpret_cast<JSAMPROW>(r->pixels + size_t{r->info.output_scanline} * width);
        if (jpeg_read_scanlines(&r->info, &row, 1) != 1) {
            jpeg_destroy_decompress(&r->info);
            return false;
        }
    }
    jpeg_finish_decompress(&r->info);
    jpeg_destroy_decompress(&r->info);
    return true;
}

struct JpegWrite {
    jpeg_compress_struct info;
    JpegError error;
    const uint32_t* pixels;
    uint32_t width, height;
    int quality;
    unsigned char* memory;
    unsigned long size;
};

bool jpeg_write_run(JpegWrite* w) {
    if (setjmp(w->error.jump)) {
        jpeg_destroy_compress(&w->info);
        return false;
    }
    jpeg_create_compress(&w->info);
    jpeg_mem_dest(&w->info, &w->memory, &w->size);
    w->info.image_width = w->width;
    w->info.image_height = w->height;
    w->info.input_components = 4;
    w->info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&w->info);
    jpeg_set_quality(&w->info, w->quality, TRUE);
    jpeg_start_compress(&w->info, TRUE);
    while (w->info.next_scanline < w->height) {
        auto row = reinterpret_cast<JSAMPROW>(
            const_cast<uint32_t*>(w->pixels + size_t{w->info.next_scanline} * w->width));
        jpeg_write_scanlines(&w->info, &row, 1);
    }
    jpeg_finish_compress(&w->info);
    jpeg_destroy_compress(&w->info);
    return true;
}

} // namespace

bool jpeg_decode(const uint8_t* data, size_t length, PixelTarget& target) {
    if (length == 0) return false;
    JpegRead r{};
    jpeg_setup_errors(&r.error);
    r.info.err = &r.error.manager;
    r.data = data;
    r.length = length;
    r.target = &target;
    if (!jpeg_read_run(&r)) return false;
    if (r.cmyk) cmyk_to_bgra(r.pixels, size_t{r.width} * r.height);
    return true;
}

bool jpeg_encode(const uint32_t* pixels, uint32_t width, uint32_t height, int quality,
                 std::vector<uint8_t>& out) {
    JpegWrite w{};
    jpeg_setup_errors(&w.error);
    w.info.err = &w.error.manager;
    w.pixels = pixels;
    w.width = width;
    w.height = height;
    w.quality = quality;
    bool ok = jpeg_write_run(&w);
    if (ok) out.assign(w.memory, w.memory + w.size);
    std::free(w.memory);
    return ok;
}

} // namespace xel
