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

// The node of the value's argument-list block (native!, action!, op!,
// function! or routine!), built and stored on first use. A set-word other
// than return: raises script bad-func-def; type blocks raise the errors of
// typeset_from_block.
Offset interp_cache_spec(const Cell* fn);

} // namespace xel
