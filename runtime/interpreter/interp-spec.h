// The interpreter's view of a callable's argument list (built by
// interp_cache_spec, runtime/datatypes/function/spec-cache.h).
#pragma once
#include "runtime/cell.h"

namespace xel {

struct SpecList {
    Cell* begin;
    Cell* end; // the trailing integer excluded
    int trailing;
};

// Builds the list when the cache slot does not hold it yet.
SpecList interp_cached_spec(const Cell* fn);

// The n-th word, get-word, lit-word or refinement of a callable's spec, as a
// word! (the word <anon> when there is none).
const Cell* spec_arg_word(const Cell* fn, int n);

} // namespace xel
