// The word encoding: 32-bit records.
#include "boot/xelbin/xelbin-reader.h"
#include "boot/xelbin/xelbin-writer.h"

namespace xel {

std::vector<uint8_t> xelbin_write_words(const Cell* value) {
    xelbin_no_codec(value);
}

void xelbin_read_words(XelbinReader& r) {
    r.invalid(r.pos);
}

} // namespace xel
