// time! fields, text and actions. The math, compare, random and round of
// float! apply to the seconds; time! adds its own make and to, text, path
// access (hour, minute, second) and the operand rules of its arithmetic.
#pragma once
#include <cstdint>

#include "runtime/datatypes/time/time-cell.h"

namespace xel {

constexpr double kSecondsPerHour = 3600.0;
constexpr double kSecondsPerMinute = 60.0;

// Whole hours, truncated toward zero (negative for a negative time); hours
// beyond the 32-bit range give -2147483648.
int32_t time_get_hours(double seconds);
// Whole minutes past the hour of the time's magnitude, 0 to 59.
int32_t time_get_minutes(double seconds);
// Appends the text of a time ("1:02:03", "-0:00:05.5") to the string; returns
// part less the characters appended. Also forms the time of a date!.
int time_serialize(double seconds, Cell* string, int part);

// Actions (typed ones as in action-slots.h; results in the frame's result slot).
Cell* time_make(Cell* proto, Cell* spec, int type);
int time_form(Cell* value, Cell* buffer, Cell* arg, int part);
int time_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
              int indent);
Cell* time_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                     Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
Cell* time_pick(Cell* series, int index, Cell* boxed);
Cell* time_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                 bool ceiling, bool half_ceiling);
bool time_even(Cell* value);
bool time_odd(Cell* value);

} // namespace xel
