// The state of one decode, shared by the compact and the word readers: the
// bytes with their bounds, the symbol table, the target block and the value
// makers both encodings reach.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/cell.h"

namespace xel {

struct XelbinReader {
    const uint8_t* start = nullptr; // error offsets count from here
    const uint8_t* pos = nullptr;
    const uint8_t* end = nullptr;
    int mode = 0;
    uint8_t flags = 0;
    Cell target{};
    uint32_t base_count = 0; // cells of the target before this decode
    const uint8_t* symbol_offsets = nullptr;
    uint32_t symbol_count = 0;
    const uint8_t* names = nullptr;
    uint32_t names_size = 0;
    std::vector<uint32_t> symbol_ids; // interned on first use; 0 = not yet
    int depth = 0;

    // Script error xelbin-invalid-record at the byte's offset + 1.
    [[noreturn]] void invalid(const uint8_t* at) const;
    size_t left() const { return static_cast<size_t>(end - pos); }
    // n bytes, or invalid when fewer remain.
    const uint8_t* take(size_t n);
    uint8_t u8() { return *take(1); }
    uint32_t u32();
    uint32_t varint();
    int32_t zigzag() {
        uint32_t v = varint();
        return static_cast<int32_t>((v >> 1) ^ (0u - (v & 1)));
    }
    double f64_low_first();
    // The symbol id of a table index (the record starts at at).
    uint32_t symbol(uint32_t index, const uint8_t* at);
    // A count of things of at least min_bytes each that must fit in what remains.
    uint32_t count(uint32_t n, uint32_t min_bytes, const uint8_t* at) const;

    // Appends an unset! cell to a block and answers its index.
    static uint32_t append(const Cell& block);
    static Cell* cell(const Cell& block, uint32_t i);

    // The cell a reference path reaches from the target block.
    Cell resolve(const std::vector<uint32_t>& path, const uint8_t* at);
    std::vector<uint32_t> path_scratch;
};

void xelbin_read_compact(XelbinReader& r);
void xelbin_read_words(XelbinReader& r);

// A new series of n units holding the bytes.
Offset xelbin_series_of_bytes(const uint8_t* bytes, uint32_t n, uint32_t unit);
// Access no-codec naming the datatype of a record.
[[noreturn]] void xelbin_refused(uint8_t type);

// Whether a type's values are series of the same buffer shape, so that a
// reference of one record type may stand for a value of the other.
bool xelbin_same_shape(uint8_t record_type, uint8_t value_type);

} // namespace xel
