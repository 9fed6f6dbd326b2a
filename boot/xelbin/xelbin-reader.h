// The state of one decode, shared by the compact and the word readers: the
// bytes with their bounds, the symbol table, the target block and the value
// makers both encodings reach.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/cell.h"
#include "runtime/datatypes/error/error.h"

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

// The record builders both encodings share. Each reader reads the numbers
// its own way (varints or 32-bit words) and passes them in; where a builder
// walks nested records, the reader's own record function is passed to it.

// The header's symbol table, its count and names size read.
void xelbin_symbol_table(XelbinReader& r, uint32_t count, uint32_t names, const uint8_t* at);
// The records' extent: reading stops at their end.
void xelbin_records_end(XelbinReader& r, uint32_t records, const uint8_t* at);

Cell xelbin_datatype(XelbinReader& r, uint32_t id, const uint8_t* at);
Cell xelbin_char(XelbinReader& r, uint32_t code_point, const uint8_t* at);
// The 12 bytes of a money! record, checked.
Cell xelbin_money(XelbinReader& r, bool negative, const uint8_t* at);
Cell xelbin_date(XelbinReader& r, uint32_t packed, double time, const uint8_t* at);
// 32-bit text units must be code points.
void xelbin_check_code_points(XelbinReader& r, const uint8_t* units, uint32_t n, const uint8_t* at);

// A series given by reference, checked by the reader: the value reached,
// retyped and at the record's head.
Cell xelbin_retyped(Cell v, uint8_t type, uint32_t head);
// An object! or function! given by reference: a word stands for its
// context's self, an op! made from a function for that function.
Cell xelbin_shared(XelbinReader& r, Cell v, uint8_t type, const uint8_t* at);

// A block kind of n cells in the slot (hash! indexed once its records are in).
template <class Record>
void xelbin_block(uint8_t type, uint32_t head, uint32_t n, bool library, const Cell& block,
                  uint32_t i, Record&& record);
// A map! of n/2 pairs in the slot, its keys and values read as n records.
template <class Record> void xelbin_map(uint32_t n, const Cell& block, uint32_t i, Record&& record);

// A context of n words: the object! that holds it (class id -1) stands in the
// slot and as the context's self before the symbols and values are read.
Offset xelbin_context_open(XelbinReader& r, uint32_t kind, bool stack, uint32_t n,
                           const Cell& block, uint32_t i, const uint8_t* at);
void xelbin_context_word(XelbinReader& r, Offset ctx, uint32_t symbol, bool stack,
                         const uint8_t* at);
// The values block, emptied for the value records.
Cell xelbin_context_values(Offset ctx);

// A function! of a context with its record and an empty spec sized for
// spec_cells, in the slot and as self; closed once its spec and body are read.
Cell xelbin_function_open(Offset ctx, uint32_t spec_cells, const Cell& block, uint32_t i);
void xelbin_function_close(Cell fn, const Cell& spec, Cell body, const Cell& block, uint32_t i);

// native! and action!: the table entry checked before the spec is read.
void xelbin_check_native(XelbinReader& r, uint8_t type, uint32_t index, const uint8_t* at);
Cell xelbin_native(XelbinReader& r, uint8_t type, uint32_t index, const Cell& spec,
                   const uint8_t* at);
// The inner code value in the slot becomes the op!.
void xelbin_op_close(const Cell& block, uint32_t i, uint8_t source);
// An error! of the catalogue code in the slot; its fields from decode().
template <class Decode>
void xelbin_error(XelbinReader& r, uint32_t code, const Cell& block, uint32_t i, const uint8_t* at,
                  Decode&& decode);

// The context of a word's owner (an object! or function!).
Offset xelbin_owner_context(XelbinReader& r, const Cell& owner, const uint8_t* at);
// The word in the slot bound to ctx at slot (negative: found by its symbol).
void xelbin_bind_word(XelbinReader& r, const Cell& block, uint32_t i, uint8_t type, Offset ctx,
                      uint32_t symbol, int32_t slot, const uint8_t* at);

// Implementation helpers of the templates above.
Cell xelbin_block_open(uint8_t type, uint32_t head, uint32_t n, bool library, const Cell& block,
                       uint32_t i);
void xelbin_block_close(uint8_t type, Cell* v, const Cell& block, uint32_t i);
Cell* xelbin_map_open(Cell* pairs, Cell* map, uint32_t n, const Cell& block, uint32_t i);
void xelbin_map_close(Cell* map, const Cell& pairs, uint32_t n, Cell* held);
Cell xelbin_error_open(XelbinReader& r, uint32_t code, const Cell& block, uint32_t i,
                       const uint8_t* at);

template <class Record>
void xelbin_block(uint8_t type, uint32_t head, uint32_t n, bool library, const Cell& block,
                  uint32_t i, Record&& record) {
    Cell v = xelbin_block_open(type, head, n, library, block, i);
    for (uint32_t k = 0; k < n; k++)
        record(v);
    xelbin_block_close(type, &v, block, i);
}

template <class Record>
void xelbin_map(uint32_t n, const Cell& block, uint32_t i, Record&& record) {
    Cell pairs, map;
    Cell* held = xelbin_map_open(&pairs, &map, n, block, i);
    for (uint32_t k = 0; k < n; k++)
        record(pairs);
    xelbin_map_close(&map, pairs, n, held);
}

template <class Decode>
void xelbin_error(XelbinReader& r, uint32_t code, const Cell& block, uint32_t i, const uint8_t* at,
                  Decode&& decode) {
    Cell e = xelbin_error_open(r, code, block, i, at);
    for (uint32_t f = kErrFieldArg1; f <= kErrFieldStack; f++) {
        Cell v = decode();
        *error_field(&e, f) = v;
    }
}

} // namespace xel
