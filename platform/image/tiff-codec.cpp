// TIFF through libtiff over memory streams. libtiff reports errors through
// handlers that return (ours are silenced) and through its results. Plain
// 8-bit RGB and RGBA strips are read as they lie, so our own files come back
// exactly; every other layout goes through libtiff's RGBA reader.
#include <cstring>
#include <memory>
#include <new>

#include <tiffio.h>

#include "platform/image/image-codecs.h"

namespace xel {

namespace {

struct TiffStream {
    const uint8_t* data;
    size_t length;
    size_t position;
    std::vector<uint8_t>* out; // null when reading
};

tsize_t tiff_read(thandle_t handle, tdata_t bytes, tsize_t n) {
    auto* s = static_cast<TiffStream*>(handle);
    const uint8_t* data = s->out ? s->out->data() : s->data;
    size_t length = s->out ? s->out->size() : s->length;
    if (n <= 0 || s->position >= length) return 0;
    size_t count = static_cast<size_t>(n) < length - s->position ? static_cast<size_t>(n)
                                                                 : length - s->position;
    std::memcpy(bytes, data + s->position, count);
    s->position += count;
    return static_cast<tsize_t>(count);
}

tsize_t tiff_write(thandle_t handle, tdata_t bytes, tsize_t n) {
    auto* s = static_cast<TiffStream*>(handle);
    if (!s->out || n < 0) return -1;
    try {
        size_t end = s->position + static_cast<size_t>(n);
        if (end > s->out->size()) s->out->resize(end);
        std::memcpy(s->out->data() + s->position, bytes, static_cast<size_t>(n));
        s->position = end;
    } catch (...) {
        return -1;
    }
    return n;
}

toff_t tiff_seek(thandle_t handle, toff_t offset, int whence) {
    auto* s = static_cast<TiffStream*>(handle);
    size_t length = s->out ? s->out->size() : s->length;
    uint64_t base = whence == SEEK_CUR ? s->position : whence == SEEK_END ? length : 0;
    uint64_t to = base + offset;
    // Reads stay inside the data; writes may seek past the end (a gap is zeros).
    if (to < base || (!s->out && to > length) || to > (uint64_t{1} << 40))
        return static_cast<toff_t>(-1);
    s->position = static_cast<size_t>(to);
    return to;
}

int tiff_close(thandle_t) {
    return 0;
}

toff_t tiff_size(thandle_t handle) {
    auto* s = static_cast<TiffStream*>(handle);
    return s->out ? s->out->size() : s->length;
}

int tiff_map(thandle_t, tdata_t*, toff_t*) {
    return 0;
}

void tiff_unmap(thandle_t, tdata_t, toff_t) {}

TIFF* tiff_open(TiffStream* stream, const char* mode) {
    // The default handlers print to standard error.
    static const bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)quiet;
    return TIFFClientOpen("memory", mode, stream, tiff_read, tiff_write, tiff_seek, tiff_close,
                          tiff_size, tiff_map, tiff_unmap);
}

struct TiffFile {
    TIFF* tiff = nullptr;
    ~TiffFile() {
        if (tiff) TIFFClose(tiff);
    }
};

// Strips of 8-bit RGB or RGB with unassociated alpha, read row by row.
bool read_plain_rows(TIFF* tiff, uint32_t width, uint32_t height, uint32_t* pixels) {
    uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, extra_count = 0;
    uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extra_count, &extra);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
    bool rgb = samples == 3 && extra_count == 0;
    bool rgba = samples == 4 && extra_count == 1 && extra[0] == EXTRASAMPLE_UNASSALPHA;
    if (TIFFIsTiled(tiff) || bits != 8 || photometric != PHOTOMETRIC_RGB ||
        planar != PLANARCONFIG_CONTIG || !(rgb || rgba))
        return false;
    tmsize_t line = TIFFScanlineSize(tiff);
    if (line < static_cast<tmsize_t>(size_t{width} * samples)) return false;
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[static_cast<size_t>(line)]);
    if (!row) return false;
    for (uint32_t y = 0; y < height; y++) {
        if (TIFFReadScanline(tiff, row.get(), y, 0) != 1) return false;
        const uint8_t* p = row.get();
        uint32_t* out = pixels + size_t{y} * width;
        for (uint32_t x = 0; x < width; x++, p += samples)
            out[x] = uint32_t{rgba ? p[3] : 255u} << 24 | uint32_t{p[0]} << 16 |
                     uint32_t{p[1]} << 8 | p[2];
    }
    return true;
}

// libtiff's RGBA reader gives R in the low byte and premultiplied colour when
// the image has alpha; our words are BGRA with straight alpha.
void rgba_to_bgra(uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; i++) {
        uint32_t p = pixels[i];
        uint32_t a = p >> 24, r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
        if (a != 0 && a != 255) {
            r = (r * 255 + a / 2) / a;
            g = (g * 255 + a / 2) / a;
            b = (b * 255 + a / 2) / a;
            r = r > 255 ? 255 : r;
            g = g > 255 ? 255 : g;
            b = b > 255 ? 255 : b;
        }
        pixels[i] = a << 24 | r << 16 | g << 8 | b;
    }
}

} // namespace

bool tiff_decode(const uint8_t* data, size_t length, PixelTarget& target) {
    TiffStream stream{data, length, 0, nullptr};
    TiffFile file;
    file.tiff = tiff_open(&stream, "rm");
    TIFF* tiff = file.tiff;
    if (!tiff) return false;
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 ||
        width > kImageMaxSide || height > kImageMaxSide)
        return false;
    char message[1024];
    if (!TIFFRGBAImageOK(tiff, message)) return false;
    uint32_t* pixels = target.pixels(width, height);
    if (!pixels) return false;
    if (read_plain_rows(tiff, width, height, pixels)) return true;
    if (!TIFFReadRGBAImageOriented(tiff, width, height, pixels, ORIENTATION_TOPLEFT, 0))
        return false;
    rgba_to_bgra(pixels, size_t{width} * height);
    return true;
}

bool tiff_encode(const uint32_t* pixels, uint32_t width, uint32_t height,
                 std::vector<uint8_t>& out) {
    out.clear();
    TiffStream stream{nullptr, 0, 0, &out};
    TiffFile file;
    file.tiff = tiff_open(&stream, "w");
    TIFF* tiff = file.tiff;
    if (!tiff) return false;
    uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    std::vector<uint8_t> row(size_t{width} * 4);
    for (uint32_t y = 0; y < height; y++) {
        const uint32_t* in = pixels + size_t{y} * width;
        for (uint32_t x = 0; x < width; x++) {
            uint32_t p = in[x];
            row[4 * x] = static_cast<uint8_t>(p >> 16);
            row[4 * x + 1] = static_cast<uint8_t>(p >> 8);
            row[4 * x + 2] = static_cast<uint8_t>(p);
            row[4 * x + 3] = static_cast<uint8_t>(p >> 24);
        }
        if (TIFFWriteScanline(tiff, row.data(), y, 0) != 1) return false;
    }
    if (!TIFFFlush(tiff)) return false;
    TIFFClose(tiff);
    file.tiff = nullptr;
    return true;
}

} // namespace xel
