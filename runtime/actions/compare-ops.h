// The comparison codes that compare actions and lookups take, in a header of
// their own so that low layers (the hash tables) can name them.
#pragma once

namespace xel {

// Comparison operation codes.
enum CompareOp : int {
    kCmpEqual = 0,
    kCmpNotEqual = 1,
    kCmpStrictEqual = 2,
    kCmpLesser = 3,
    kCmpLesserEqual = 4,
    kCmpGreater = 5,
    kCmpGreaterEqual = 6,
    kCmpSort = 7,
    kCmpCaseSort = 8,
    kCmpSame = 9,
    kCmpStrictWord = 10,
    kCmpStrictPath = 11,
    kCmpFind = 12,
};

} // namespace xel
