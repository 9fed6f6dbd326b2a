// The natives that work on series and data as a whole: the set operations,
// case changes, percent and base encodings, new-line markers, retyping,
// checksums and compression.
// Each has the native shape of native-call.h: arguments in the current
// frame, result in its first cell.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// union, intersect, difference, exclude [set1 set2 /case /skip size],
// unique [set /case /skip size] and complement? [bits] (set-natives.cpp).
uint32_t natives_union(int check, const int32_t* refs);
uint32_t natives_intersect(int check, const int32_t* refs);
uint32_t natives_unique(int check, const int32_t* refs);
uint32_t natives_difference(int check, const int32_t* refs);
uint32_t natives_exclude(int check, const int32_t* refs);
uint32_t natives_complement(int check, const int32_t* refs);

// The block core of the set operations (8 unique, 9 union, 10 intersect, 11
// exclude, 12 difference) over records of skip cells (null: 1); set2 is
// ignored by unique. The result, a new block of set1's type at index 0 (a
// hash! with its table when either set is one), replaces set1 (block-sets.cpp).
void block_set_operation(Cell* set1, const Cell* set2, bool case_, const Cell* skip, int op);

// uppercase, lowercase [string /part limit], dehex, enhex [value]
// (text-natives.cpp).
uint32_t natives_uppercase(int check, const int32_t* refs);
uint32_t natives_lowercase(int check, const int32_t* refs);
uint32_t natives_dehex(int check, const int32_t* refs);
uint32_t natives_enhex(int check, const int32_t* refs);

// debase [value /base base-value], enbase [value /base base-value]
// (base-natives.cpp).
uint32_t natives_debase(int check, const int32_t* refs);
uint32_t natives_enbase(int check, const int32_t* refs);

// new-line [position value /all /skip size], new-line? [position] and
// as [type spec] (cell-natives.cpp).
uint32_t natives_new_line(int check, const int32_t* refs);
uint32_t natives_new_line_q(int check, const int32_t* refs);
uint32_t natives_as(int check, const int32_t* refs);

// extend [obj [object! map!] spec [block! hash! map!] /case] (cell-natives.cpp).
uint32_t natives_extend(int check, const int32_t* refs);

// checksum [data method /with spec], compress [data method] and decompress
// [data method /size sz] (codec-natives.cpp).
uint32_t natives_checksum(int check, const int32_t* refs);
uint32_t natives_compress(int check, const int32_t* refs);
uint32_t natives_decompress(int check, const int32_t* refs);

} // namespace xel
