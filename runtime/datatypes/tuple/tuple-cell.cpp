#include "runtime/datatypes/tuple/tuple-cell.h"

#include <cstring>

#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

void tuple_make_at(Cell* c, const uint8_t* bytes, uint32_t count) {
    if (count > kTupleMaxBytes) count = kTupleMaxBytes;
    uint8_t data[kTupleMaxBytes] = {};
    std::memcpy(data, bytes, count);
    uint32_t stored = count < kTupleMinBytes ? kTupleMinBytes : count;
    c->header = T_TUPLE | stored << kTupleCountShift;
    std::memcpy(&c->data1, data, sizeof data);
}

void tuple_make_from_binary(Cell* c, const Cell* binary) {
    uint32_t index = series_clamped_index(binary);
    uint32_t length = series_buffer_length(binary) - index;
    if (length > kTupleMaxBytes) length = kTupleMaxBytes;
    uint8_t bytes[kTupleMaxBytes];
    std::memcpy(bytes, at(series_buffer(binary)->head) + index, length);
    tuple_make_at(c, bytes, length);
}

void tuple_make_from_issue(Cell* c, const Cell* issue) {
    uint32_t length = 0;
    const char* name = symbol_name(word_symbol(issue), &length);
    int digits[8];
    bool ok = length == 3 || length == 6 || length == 8;
    for (uint32_t i = 0; ok && i < length; i++) {
        digits[i] = hex_digit(name[i]);
        ok = digits[i] >= 0;
    }
    if (!ok) {
        Cell copy = *issue;
        error_fire(kCatScript, err::script::kInvalidData, &copy);
    }
    uint8_t bytes[4];
    uint32_t count = length == 3 ? 3 : length / 2;
    for (uint32_t i = 0; i < count; i++)
        bytes[i] = static_cast<uint8_t>(length == 3 ? digits[i] * 17
                                                    : digits[2 * i] * 16 + digits[2 * i + 1]);
    tuple_make_at(c, bytes, count);
}

} // namespace xel
