// The text form of a binary: #{...} in upper-case hex.
#include <string>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/binary/binary.h"
#include "runtime/datatypes/string/string.h"

namespace xel {

namespace {

constexpr uint32_t kLineFrom = 31; // bytes from which the digits take lines of their own
constexpr uint32_t kBytesPerLine = 32;

void new_line(std::string& text, int level) {
    text += '\n';
    text.append(4 * static_cast<size_t>(level < 0 ? 0 : level), ' ');
}

} // namespace

int binary_mold(Cell* value, Cell* buffer, bool, bool, bool flat, Cell* arg, int part, int indent) {
    static const char kDigits[] = "0123456789ABCDEF";
    Cell bin = *value;
    uint32_t n = binary_xs_length(&bin);
    bool lines = !flat && n >= kLineFrom;
    // The text is built apart and appended once: appending allocates, and an
    // allocation may move the binary's buffer under the byte pointer.
    std::string text = "#{";
    if (lines) new_line(text, indent + 1);
    int64_t budget = int64_t{part} - static_cast<int64_t>(text.size());
    const uint8_t* bytes = binary_xs_head(&bin);
    for (uint32_t i = 0; i < n; i++) {
        if (arg && budget < 1) break;
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
        budget -= 2;
        // After the last full line the break comes back to the value's level.
        if (lines && (i + 1) % kBytesPerLine == 0) new_line(text, i + 1 == n ? indent : indent + 1);
    }
    if (lines && n % kBytesPerLine) new_line(text, indent);
    text += '}';
    string_append_bytes(buffer, reinterpret_cast<const uint8_t*>(text.data()),
                        static_cast<uint32_t>(text.size()));
    return static_cast<int>(int64_t{part} - static_cast<int64_t>(text.size()));
}

int binary_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return binary_mold(value, buffer, false, false, false, arg, part, 0);
}

} // namespace xel
