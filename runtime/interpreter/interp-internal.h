// Shared pieces of the interpreter's files.
#pragma once
#include "runtime/cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/spec-cache.h"
#include "runtime/datatypes/type-ids.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/stack/exits.h"

namespace xel {

inline bool is_callable(uint8_t t) {
    return t == T_NATIVE || t == T_ACTION || t == T_FUNCTION || t == T_ROUTINE;
}

// Whether a word whose value has this type evaluates to that value as it
// stands: no call, no operator, no missing value to raise.
inline bool word_pushes_value(uint8_t t) {
    return t != T_UNSET && t != T_OP && !is_callable(t);
}

// The value bound to a word in the code: an op! there starts an infix call.
inline const Cell* infix_op_at(const Cell* pos) {
    if (type_of(pos) != T_WORD) return nullptr;
    const Cell* v = context_peek_fast(pos);
    return v && type_of(v) == T_OP ? v : nullptr;
}

// Values that evaluate to themselves.
inline bool is_inert(uint8_t t) {
    switch (t) {
    case T_WORD:
    case T_SET_WORD:
    case T_GET_WORD:
    case T_LIT_WORD:
    case T_PAREN:
    case T_PATH:
    case T_LIT_PATH:
    case T_SET_PATH:
    case T_GET_PATH:
    case T_ISSUE:
    case T_NATIVE:
    case T_ACTION:
    case T_FUNCTION:
    case T_ROUTINE:
    case T_OP:
        return false;
    default:
        return true;
    }
}

// What a block's only cell evaluates to when it runs no code: a value that
// evaluates to itself, or a word of a plain value; nullptr otherwise.
inline const Cell* lone_value(const Cell* pos) {
    uint8_t t = type_of(pos);
    if (t == T_WORD) {
        if (!word_context(pos)) return nullptr;
        const Cell* v = context_get_fast(pos);
        return word_pushes_value(type_of(v)) ? v : nullptr;
    }
    return is_inert(t) ? pos : nullptr;
}

// The first cell of a block's buffer, whatever its index.
inline Cell* buffer_head(const Cell* block) {
    return at<Cell>(block_buffer(block)->head);
}
// The cell at a path's index: its first element.
inline Cell* path_first(const Cell* path) {
    return buffer_head(path) + static_cast<uint32_t>(block_index(path));
}
// Where a walk of a block from the buffer head begins: at the block's index,
// a negative one read as 0.
inline Cell* walk_start(Cell* head, const Cell* block) {
    return head + (block_index(block) > 0 ? static_cast<uint32_t>(block_index(block)) : 0u);
}

// An expression of a block that starts with a set-word, begun with tracing
// off and fast paths on, as interp_eval_expression evaluates it: the value's
// expression pushed by the lean walk of arguments, the word set, then the
// operators that follow (the set may have made the next word an operator).
Evaluated<Cell*> interp_set_word_statement(Cell* pos, Cell* end, Cell* code);

// interp_eval_code of a callable named by a word, under no apply mode, begun
// with tracing off and fast paths on.
Evaluated<Cell*> interp_call_by_word(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                     const Cell* word);

// interp_eval_code of a callable named by a path that ends at it (refined:
// names refinements after it), under no apply mode, begun with tracing off
// and fast paths on; word is call_name_word(path).
Evaluated<Cell*> interp_call_by_path(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                     const Cell* path, const Cell* word, bool refined);

// A path (read or get mode) of an object and a field that an earlier walk
// bound, with fast paths on and tracing off: the field called or pushed
// without the walk's frame, when nothing could see it. nullptr when the walk
// must run.
Evaluated<Cell*> interp_eval_bound_path(Cell* pos, Cell* end, Cell* code, bool get);

// interp_eval_code of an operator's source function applied infix, named by
// the operator's word, under no apply mode.
Evaluated<Cell*> interp_call_infix(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                   const Cell* word);

// A word naming a call: the word itself, or the first element of a path.
const Cell* call_name_word(const Cell* name);

} // namespace xel
