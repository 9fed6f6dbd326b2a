// GIF through giflib, which reports errors by its results. Decoding reads the
// records up to the first image and gives that frame at its own size, a line
// at a time; encoding writes one frame of up to 256 colours.
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>

#include <gif_lib.h>

#include "platform/image/image-codecs.h"

namespace xel {

namespace {

struct GifInput {
    const uint8_t* data;
    size_t length;
    size_t position;
};

int gif_read(GifFileType* gif, GifByteType* bytes, int n) {
    auto* in = static_cast<GifInput*>(gif->UserData);
    size_t left = in->length - in->position;
    size_t count = n < 0 ? 0 : static_cast<size_t>(n) < left ? static_cast<size_t>(n) : left;
    if (count) std::memcpy(bytes, in->data + in->position, count);
    in->position += count;
    return static_cast<int>(count);
}

int gif_write(GifFileType* gif, const GifByteType* bytes, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    try {
        out->insert(out->end(), bytes, bytes + n);
    } catch (...) {
        return 0;
    }
    return n;
}

struct GifReader {
    GifFileType* gif = nullptr;
    ~GifReader() {
        int error;
        if (gif) DGifCloseFile(gif, &error);
    }
};

struct GifWriter {
    GifFileType* gif = nullptr;
    ~GifWriter() {
        int error;
        if (gif) EGifCloseFile(gif, &error);
    }
};

struct MapObject {
    ColorMapObject* map = nullptr;
    ~MapObject() { GifFreeMapObject(map); }
};

// The transparent colour index of a graphic control extension, or -1.
int transparent_index(const GifByteType* ext, int length) {
    GraphicsControlBlock gcb;
    if (length < 4 || DGifExtensionToGCB(static_cast<size_t>(length), ext, &gcb) != GIF_OK)
        return -1;
    return gcb.TransparentColor;
}

} // namespace

bool gif_decode(const uint8_t* data, size_t length, PixelTarget& target) {
    GifInput in{data, length, 0};
    GifReader reader;
    int error = 0;
    reader.gif = DGifOpen(&in, gif_read, &error);
    GifFileType* gif = reader.gif;
    if (!gif) return false;
    int transparent = -1;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) != GIF_OK) return false;
        if (record == TERMINATE_RECORD_TYPE) return false;
        if (record == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) != GIF_OK) return false;
            if (code == GRAPHICS_EXT_FUNC_CODE && ext)
                transparent = transparent_index(ext + 1, ext[0]);
            while (ext)
                if (DGifGetExtensionNext(gif, &ext) != GIF_OK) return false;
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE) break;
    }
    if (DGifGetImageDesc(gif) != GIF_OK) return false;
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || desc.Width <= 0 || desc.Height <= 0 ||
        static_cast<uint32_t>(desc.Width) > kImageMaxSide ||
        static_cast<uint32_t>(desc.Height) > kImageMaxSide)
        return false;
    auto width = static_cast<uint32_t>(desc.Width), height = static_cast<uint32_t>(desc.Height);
    uint32_t palette[256];
    for (int i = 0; i < 256; i++) {
        if (i < map->ColorCount) {
            const GifColorType& c = map->Colors[i];
            palette[i] = 0xFF000000u | uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
        } else {
            palette[i] = 0xFF000000u;
        }
    }
    if (transparent >= 0 && transparent < 256) palette[transparent] &= 0x00FFFFFFu;
    std::unique_ptr<GifPixelType[]> line(new (std::nothrow) GifPixelType[width]);
    if (!line) return false;
    uint32_t* pixels = target.pixels(width, height);
    if (!pixels) return false;
    auto put_row = [&](uint32_t y) {
        if (DGifGetLine(gif, line.get(), desc.Width) != GIF_OK) return false;
        uint32_t* row = pixels + size_t{y} * width;
        for (uint32_t x = 0; x < width; x++)
            row[x] = palette[line[x]];
        return true;
    };
    if (desc.Interlace) {
        static const uint32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; pass++)
            for (uint32_t y = kStart[pass]; y < height; y += kStep[pass])
                if (!put_row(y)) return false;
    } else {
        for (uint32_t y = 0; y < height; y++)
            if (!put_row(y)) return false;
    }
    return true;
}

bool gif_encode(const uint32_t* pixels, uint32_t width, uint32_t height,
                std::vector<uint8_t>& out) {
    size_t count = size_t{width} * height;
    bool any_transparent = false;
    for (size_t i = 0; i < count && !any_transparent; i++)
        any_transparent = (pixels[i] >> 24) < 128;
    int room = any_transparent ? 255 : 256;

    std::vector<GifPixelType> indexes(count);
    GifColorType colors[256] = {};
    int used = 0;
    // Exact colours while they fit; the median cut of giflib otherwise.
    std::unordered_map<uint32_t, int> seen;
    bool exact = true;
    for (size_t i = 0; i < count; i++) {
        uint32_t p = pixels[i];
        if ((p >> 24) < 128) continue;
        uint32_t rgb = p & 0xFFFFFF;
        auto found = seen.find(rgb);
        if (found != seen.end()) {
            indexes[i] = static_cast<GifPixelType>(found->second);
            continue;
        }
        if (used == room) {
            exact = false;
            break;
        }
        seen.emplace(rgb, used);
        colors[used] = {static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                        static_cast<GifByteType>(rgb)};
        indexes[i] = static_cast<GifPixelType>(used++);
    }
    if (!exact) {
        std::vector<GifByteType> red(count), green(count), blue(count);
        for (size_t i = 0; i < count; i++) {
            red[i] = static_cast<GifByteType>(pixels[i] >> 16);
            green[i] = static_cast<GifByteType>(pixels[i] >> 8);
            blue[i] = static_cast<GifByteType>(pixels[i]);
        }
        used = room;
        if (GifQuantizeBuffer(width, height, &used, red.data(), green.data(), blue.data(),
                              indexes.data(), colors) != GIF_OK)
            return false;
    }
    int transparent = -1;
    if (any_transparent) {
        transparent = used++;
        for (size_t i = 0; i < count; i++)
            if ((pixels[i] >> 24) < 128) indexes[i] = static_cast<GifPixelType>(transparent);
    }
    int bits = GifBitSize(used < 2 ? 2 : used);
    MapObject map;
    map.map = GifMakeMapObject(1 << bits, colors);
    if (!map.map) return false;

    out.clear();
    GifWriter writer;
    int error = 0;
    writer.gif = EGifOpen(&out, gif_write, &error);
    GifFileType* gif = writer.gif;
    if (!gif) return false;
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, static_cast<int>(width), static_cast<int>(height), bits, 0,
                          map.map) != GIF_OK)
        return false;
    if (transparent >= 0) {
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, transparent};
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_OK) return false;
    }
    if (EGifPutImageDesc(gif, 0, 0, static_cast<int>(width), static_cast<int>(height), false,
                         nullptr) != GIF_OK)
        return false;
    for (uint32_t y = 0; y < height; y++)
        if (EGifPutLine(gif, indexes.data() + size_t{y} * width, static_cast<int>(width)) != GIF_OK)
            return false;
    int status = EGifCloseFile(gif, &error);
    writer.gif = nullptr;
    return status == GIF_OK;
}

} // namespace xel
