// A read-only window on a string's units, for the comparisons and searches.
// The address is taken once: make views only after the last allocation that
// precedes the reads.
#pragma once
#include <cstdint>

#include "runtime/datatypes/string/string.h"
#include "runtime/text/casefold.h"

namespace xel {

struct StringView {
    const uint8_t* data; // the first unit of the window
    uint32_t unit;
    uint32_t count;

    uint32_t operator[](uint32_t i) const { return string_get_char(data + i * unit, unit); }
};

// The units of a series cell (string family or binary!) from its position,
// clamped to the tail, to the tail.
inline StringView string_view_of(const Cell* str) {
    const SeriesBuf* buf = buffer_of(str->data2);
    uint32_t unit = buf->unit();
    uint32_t total = buf->used() / unit;
    uint32_t from = str->data1 < total ? str->data1 : total;
    return StringView{at(buf->head + from * unit), unit, total - from};
}

inline uint32_t fold_upper(uint32_t cp) {
    return static_cast<uint32_t>(casefold_convert_char(static_cast<int32_t>(cp), kFoldUpper));
}

// Membership of a code point in a bitset!: bit n is byte n >> 3 under mask
// 0x80 >> (n & 7); beyond the stored bytes the buffer's negated flag decides.
constexpr uint32_t kBitsetNegated = 0x80000;
inline bool bitset_has_code(const Cell* bitset, uint32_t cp) {
    const SeriesBuf* bits = buffer_of(bitset->data2);
    if (cp >= uint64_t{bits->used()} * 8) return (bits->flags & kBitsetNegated) != 0;
    return (*at(bits->head + (cp >> 3)) & (0x80u >> (cp & 7))) != 0;
}

} // namespace xel
