// The word, context and reflection natives, and the helpers other natives
// share with them. Every native takes its arguments from the current frame
// and leaves its result in the frame's first cell (native-call.h).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// get [word /any /case], set [word value /any /case /only /some].
uint32_t natives_get(int check, const int32_t* refs);
uint32_t natives_set(int check, const int32_t* refs);

// Sets the first n words of a words block (from its position) to the values
// of a block-like value (block!, paren!, hash!, map!, a path), one each and
// none! past its end, or each to the one value when values is not
// block-like or only is set. Block-like values are checked first, so a bad
// pair sets nothing: a words element that is no any-word raises script
// invalid-arg, an unset! value without any raises script need-value. With
// some, a none! value leaves its word as it is. foreach sets its words
// through it.
void natives_set_words(const Cell* words, const Cell* values, int32_t n, bool any, bool only,
                       bool some);

// Reads a path (value null) or sets its target to value, as the interpreter
// walks a path but with the value already in hand and an optional case-
// sensitive selection. The result (the value read, or the value set) goes
// to out. Returns false, with nothing written, when a paren in the path left
// a break, return or other exit pending.
bool natives_path_access(const Cell* path, const Cell* value, bool case_, Cell* out);

// value? [value], unset [word], type? [value /word].
uint32_t natives_value(int check, const int32_t* refs);
uint32_t natives_unset(int check, const int32_t* refs);
uint32_t natives_type(int check, const int32_t* refs);

// construct [block /with object /only].
uint32_t natives_construct(int check, const int32_t* refs);

// bind [word context /copy], in [object word], context? [word].
uint32_t natives_bind(int check, const int32_t* refs);
uint32_t natives_in(int check, const int32_t* refs);
uint32_t natives_context(int check, const int32_t* refs);

} // namespace xel
