// Cell helpers of the four payload-less scalar types (datatype!, unset!,
// none!, logic!) and the truth tests every conditional of the interpreter and
// of compiled code rests on.
//
// box: the current frame's result slot becomes the value; push: a new cell on
// top of the argument stack; make_in: a new cell at the tail of the block
// value blk.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/stack/stack.h"

namespace xel {

// datatype!: word 1 is the type id the value names.
inline uint8_t datatype_id(const Cell* c) {
    return static_cast<uint8_t>(c->data1);
}
// A datatype! naming type, as a value (for error arguments and the like).
inline Cell datatype_cell(uint8_t type) {
    return Cell{T_DATATYPE, type, 0, 0};
}
// The type a datatype! names, else the value's own type (what make and to
// are asked to produce).
inline uint8_t datatype_named_or_own(const Cell* c) {
    return type_of(c) == T_DATATYPE ? datatype_id(c) : uint8_t{type_of(c)};
}
inline Cell* datatype_make_in(Cell* blk, uint8_t type) {
    Cell* c = block_alloc_tail_cell(blk);
    *c = Cell{T_DATATYPE, type, 0, 0};
    return c;
}
inline Cell* datatype_push(uint8_t type) {
    Cell* c = stack_push_cell();
    *c = Cell{T_DATATYPE, type, 0, 0};
    return c;
}

// unset! and none! have no payload: only the header is written.
inline Cell* unset_box() {
    Cell* c = stack_arguments();
    c->header = T_UNSET;
    return c;
}
inline Cell* unset_make_in(Cell* blk) {
    Cell* c = block_alloc_tail_cell(blk);
    c->header = T_UNSET;
    return c;
}
inline Cell* unset_push() {
    Cell* c = stack_push_cell();
    c->header = T_UNSET;
    return c;
}

inline Cell* none_box() {
    Cell* c = stack_arguments();
    c->header = T_NONE;
    return c;
}
inline Cell* none_make_in(Cell* blk) {
    Cell* c = block_alloc_tail_cell(blk);
    c->header = T_NONE;
    return c;
}
inline Cell* none_push() {
    Cell* c = stack_push_cell();
    c->header = T_NONE;
    return c;
}

// logic!: word 1 is 1 for true, 0 for false.
inline Cell* logic_box(bool truth) {
    Cell* c = stack_arguments();
    c->header = T_LOGIC;
    c->data1 = truth ? 1u : 0u;
    return c;
}
inline Cell* logic_make_in(Cell* blk, bool truth) {
    Cell* c = block_alloc_tail_cell(blk);
    c->header = T_LOGIC;
    c->data1 = truth ? 1u : 0u;
    return c;
}
inline Cell* logic_push(bool truth) {
    Cell* c = stack_push_cell();
    c->header = T_LOGIC;
    c->data1 = truth ? 1u : 0u;
    return c;
}
inline uint32_t logic_get(const Cell* c) {
    return c->data1;
}

// False for none! and for a logic! whose word 1 is not 1; true otherwise.
inline bool value_truth(const Cell* value) {
    uint8_t t = type_of(value);
    return !(t == T_NONE || (t == T_LOGIC && value->data1 != 1));
}

// With check set, an unset! value raises script no-value naming word.
bool logic_true(const Cell* value, bool check, const Cell* word);
// The truth of the current frame's first argument; unset! raises script
// no-return. For either, while, until, case and compiled conditions.
bool logic_arg_true();
// True when the current frame's first argument is none! or a false logic!;
// no unset! check. For if, unless, all, not and compiled conditions.
bool logic_false();
// The truth of the argument stack's top cell (the frame base when nothing is
// above it), without unset! check; for the parse engine and the lexer.
bool logic_top_true();

} // namespace xel
