// money! actions: make and to, text, the code and amount fields, compare,
// decimal arithmetic with integer!, float! and percent!, round and random.
#pragma once
#include "runtime/datatypes/money/money-cell.h"

namespace xel {

// Appends the text of an amount ("-USD$1'234.50") to the string: digit groups
// when grouped, decimals fraction digits (0 to 5; none below 1). Returns part
// less the characters appended.
int money_serialize(const Cell* money, Cell* string, int part, bool grouped, int decimals);

// The order of a number (as a double) and an amount under a compare op, the
// number first: -1, 0, 1, or -2 when they cannot be compared. Numbers that
// an amount cannot hold still order against it.
int money_compare_number(double x, const Cell* money, int op);

// The arithmetic of the current frame's two arguments (money! with money!,
// integer!, float! or percent!, either one first), the result in the first.
void money_do_math(int op);

// Actions (typed ones as in action-slots.h; results in the frame's result slot).
Cell* money_make(Cell* proto, Cell* spec, int type);
Cell* money_to(Cell* proto, Cell* spec, int type);
Cell* money_random(Cell* value, bool seed, bool secure, bool only);
int money_form(Cell* value, Cell* buffer, Cell* arg, int part);
int money_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
Cell* money_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
Cell* money_pick(Cell* series, int index, Cell* boxed);
int money_compare(Cell* value1, Cell* value2, int op);
Cell* money_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                  bool ceiling, bool half_ceiling);

} // namespace xel
