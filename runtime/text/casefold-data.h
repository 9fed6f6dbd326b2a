// The constant source pairs of the case tables.
#pragma once
#include <cstdint>

namespace xel {

struct CasePair {
    int32_t from;
    int32_t to;
};

struct CasePairList {
    const CasePair* pairs;
    uint32_t count;
};

// Up to 0xFFFF: (lower, upper) pairs fill the upper table, (upper, lower) the lower.
extern const CasePairList kUpperList;
extern const CasePairList kLowerList;
// Above 0xFFFF, scanned at each mapping.
extern const CasePairList kUpperListSupplementary;
extern const CasePairList kLowerListSupplementary;

} // namespace xel
