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

} // namespace xel
