// pair!: make and to, text, path access, compare, arithmetic (which moves
// to point2D! when a result leaves the integers) and round.
#pragma once
#include <cstdint>

#include "runtime/datatypes/pair/pair-cell.h"

namespace xel {

// A number as a pair coordinate: an integer! as it is, a float! or percent!
// truncated toward zero; NaN, an infinity or a value beyond the 32-bit range
// raises script invalid-arg (the number).
int32_t pair_coordinate_of(const Cell* number);

// The math body (ops of number-math.h) of the frame's pair and its operand;
// integer! and float! hand their mixed operations to it with the pair first.
void pair_do_math(int op);

// Actions (typed ones as in action-slots.h; results in the frame's result slot).
Cell* pair_make(Cell* proto, Cell* spec, int type);
Cell* pair_random(Cell* value, bool seed, bool secure, bool only);
int pair_form(Cell* value, Cell* buffer, Cell* arg, int part);
int pair_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent);
Cell* pair_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                     Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
Cell* pair_pick(Cell* series, int index, Cell* boxed);
int pair_compare(Cell* value1, Cell* value2, int op);
void pair_absolute();
Cell* pair_negate(Cell* value);
// Rounds each coordinate by integer! round (a pair! or point scale gives one
// scale per coordinate); results that come back as floats are truncated, and raise math
// overflow when they leave the 32-bit range.
Cell* pair_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                 bool ceiling, bool half_ceiling);
Cell* pair_reverse(Cell* series, Cell* part, Cell* skip);

} // namespace xel
