// The interpreter's argument list of a callable, built once from its spec and
// kept in the value's cache slot: one typeset! per argument (its class in
// header bits 20-21), each refinement but /local (a native's refinement holds
// its ordinal in word 3), and a trailing integer! (functions: the cells that
// /local and its words take; natives and actions: the refinement count).
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

// Builds the list of a spec block into a new block at dest; natives number
// their refinements.
void interp_cache_spec(Cell* dest, const Cell* spec, bool numbered);

// The n-th word, get-word, lit-word or refinement of a callable's spec, as a
// word! (the word <anon> when there is none).
const Cell* spec_arg_word(const Cell* fn, int n);

} // namespace xel
