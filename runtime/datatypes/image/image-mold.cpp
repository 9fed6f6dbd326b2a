// The text form of an image: make image! [WxH #{RRGGBB...} #{alpha...}], the
// alpha bytes only when some pixel is not opaque.
#include <string>

#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/string/string.h"

namespace xel {

namespace {

constexpr uint32_t kPixelsPerLine = 10;
constexpr uint32_t kLineFromBytes = 31; // 4 bytes a pixel

void new_line(std::string& text, int level) {
    text += '\n';
    text.append(4 * static_cast<size_t>(level < 0 ? 0 : level), ' ');
}

void hex(std::string& text, uint32_t byte) {
    static const char kDigits[] = "0123456789ABCDEF";
    text += kDigits[(byte >> 4) & 15];
    text += kDigits[byte & 15];
}

} // namespace

int image_mold(Cell* value, Cell* buffer, bool only, bool, bool flat, Cell* arg, int part,
               int indent) {
    Cell image = *value;
    std::string text;
    if (!only) text = "make image! [";
    text += std::to_string(image_width(&image)) + "x" + std::to_string(image_height(&image));
    int64_t limit = part;
    auto over = [&] { return arg && limit - static_cast<int64_t>(text.size()) < 1; };
    if (!image_record(&image)) {
        text += " #{}]";
    } else {
        int64_t head = image_head(&image);
        int64_t total = image_pixel_count(&image);
        uint32_t count = head < 0        ? static_cast<uint32_t>(total)
                         : head >= total ? 0
                                         : static_cast<uint32_t>(total - head);
        const uint32_t* pixels = bitmap_pixels(image_record(&image)) + (total - count);
        bool lines = !flat && uint64_t{count} * 4 >= kLineFromBytes;
        bool stopped = false;
        text += " #{";
        if (lines) new_line(text, indent + 1);
        bool transparent = false;
        for (uint32_t i = 0; i < count && !stopped; i++) {
            uint32_t p = pixels[i];
            transparent |= (p >> 24) != 255;
            hex(text, p >> 16);
            hex(text, p >> 8);
            hex(text, p);
            // After the last full line the break comes back to the value's level.
            if (!flat && (i + 1) % kPixelsPerLine == 0)
                new_line(text, i + 1 == count ? indent : indent + 1);
            stopped = over();
        }
        if (!stopped) {
            if (lines && count % kPixelsPerLine) new_line(text, indent);
            text += '}';
            for (uint32_t i = 0; i < count && !transparent; i++)
                transparent = (pixels[i] >> 24) != 255;
            if (transparent) {
                text += " #{";
                if (!flat) new_line(text, indent + 1);
                for (uint32_t i = 0; i < count; i++) {
                    hex(text, 255 - (pixels[i] >> 24));
                    if (!flat && (i + 1) % kPixelsPerLine == 0 && i + 1 < count)
                        new_line(text, indent + 1);
                }
                if (!flat) new_line(text, indent);
                text += '}';
            }
            if (!only) text += ']';
        }
    }
    string_append_bytes(buffer, reinterpret_cast<const uint8_t*>(text.data()),
                        static_cast<uint32_t>(text.size()));
    return static_cast<int>(limit - static_cast<int64_t>(text.size()));
}

int image_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return image_mold(value, buffer, false, false, false, arg, part, 0);
}

} // namespace xel
