// The loop natives and the step routines of their loops.
//
// Every loop pushes a loop frame (kind 8, word <body>) that break and
// continue unwind to; the body's value lands in the frame's first cell,
// which becomes the loop's result. Iteration state lives in cells pushed just
// below the loop frame, at fixed distances from its base, where the step
// routines find it (they run with the loop frame current):
//   foreach, remove-each: base - 2 the iteration series (its index is the
//       loop position, advanced in place), base - 1 the word or words block;
//   remove-each also: base - 3 the part count (integer!);
//   forall: base - 2 the word's starting value, base - 1 the word.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

uint32_t natives_while(int check, const int32_t* refs);
uint32_t natives_until(int check, const int32_t* refs);
uint32_t natives_loop(int check, const int32_t* refs);
uint32_t natives_repeat(int check, const int32_t* refs);
uint32_t natives_forever(int check, const int32_t* refs);
uint32_t natives_foreach(int check, const int32_t* refs);
uint32_t natives_forall(int check, const int32_t* refs);
uint32_t natives_remove_each(int check, const int32_t* refs);

// Step routines.
// Sets the n loop words from the next n items (none! past the tail) and
// advances the iteration series by n; true when there was an item.
bool natives_foreach_set(uint32_t n);
// Sets the single loop word from the next item and advances by 1; true when
// there was one.
bool natives_foreach_next();
// With advance, moves the series word's own value on by 1; true when it is
// then at its tail.
bool natives_forall_next(bool advance);
// Sets the series word back to its starting value.
void natives_forall_end();
// The current frame's first cell, a loop count: a float! becomes an
// integer! in place (truncated toward zero; script out-of-range beyond the
// 32-bit range).
void natives_loop_count();
// After a pass of remove-each's body: when the body's value is truthy, the n
// items just set are removed and the iteration goes on after them.
void natives_remove_each_core(uint32_t n);
// True when the series has an item at its position.
bool natives_check_forall(const Cell* series);

// Services of map! and image! for foreach, installed by those datatypes
// (null until then): set the n words from the map entry (n is 2) or from
// the n pixels at the iteration series' position; true while one was found.
extern bool (*g_map_foreach_set)(Cell* words, Cell* series, uint32_t n);
extern bool (*g_image_foreach_set)(Cell* words, Cell* series, uint32_t n);
// The number of pixels of an image! (width x height).
extern uint32_t (*g_image_pixel_count)(const Cell* image);

} // namespace xel
