// BMP, our own: the core, info and version 2 to 5 headers; 1, 4 and 8-bit
// palettes (plain or run-length encoded), 16, 24 and 32-bit pixels, bit-field
// masks and rows stored bottom-up or top-down. Every read is checked against
// the data's length. We write 32-bit pixels with a version 5 header whose
// masks keep alpha.
#include <bit>
#include <cstring>

#include "platform/image/image-codecs.h"

namespace xel {

namespace {

constexpr uint32_t kFileHeader = 14;
constexpr uint32_t kV5Header = 124;
enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

uint32_t le16(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8;
}
uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// One channel of a bit-field mask, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0, shift = 0, max = 0;
    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m) return;
        shift = static_cast<uint32_t>(std::countr_zero(m));
        max = m >> shift;
    }
    uint32_t get(uint32_t v, uint32_t missing) const {
        if (!mask) return missing;
        uint64_t c = (v & mask) >> shift;
        return static_cast<uint32_t>((c * 255 + max / 2) / max);
    }
};

struct Header {
    uint32_t header_size = 0;
    int64_t width = 0, height = 0;
    uint32_t bits = 0, compression = 0, colors_used = 0;
    uint32_t masks[4] = {};
    bool has_alpha_mask = false;
};

bool read_header(const uint8_t* data, size_t length, Header& h) {
    if (length < kFileHeader + 4) return false;
    const uint8_t* d = data + kFileHeader;
    h.header_size = le32(d);
    if (h.header_size == 12) {
        if (length < kFileHeader + 12) return false;
        h.width = le16(d + 4);
        h.height = static_cast<int16_t>(le16(d + 6));
        h.bits = le16(d + 10);
        return true;
    }
    if (h.header_size < 40 || length < uint64_t{kFileHeader} + h.header_size) return false;
    h.width = static_cast<int32_t>(le32(d + 4));
    h.height = static_cast<int32_t>(le32(d + 8));
    h.bits = le16(d + 14);
    h.compression = le32(d + 16);
    h.colors_used = le32(d + 32);
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
        // An info header keeps the masks after it; later headers inside.
        uint32_t count = h.compression == kAlphaBitFields || h.header_size >= 56 ? 4 : 3;
        size_t at = kFileHeader + 40;
        if (length < at + 4 * count) return false;
        for (uint32_t i = 0; i < count; i++)
            h.masks[i] = le32(data + at + 4 * i);
        h.has_alpha_mask = count == 4 && h.masks[3] != 0;
    }
    return true;
}

struct Palette {
    uint32_t colors[256];
    uint32_t count = 0;
    uint32_t at(uint32_t i) const { return i < count ? colors[i] : 0xFF000000u; }
};

bool read_palette(const uint8_t* data, size_t length, const Header& h, Palette& p) {
    uint32_t entry = h.header_size == 12 ? 3 : 4;
    size_t start = size_t{kFileHeader} + h.header_size;
    if (h.header_size == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields))
        start += h.compression == kAlphaBitFields ? 16 : 12;
    uint32_t want = h.colors_used && h.colors_used < (1u << h.bits) ? h.colors_used : 1u << h.bits;
    for (uint32_t i = 0; i < want && i < 256; i++) {
        size_t at = start + size_t{i} * entry;
        if (at + 3 > length) break;
        p.colors[i] =
            0xFF000000u | uint32_t{data[at + 2]} << 16 | uint32_t{data[at + 1]} << 8 | data[at];
        p.count = i + 1;
    }
    return p.count > 0;
}

