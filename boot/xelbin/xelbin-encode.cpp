// xelbin_encode: one value to a XELBIN binary in either encoding.
#include "boot/xelbin/xelbin-writer.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/datatypes/binary/binary-cell.h"

namespace xel {

void xelbin_encode(const Cell* value, bool compact, Cell* out) {
    g_xelbin_codec = true;
    std::vector<uint8_t> bytes;
    try {
        if (compact) {
            CompactWriter writer(false);
            writer.value(value);
            bytes = writer.finish(1);
        } else {
            bytes = xelbin_write_words(value);
        }
    } catch (...) {
        g_xelbin_codec = false;
        throw;
    }
    g_xelbin_codec = false;
    binary_make_at(out, static_cast<uint32_t>(bytes.size()));
    binary_xs_append(out, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

} // namespace xel
