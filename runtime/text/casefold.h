// Case folding: one pair of tables serves every case-insensitive operation.
// Code points up to 0xFFFF map by one table read, those above by a short scan.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

enum FoldDirection : int {
    kFoldLower = 0,
    kFoldUpper = 1,
};

// Builds both tables; run by runtime_init before any string is compared.
void casefold_init();

// The mapped code point, or cp itself when it has no mapping.
int32_t casefold_convert_char(int32_t cp, int direction);

// The natives uppercase and lowercase: converts a char! or a string from its
// position in place, widening the string when a mapping needs it. part_index is
// the /part argument's index in the current frame (0 or less when absent): an
// integer!, or a position in the same string (else script invalid-refine-arg).
// The change is reported to the owner of the string afterwards.
void casefold_change_case(Cell* value, int part_index, int direction);

} // namespace xel