// Run-length encoded rows; pixels not drawn stay opaque black.
bool decode_rle(const uint8_t* p, const uint8_t* end, const Header& h, const Palette& palette,
                uint32_t width, uint32_t height, bool top_down, uint32_t* pixels) {
    bool four = h.compression == kRle4;
    uint32_t x = 0, y = 0;
    auto put = [&](uint32_t index) {
        if (x < width && y < height)
            pixels[size_t{top_down ? y : height - 1 - y} * width + x] = palette.at(index);
        x++;
    };
    while (p + 2 <= end && y < height) {
        uint32_t count = p[0], value = p[1];
        p += 2;
        if (count) {
            for (uint32_t i = 0; i < count; i++)
                put(four ? (i & 1 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            y++;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (p + 2 > end) return false;
            x += p[0];
            y += p[1];
            p += 2;
        } else {
            uint32_t bytes = four ? (value + 1) / 2 : value;
            if (static_cast<size_t>(end - p) < bytes) return false;
            for (uint32_t i = 0; i < value; i++)
                put(four ? (i & 1 ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            size_t padded = (bytes + 1) & ~1u;
            p += padded < static_cast<size_t>(end - p) ? padded : static_cast<size_t>(end - p);
        }
    }
    return true;
}

} // namespace

bool bmp_decode(const uint8_t* data, size_t length, PixelTarget& target) {
    Header h;
    if (!read_header(data, length, h)) return false;
    if (h.width <= 0 || h.height == 0 || h.width > kImageMaxSide || h.height > kImageMaxSide ||
        h.height < -int64_t{kImageMaxSide})
        return false;
    bool top_down = h.height < 0;
    auto width = static_cast<uint32_t>(h.width);
    auto height = static_cast<uint32_t>(top_down ? -h.height : h.height);
    uint32_t offset = le32(data + 10);
    if (offset >= length) return false;
    const uint8_t* bits = data + offset;
    const uint8_t* end = data + length;

    Palette palette;
    bool rle = h.compression == kRle8 || h.compression == kRle4;
    bool indexed = h.bits == 1 || h.bits == 4 || h.bits == 8;
    if (rle &&
        !((h.compression == kRle8 && h.bits == 8) || (h.compression == kRle4 && h.bits == 4)))
        return false;
    if (!rle && h.compression != kRgb && h.compression != kBitFields &&
        h.compression != kAlphaBitFields)
        return false;
    if (indexed && !read_palette(data, length, h, palette)) return false;
    if (!indexed && h.bits != 16 && h.bits != 24 && h.bits != 32) return false;
    if (!rle && (h.compression == kBitFields || h.compression == kAlphaBitFields) && h.bits != 16 &&
        h.bits != 32)
        return false;

    uint64_t stride = (uint64_t{width} * h.bits + 31) / 32 * 4;
    if (!rle && stride * height > static_cast<uint64_t>(end - bits)) return false;
    uint32_t* pixels = target.pixels(width, height);
    if (!pixels) return false;
    if (rle) {
        for (size_t i = 0; i < size_t{width} * height; i++)
            pixels[i] = 0xFF000000u;
        return decode_rle(bits, end, h, palette, width, height, top_down, pixels);
    }

    bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
    Channel red, green, blue, alpha;
    if (h.bits == 16) {
        red = Channel(fields ? h.masks[0] : 0x7C00);
        green = Channel(fields ? h.masks[1] : 0x03E0);
        blue = Channel(fields ? h.masks[2] : 0x001F);
    } else if (h.bits == 32 && fields) {
        red = Channel(h.masks[0]);
        green = Channel(h.masks[1]);
        blue = Channel(h.masks[2]);
    }
    if (fields && h.has_alpha_mask) alpha = Channel(h.masks[3]);

    for (uint32_t row = 0; row < height; row++) {
        const uint8_t* p = bits + stride * row;
        uint32_t* out = pixels + size_t{top_down ? row : height - 1 - row} * width;
        for (uint32_t x = 0; x < width; x++) {
            uint32_t v;
            switch (h.bits) {
            case 1:
                out[x] = palette.at((p[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                out[x] = palette.at(x & 1 ? p[x / 2] & 15 : p[x / 2] >> 4);
                break;
            case 8:
                out[x] = palette.at(p[x]);
                break;
            case 24:
                out[x] = 0xFF000000u | uint32_t{p[3 * x + 2]} << 16 | uint32_t{p[3 * x + 1]} << 8 |
                         p[3 * x];
                break;
            case 16:
                v = le16(p + 2 * x);
                out[x] = alpha.get(v, 255) << 24 | red.get(v, 0) << 16 | green.get(v, 0) << 8 |
                         blue.get(v, 0);
                break;
            default:
                v = le32(p + 4 * x);
                out[x] = fields ? alpha.get(v, 255) << 24 | red.get(v, 0) << 16 |
                                      green.get(v, 0) << 8 | blue.get(v, 0)
                                : 0xFF000000u | (v & 0xFFFFFF);
                break;
            }
        }
    }
    return true;
}

bool bmp_encode(const uint32_t* pixels, uint32_t width, uint32_t height,
                std::vector<uint8_t>& out) {
    uint64_t image = uint64_t{width} * height * 4;
    uint64_t total = kFileHeader + kV5Header + image;
    if (total > UINT32_MAX) return false;
    out.assign(static_cast<size_t>(total), 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<uint32_t>(total));
    put32(out, 10, kFileHeader + kV5Header);
    size_t h = kFileHeader;
    put32(out, h, kV5Header);
    put32(out, h + 4, width);
    put32(out, h + 8, height); // bottom-up rows
    put16(out, h + 12, 1);
    put16(out, h + 14, 32);
    put32(out, h + 16, kBitFields);
    put32(out, h + 20, static_cast<uint32_t>(image));
    put32(out, h + 24, 2835); // 72 dots an inch
    put32(out, h + 28, 2835);
    put32(out, h + 40, 0x00FF0000);
    put32(out, h + 44, 0x0000FF00);
    put32(out, h + 48, 0x000000FF);
    put32(out, h + 52, 0xFF000000);
    put32(out, h + 56, 0x73524742); // sRGB
    put32(out, h + 108, 4);         // picture intent
    uint8_t* dst = out.data() + kFileHeader + kV5Header;
    for (uint32_t y = 0; y < height; y++)
        std::memcpy(dst + size_t{y} * width * 4, pixels + size_t{height - 1 - y} * width,
                    size_t{width} * 4);
    return true;
}

} // namespace xel
