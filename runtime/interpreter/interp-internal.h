// Shared pieces of the interpreter's files.
#pragma once
#include "runtime/cell.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/spec-cache.h"
#include "runtime/datatypes/type-ids.h"
#include "runtime/datatypes/typeset/typeset.h"

namespace xel {

inline bool is_callable(uint8_t t) {
    return t == T_NATIVE || t == T_ACTION || t == T_FUNCTION || t == T_ROUTINE;
}

// The owner context a function was made in (a method of an object), or 0.
inline Offset function_owner(const Cell* fn) {
    const Cell* owner = function_record(fn) + kRecordOwner;
    return type_of(owner) == T_INTEGER ? owner->data2 : 0;
}

// The first cell of a block's buffer, whatever its index.
inline Cell* buffer_head(const Cell* block) { return at<Cell>(buffer_of(block->data2)->head); }

// A word naming a call: the word itself, or the first element of a path.
const Cell* call_name_word(const Cell* name);

} // namespace xel
