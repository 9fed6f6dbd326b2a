// XELBIN, the binary format of values: the boot data and the xelbin codec.
// Two record encodings share one header: the compact one (variable-length
// integers; the boot data uses it) and the word one (32-bit fields).
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

enum XelbinMode : int {
    kXelbinBoot = 0,   // definitions allowed; header faults print and exit
    kXelbinScript = 1, // every fault is a script error
};

// Decodes the size bytes of a buffer and appends one cell per top-level
// record to the target block. The bytes must not be series memory: a
// collection may run while values are made. In boot mode answers the first
// appended cell, where the root records begin; in script mode nullptr.
Cell* xelbin_decode(const uint8_t* data, size_t size, Cell* target, int mode);

// Decodes the boot data into the root block with the collector switched off
// and answers the root records' base (their first cell's index in the root
// block); keep_base leaves the base as it was.
uint32_t xelbin_boot_load(const uint8_t* blob, size_t size, bool keep_base);

// The value written in the compact (compact true) or the word encoding, as a
// new binary! in out. Routines, triples, handles, ports and events raise
// access no-codec.
void xelbin_encode(const Cell* value, bool compact, Cell* out);

// Set while the codec (not the boot load) reads or writes.
extern bool g_xelbin_codec;

} // namespace xel
