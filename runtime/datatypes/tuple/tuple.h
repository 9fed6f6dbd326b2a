// tuple!: make and to, text, bytes by path and pick, compare, arithmetic
// with each byte clamped to 0..255, and the byte-wise actions.
#pragma once
#include "runtime/datatypes/tuple/tuple-cell.h"

namespace xel {

// The math body (ops of number-math.h) of the frame's two arguments: a tuple
// with its operand, or (as float! hands it over) a number with a tuple.
void tuple_do_math(int op);

// Actions (typed ones as in action-slots.h; results in the frame's result slot).
Cell* tuple_make(Cell* proto, Cell* spec, int type);
Cell* tuple_random(Cell* value, bool seed, bool secure, bool only);
int tuple_form(Cell* value, Cell* buffer, Cell* arg, int part);
int tuple_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
Cell* tuple_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
Cell* tuple_pick(Cell* series, int index, Cell* boxed);
int tuple_compare(Cell* value1, Cell* value2, int op);
Cell* tuple_complement(Cell* value);
int tuple_length(Cell* value);
Cell* tuple_reverse(Cell* series, Cell* part, Cell* skip);

} // namespace xel
