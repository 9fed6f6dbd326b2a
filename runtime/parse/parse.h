// The parse dialect engine: matches an input series (a block value by value,
// a string character by character, a binary byte by byte) against a block of
// rules, acting on the way (parens, set-words, copy, set, insert, remove,
// change, collect and keep). One iterative machine runs every rule: sub-rule
// blocks, repetitions and into push frames on an explicit rule stack instead
// of recursing on the machine stack.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Makes the input stack and the rule stack (kept in the root block); run
// once by the run-time init. Nested parse calls share them.
void parse_init();

// Matches input (its position clamped to its tail) against rules. strict is
// the /case mode; limit an index into the input past which nothing matches
// (0 for none); callback a function! that sees every step, or none!. The
// result slot of the current frame receives logic!, or the block of the
// outermost collect. A break, continue, return or exit raised by a paren
// action or the callback is left pending (runtime/stack/exits.h).
void parse_process(const Cell* input, const Cell* rules, bool strict, uint32_t limit,
                   const Cell* callback);

// The native: parse [input [binary! any-block! any-string!] rules [block!]
// /case /part length [number! series!] /trace callback]. Returns the exit
// code left pending (0 when none), for compiled callers.
uint32_t natives_parse(int check, const int32_t* refs);

} // namespace xel
