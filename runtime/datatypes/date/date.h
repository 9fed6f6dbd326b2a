// date! actions: make and to, text, path access, compare, arithmetic with
// integers, times and dates, random and pick; and the month-name list the
// text takes its names from.
#pragma once
#include "runtime/datatypes/date/date-cell.h"

namespace xel {

// Registers the month list as a root and installs the English month names;
// runs once the symbol table and series memory exist.
void date_init();
// The month names that date text abbreviates to 3 characters: a block of 12
// strings, as the system's locale settings hold it. A list that is not a
// block with a string at a date's month makes form and mold raise script
// invalid-months.
void date_set_month_list(const Cell* block);

// Appends the text of a date ("5-Mar-2024/10:30:00+05:30") to the string;
// returns part less the characters appended.
int date_serialize(const Cell* date, Cell* string, int part);

// Actions (typed ones as in action-slots.h; results in the frame's result slot).
Cell* date_make(Cell* proto, Cell* spec, int type);
Cell* date_to(Cell* proto, Cell* spec, int type);
Cell* date_random(Cell* value, bool seed, bool secure, bool only);
int date_form(Cell* value, Cell* buffer, Cell* arg, int part);
int date_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent);
Cell* date_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                     Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
int date_compare(Cell* value1, Cell* value2, int op);
Cell* date_pick(Cell* series, int index, Cell* boxed);
// add or subtract on the current frame: the date first, then an integer!
// (days), a time! (seconds) or, for subtract, a date! (whole days between).
void date_do_math(int op);

} // namespace xel
