// The interpreter's argument list of a function-like value, built once from
// its spec and kept in the second cell of its record. Entries in spec order:
// - a typeset! per argument (or the default set without a type block), its
//   class in header bits 20-21; return: gets an entry of class 3, which the
//   argument walk skips;
// - each refinement! but /local (for natives and actions word 3 holds its
//   ordinal, 1 for the first);
// - last, an integer!: for function! and routine! the cells that /local and
//   its words take (when above 0); for native! and action! the number of
//   refinements (when at least one).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

enum ArgumentClass : uint32_t {
    kArgEvaluated = 0,  // word!
    kArgLiteral = 1,    // get-word!: taken as it stands
    kArgSoftQuoted = 2, // lit-word!
    kArgReturn = 3,     // return:
};
constexpr uint32_t kArgClassShift = 20;
constexpr uint32_t kArgClassMask = 3u << kArgClassShift;

inline uint32_t argument_class(const Cell* entry) {
    return (entry->header & kArgClassMask) >> kArgClassShift;
}

// The call shape of the list, kept in word 3 of the record's cache cell (a
// block's word 3 is otherwise clear), so that the common call reads the
// record and not the list behind it:
// - bits 0-3: the count of leading arguments;
// - bits 8-15: a bit per leading argument whose typeset leaves out some type
//   other than unset! (an unset! argument is always checked against the list);
// - kShapeLean: the list opens with those arguments, all evaluated, followed
//   by a refinement or by its end (at most kShapeMaxLeading of them);
// - for a function! whose list is lean, the cells its frame takes after
//   them when no refinement is named (false for each refinement, none for
//   each of their arguments and for the locals, the first local's false):
//   bits 16-19 their count, bits 20-27 a bit for each that is false; or
//   kShapeLongTail when there are more than kShapeMaxTail;
// - kShapeKnown: the word has been worked out (0 is "not yet").
constexpr uint32_t kShapeLeadingMask = 0xF;
constexpr uint32_t kShapeTypedShift = 8;
constexpr uint32_t kShapeTailShift = 16;
constexpr uint32_t kShapeFalseShift = 20;
constexpr int kShapeMaxLeading = 8;
constexpr int kShapeMaxTail = 8;
constexpr uint32_t kShapeTailCountMask = 0xFu << kShapeTailShift;
constexpr uint32_t kShapeLongTail = 1u << 29;
constexpr uint32_t kShapeLean = 1u << 30;
constexpr uint32_t kShapeKnown = 1u << 31;

inline int shape_leading(uint32_t shape) {
    return static_cast<int>(shape & kShapeLeadingMask);
}
inline int shape_tail(uint32_t shape) {
    return static_cast<int>((shape >> kShapeTailShift) & 0xF);
}
// Whether the k-th tail cell is false (else none).
inline bool shape_tail_false(uint32_t shape, int k) {
    return (shape >> (kShapeFalseShift + k)) & 1;
}
// Whether the i-th leading argument's type needs a look at its typeset.
inline bool shape_typed(uint32_t shape, int i) {
    return (shape >> (kShapeTypedShift + i)) & 1;
}
// The shape kept in a record's cache cell (0 while not worked out).
inline uint32_t spec_cache_shape(const Cell* cache) {
    return cache->data3;
}

// The node of the value's argument-list block (native!, action!, op!,
// function! or routine!), built and stored on first use. A set-word other
// than return: raises script bad-func-def; type blocks raise the errors of
// typeset_from_block.
Offset interp_cache_spec(const Cell* fn);

// The call shape of the value's list, building the list first if needed.
uint32_t interp_cache_shape(const Cell* fn);

} // namespace xel
